#include "skilllistview.h"

#include "appstate.h"
#include "filerevealer.h"
#include "modelcontext.h"
#include "skill.h"
#include "skillfiltermodel.h"
#include "skillhealth.h"
#include "skilllistmodel.h"
#include "skillquery.h"
#include "skillrowdelegate.h"
#include "storesaver.h"
#include "symbolicons.h"

#include <QDir>
#include <QGridLayout>
#include <QHBoxLayout>
#include <QKeyEvent>
#include <QLabel>
#include <QListView>
#include <QLocale>
#include <QMenu>
#include <QPushButton>
#include <QScopedValueRollback>
#include <QVBoxLayout>

using namespace Qt::StringLiterals;

SkillListView::SkillListView(AppState *state, ModelContext *context, QWidget *parent)
    : QWidget(parent),
      m_state(state),
      m_context(context),
      m_model(new SkillListModel(context, this)),
      m_filter(new SkillFilterModel(m_model, this)),
      m_title(new QLabel(this)),
      m_count(new QLabel(this)),
      m_list(new QListView(this)),
      m_delegate(new SkillRowDelegate(m_list)),
      m_emptyState(makeEmptyState())
{
    m_title->setObjectName(u"skillListTitle"_s);
    QFont titleFont = m_title->font();
    titleFont.setBold(true);
    titleFont.setPointSizeF(titleFont.pointSizeF() * 1.15);
    m_title->setFont(titleFont);
    m_title->setTextFormat(Qt::PlainText); // a collection's name is shown as typed
    m_title->setContentsMargins(8, 6, 8, 6);
    m_count->setObjectName(u"skillListCount"_s);
    m_count->setForegroundRole(QPalette::PlaceholderText);
    m_count->setContentsMargins(8, 6, 8, 6);
    m_scanNote = new QLabel(this);
    m_scanNote->setObjectName(u"scanNote"_s);
    m_scanNote->setForegroundRole(QPalette::PlaceholderText);
    m_scanNote->setContentsMargins(8, 6, 8, 6);
    m_scanNote->hide();

    m_list->setObjectName(u"skillList"_s);
    m_list->setSelectionMode(QAbstractItemView::SingleSelection);
    m_list->setEditTriggers(QAbstractItemView::NoEditTriggers);
    m_list->setUniformItemSizes(true);
    m_list->setContextMenuPolicy(Qt::CustomContextMenu);
    m_list->setItemDelegate(m_delegate);
    m_list->installEventFilter(this);

    // The selection model drops the selection of rows that go away. These
    // must be heard before it, so before setModel() makes it: a row the
    // filter hides is not the user clearing the selection.
    connect(
        m_filter, &QAbstractItemModel::rowsAboutToBeRemoved, this, &SkillListView::modelChanging);
    connect(
        m_filter, &QAbstractItemModel::layoutAboutToBeChanged, this, &SkillListView::modelChanging);
    connect(
        m_filter, &QAbstractItemModel::modelAboutToBeReset, this, &SkillListView::modelChanging);
    m_list->setModel(m_filter);
    connect(m_filter, &QAbstractItemModel::rowsRemoved, this, &SkillListView::modelChanged);
    connect(m_filter, &QAbstractItemModel::rowsInserted, this, &SkillListView::modelChanged);
    connect(m_filter, &QAbstractItemModel::layoutChanged, this, &SkillListView::modelChanged);
    connect(m_filter, &QAbstractItemModel::modelReset, this, &SkillListView::modelChanged);
    connect(m_list->selectionModel(), &QItemSelectionModel::selectionChanged, this,
        &SkillListView::userSelected);
    connect(m_list, &QListView::customContextMenuRequested, this, &SkillListView::showMenu);

    // The placeholder shares the list's cell and sits on top of it, centred.
    auto *stack = new QGridLayout;
    stack->setContentsMargins({});
    stack->addWidget(m_list, 0, 0);
    stack->addWidget(m_emptyState, 0, 0, Qt::AlignCenter);
    auto *layout = new QVBoxLayout(this);
    layout->setContentsMargins({});
    layout->setSpacing(0);
    auto *header = new QHBoxLayout;
    header->setContentsMargins({});
    header->addWidget(m_title, 1);
    header->addWidget(m_scanNote);
    header->addWidget(m_count);
    layout->addLayout(header);
    layout->addLayout(stack, 1);

    if (context) {
        // Removed from the store, not just hidden: nothing is left to show.
        connect(context, &ModelContext::skillsRemoved, this, [this](const QList<Skill *> &gone) {
            if (m_state && m_state->selectedSkill() && gone.contains(m_state->selectedSkill()))
                m_state->setSelectedSkill(nullptr);
        });
    }
    if (state) {
        connect(state, &AppState::searchTextChanged, this, &SkillListView::updateQuery);
        connect(state, &AppState::sidebarFilterChanged, this, &SkillListView::updateQuery);
        // The placeholder's words depend on the filter even when it stays empty.
        connect(state, &AppState::sidebarFilterChanged, this, &SkillListView::updateEmptyState);
        connect(state, &AppState::searchTextChanged, this, &SkillListView::updateEmptyState);
        connect(state, &AppState::selectedSkillChanged, this, &SkillListView::syncSelection);
    }
    updateQuery();
    syncSelection();
    updateEmptyState();
}

