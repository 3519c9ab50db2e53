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

#include <QGridLayout>
#include <QLabel>
#include <QListView>
#include <QMenu>
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

    m_list->setObjectName(u"skillList"_s);
    m_list->setSelectionMode(QAbstractItemView::SingleSelection);
    m_list->setEditTriggers(QAbstractItemView::NoEditTriggers);
    m_list->setUniformItemSizes(true);
    m_list->setContextMenuPolicy(Qt::CustomContextMenu);
    m_list->setItemDelegate(m_delegate);

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
    layout->addWidget(m_title);
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
    placeholder->setAttribute(Qt::WA_TransparentForMouseEvents);

    auto *icon = new QLabel(placeholder);
    icon->setPixmap(SymbolIcons::icon(u"doc.text"_s).pixmap(QSize(40, 40)));
    icon->setAlignment(Qt::AlignCenter);
    auto *heading = new QLabel(u"No Skills"_s, placeholder);
    heading->setObjectName(u"emptyStateHeading"_s);
    QFont headingFont = heading->font();
    headingFont.setBold(true);
    headingFont.setPointSizeF(headingFont.pointSizeF() * 1.3);
    heading->setFont(headingFont);
    heading->setAlignment(Qt::AlignCenter);
    auto *text = new QLabel(u"No skills match the current filter."_s, placeholder);
    text->setObjectName(u"emptyStateText"_s);
    text->setAlignment(Qt::AlignCenter);
    text->setWordWrap(true);
    text->setForegroundRole(QPalette::PlaceholderText);

    auto *layout = new QVBoxLayout(placeholder);
    layout->addWidget(icon);
    layout->addWidget(heading);
    layout->addWidget(text);
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
}

void SkillListView::updateEmptyState()
{
    m_emptyState->setVisible(m_filter->rowCount() == 0);
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