SkillListView::~SkillListView() = default;

QWidget *SkillListView::makeEmptyState()
{
    auto *placeholder = new QWidget(this);
    placeholder->setObjectName(u"emptyState"_s);

    auto *icon = new QLabel(placeholder);
    icon->setPixmap(SymbolIcons::icon(u"doc.text"_s).pixmap(QSize(40, 40)));
    icon->setAlignment(Qt::AlignCenter);
    m_emptyHeading = new QLabel(placeholder);
    m_emptyHeading->setObjectName(u"emptyStateHeading"_s);
    QFont headingFont = m_emptyHeading->font();
    headingFont.setBold(true);
    headingFont.setPointSizeF(headingFont.pointSizeF() * 1.3);
    m_emptyHeading->setFont(headingFont);
    m_emptyHeading->setAlignment(Qt::AlignCenter);
    m_emptyText = new QLabel(placeholder);
    m_emptyText->setObjectName(u"emptyStateText"_s);
    m_emptyText->setTextFormat(Qt::PlainText);
    m_emptyText->setAlignment(Qt::AlignCenter);
    m_emptyText->setWordWrap(true);
    m_emptyText->setForegroundRole(QPalette::PlaceholderText);

    m_emptyButtons = new QWidget(placeholder);
    auto *buttons = new QHBoxLayout(m_emptyButtons);
    buttons->setContentsMargins({});
    auto *newSkill = new QPushButton(u"New Skill…"_s, m_emptyButtons);
    auto *addFolder = new QPushButton(u"Add a Projects Folder…"_s, m_emptyButtons);
    connect(newSkill, &QPushButton::clicked, this, &SkillListView::newSkillRequested);
    connect(addFolder, &QPushButton::clicked, this, &SkillListView::addFolderRequested);
    buttons->addStretch();
    buttons->addWidget(newSkill);
    buttons->addWidget(addFolder);
    buttons->addStretch();

    auto *layout = new QVBoxLayout(placeholder);
    layout->addWidget(icon);
    layout->addWidget(m_emptyHeading);
    layout->addWidget(m_emptyText);
    layout->addWidget(m_emptyButtons);
    return placeholder;
}

QMenu *SkillListView::menuFor(Skill *skill)
{
    auto *menu = new QMenu(this);
    if (!skill)
        return menu;
    // The skill is each action's context: a record deleted while the menu
    // is open takes the actions' work with it.
    menu->addAction(skill->isFavorite() ? u"Unfavorite"_s : u"Favorite"_s, skill, [this, skill] {
        skill->setIsFavorite(!skill->isFavorite());
        // A failure is shown with Retry; the change stays pending meanwhile.
        if (m_context)
            StoreSaver::of(m_context)->save();
    });
    menu->addSeparator();
    menu->addAction(FileRevealer::actionText(), skill,
        [this, skill] { FileRevealer::reveal(skill->filePath(), this); });
    return menu;
}

void SkillListView::showMenu(const QPoint &pos)
{
    Skill *skill = m_filter->skillAt(m_list->indexAt(pos).row());
    if (!skill)
        return;
    QMenu *menu = menuFor(skill);
    menu->setAttribute(Qt::WA_DeleteOnClose);
    menu->popup(m_list->viewport()->mapToGlobal(pos));
}

void SkillListView::setHealth(SkillHealth *health)
{
    if (m_health)
        disconnect(m_health, nullptr, m_list->viewport(), nullptr);
    m_health = health;
    m_delegate->setHealth(health);
    if (health)
        connect(health, &SkillHealth::changed, m_list->viewport(), qOverload<>(&QWidget::update));
    updateQuery();
    m_list->viewport()->update();
}

void SkillListView::updateQuery()
{
    if (!m_state)
        return;
    const SidebarFilter filter = m_state->sidebarFilter();
    m_title->setText(SkillQuery::title(filter));
    m_filter->setQuery(SkillQuery(filter, m_state->searchText(), m_health));
    updateCount();
}

void SkillListView::setSearchedPlaces(const QStringList &places)
{
    m_searchedPlaces = places;
    updateEmptyState();
}

void SkillListView::setScanProgress(bool scanning, int filesSeen, int expected)
{
    const bool changed = scanning != m_scanning;
    m_scanning = scanning;
    const QLocale locale;
    if (!scanning)
        m_scanNote->clear();
    else if (expected > 0)
        m_scanNote->setText(u"Scanning… %1 of %2"_s.arg(
            locale.toString(std::min(filesSeen, expected)), locale.toString(expected)));
    else
        m_scanNote->setText(
            filesSeen > 0 ? u"Scanning… %1"_s.arg(locale.toString(filesSeen)) : u"Scanning…"_s);
    m_scanNote->setVisible(scanning);
    if (changed)
        updateEmptyState();
    if (!scanning) {
        m_scanNote->setMinimumWidth(0);
        return;
    }
    // The scan holds the event loop: the note is laid out and drawn now or
    // not at all. It only grows, so the title beside it does not jitter.
    const QMargins margins = m_scanNote->contentsMargins();
    const int needed = m_scanNote->fontMetrics().horizontalAdvance(m_scanNote->text())
        + margins.left() + margins.right();
    if (needed > m_scanNote->minimumWidth()) {
        m_scanNote->setMinimumWidth(needed);
        layout()->activate();
        m_title->repaint();
    }
    if (m_scanNote->isVisible())
        m_scanNote->repaint();
}

void SkillListView::updateEmptyState()
{
    const bool empty = m_filter->rowCount() == 0;
    m_emptyState->setVisible(empty);
    updateCount();
    if (!empty)
        return;
    const bool nothingAtAll = m_model->rowCount() == 0;
    const bool firstRun = nothingAtAll && !m_scanning;
    if (nothingAtAll && m_scanning) {
        m_emptyHeading->setText(u"Looking for Skills"_s);
        m_emptyText->setText(u"Quire is reading the tool folders."_s);
    } else if (firstRun) {
        m_emptyHeading->setText(u"No skills found"_s);
        QStringList shown;
        for (const QString &place : std::as_const(m_searchedPlaces)) {
            const QString home = QDir::homePath();
            shown.append(place.startsWith(home + u'/') ? u"~"_s + place.mid(home.size()) : place);
        }
        m_emptyText->setText(shown.isEmpty() ? u"Quire found no skill files."_s
                                             : u"Quire looked in:\n%1"_s.arg(shown.join(u'\n')));
    } else if (m_state && m_state->searchText().isEmpty()
        && m_state->sidebarFilter() == SidebarFilter::favorites()) {
        m_emptyHeading->setText(u"No Favorites"_s);
        m_emptyText->setText(u"Click ☆ on a skill to add it here"_s);
    } else {
        m_emptyHeading->setText(u"No Skills"_s);
        m_emptyText->setText(u"No skills match the current filter."_s);
    }
    m_emptyButtons->setVisible(firstRun);
    // Only the first-run buttons take clicks; otherwise the list's own
    // context menu and clicks go through.
    m_emptyState->setAttribute(Qt::WA_TransparentForMouseEvents, !firstRun);
}

void SkillListView::updateCount()
{
    // Out of what the sidebar filter alone keeps, so the two numbers
    // describe the same list before and after the search.
    if (!m_state || m_state->searchText().isEmpty()) {
        m_count->clear();
        m_count->hide();
        return;
    }
    const SkillQuery unsearched(m_state->sidebarFilter(), QString(), m_health);
    int total = 0;
    for (int row = 0; row < m_model->rowCount(); ++row) {
        if (const Skill *skill = m_model->skillAt(row); skill && unsearched.matchesFilter(*skill))
            ++total;
    }
    const QLocale locale;
    m_count->setText(
        u"%1 of %2"_s.arg(locale.toString(m_filter->rowCount()), locale.toString(total)));
    m_count->show();
}

bool SkillListView::eventFilter(QObject *watched, QEvent *event)
{
    if (watched == m_list && event->type() == QEvent::KeyPress
        && m_list->selectionModel()->hasSelection()) {
        const auto *key = static_cast<QKeyEvent *>(event);
        const Qt::KeyboardModifiers modifiers = key->modifiers() & ~Qt::KeypadModifier;
        if (modifiers == Qt::NoModifier) {
            switch (key->key()) {
            case Qt::Key_Return:
            case Qt::Key_Enter:
                Q_EMIT openRequested();
                return true;
            case Qt::Key_Space:
                Q_EMIT toggleRequested();
                return true;
            default:
                break;
            }
        }
    }
    return QWidget::eventFilter(watched, event);
}

void SkillListView::modelChanging()
{
    m_modelChanging = true;
}

void SkillListView::modelChanged()
{
    m_modelChanging = false;
    // A selected skill that a search hid comes back selected.
    syncSelection();
    updateEmptyState();
}

void SkillListView::syncSelection()
{
    QItemSelectionModel *selection = m_list->selectionModel();
    const int row = m_filter->rowOf(m_state ? m_state->selectedSkill() : nullptr);
    const QModelIndex wanted = row >= 0 ? m_filter->index(row, 0) : QModelIndex();
    const QModelIndexList selected = selection->selectedRows();
    if (wanted.isValid() ? selected == QModelIndexList { wanted } : selected.isEmpty())
        return;
    const QScopedValueRollback syncing(m_syncing, true);
    if (wanted.isValid()) {
        selection->setCurrentIndex(wanted, QItemSelectionModel::ClearAndSelect);
        m_list->scrollTo(wanted);
    } else {
        selection->clearSelection();
    }
}

void SkillListView::userSelected()
{
    if (m_syncing || m_modelChanging || !m_state)
        return;
    const QModelIndexList selected = m_list->selectionModel()->selectedRows();
    m_state->setSelectedSkill(
        selected.isEmpty() ? nullptr : m_filter->skillAt(selected.first().row()));
}
