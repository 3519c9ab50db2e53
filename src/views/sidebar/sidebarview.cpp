#include "sidebarview.h"

#include "appstate.h"
#include "modelcontext.h"
#include "newcollectionpopover.h"
#include "recentlyremoveddialog.h"
#include "sidebardelegate.h"
#include "sidebarmodel.h"
#include "skillcollection.h"
#include "storesaver.h"

#include <QApplication>
#include <QHBoxLayout>
#include <QLabel>
#include <QListView>
#include <QMenu>
#include <QMessageBox>
#include <QPainter>
#include <QPushButton>
#include <QScopedValueRollback>
#include <QVBoxLayout>

using namespace Qt::StringLiterals;

namespace {

bool confirmDelete(QWidget *parent, const QString &question, const QString &detail)
{
    QMessageBox box(
        QMessageBox::Warning, u"Delete Collection"_s, question, QMessageBox::NoButton, parent);
    box.setInformativeText(detail);
    QPushButton *remove = box.addButton(u"Delete"_s, QMessageBox::DestructiveRole);
    QPalette danger = remove->palette();
    danger.setColor(QPalette::ButtonText, QColor(0xd7, 0x30, 0x2a));
    remove->setPalette(danger);
    box.setDefaultButton(box.addButton(QMessageBox::Cancel));
    box.exec();
    return box.clickedButton() == remove;
}

} // namespace

SidebarView::SidebarView(AppState *state, ModelContext *context, QWidget *parent)
    : QWidget(parent),
      m_state(state),
      m_context(context),
      m_model(new SidebarModel(context, this)),
      m_list(new QListView(this)),
      m_popover(new NewCollectionPopover(context, this))
{
    setObjectName(u"sidebar"_s);
    setWindowTitle(u"Quire"_s);
    // The column's title sits above the list, never over its rows.
    auto *title = new QLabel(u"Quire"_s, this);
    title->setObjectName(u"sidebarTitle"_s);
    QFont titleFont = title->font();
    titleFont.setBold(true);
    titleFont.setPointSizeF(titleFont.pointSizeF() * 1.15);
    title->setFont(titleFont);
    title->setContentsMargins(12, 6, 12, 6);

    m_list->setModel(m_model);
    m_list->setItemDelegate(new SidebarDelegate(m_list));
    m_list->setFrameShape(QFrame::NoFrame);
    m_list->setSelectionMode(QAbstractItemView::SingleSelection);
    m_list->setEditTriggers(QAbstractItemView::NoEditTriggers);
    m_list->setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
    m_list->setContextMenuPolicy(Qt::CustomContextMenu);
    m_list->setMouseTracking(true);
    m_list->setAttribute(Qt::WA_MacShowFocusRect, false);
    m_list->setIconSize(QSize(16, 16));
    // A source list sits on the window's colour, not on a text field's white;
    // by role, so it follows a change of appearance.
    m_list->viewport()->setBackgroundRole(QPalette::Window);

    // The footer sits below the list, so it stays put while the list scrolls.
    auto *column = new QVBoxLayout(this);
    column->setContentsMargins(0, 0, 0, 0);
    column->setSpacing(0);
    column->addWidget(title);
    column->addWidget(m_list, 1);
    column->addWidget(makeFooter());

    if (m_state)
        connect(m_state, &AppState::sidebarFilterChanged, this, &SidebarView::syncSelection);
    // A removed current row makes the list select its neighbour; that is
    // not the user's choice, so it must not reach the filter.
    connect(m_model, &SidebarModel::aboutToRefresh, this, [this] { m_refreshing = true; });
    connect(m_model, &SidebarModel::refreshed, this, [this] {
        m_refreshing = false;
        syncSelection();
    });
    connect(m_list->selectionModel(), &QItemSelectionModel::selectionChanged, this,
        &SidebarView::userSelected);
    connect(m_list, &QListView::clicked, this, &SidebarView::rowClicked);
    connect(m_list, &QListView::activated, this, &SidebarView::rowClicked);
    connect(m_list, &QListView::customContextMenuRequested, this, [this](const QPoint &pos) {
        QMenu *menu = menuForRow(m_list->indexAt(pos));
        if (!menu)
            return;
        menu->setAttribute(Qt::WA_DeleteOnClose);
        menu->popup(m_list->viewport()->mapToGlobal(pos));
    });
    // A failed save announces nothing, so show what the context now holds.
    connect(m_popover, &NewCollectionPopover::createRequested, m_model, &SidebarModel::refresh);

    syncSelection();
}

QMenu *SidebarView::menuForRow(const QModelIndex &index)
{
    const QPointer<SkillCollection> collection
        = index.data(SidebarModel::CollectionRole).value<SkillCollection *>();
    if (!collection)
        return nullptr;
    auto *menu = new QMenu(this);
    QAction *remove = menu->addAction(QIcon::fromTheme(u"edit-delete"_s), u"Delete"_s);
    // Menus here have no destructive role: the delete icon marks it, and the
    // question before a real loss draws its button destructive.
    connect(remove, &QAction::triggered, this, [this, collection] {
        if (collection)
            deleteCollection(collection);
    });
    return menu;
}

void SidebarView::openRecentlyRemoved()
{
    auto *dialog = new RecentlyRemovedDialog(m_context, this);
    dialog->setAttribute(Qt::WA_DeleteOnClose);
    connect(dialog, &QDialog::finished, m_model, &SidebarModel::refresh);
    dialog->open();
}

void SidebarView::deleteCollection(SkillCollection *collection)
{
    if (!m_context)
        return;
    const QPointer<SkillCollection> guard(collection);
    const QString name = collection->name();
    const qsizetype members = collection->skills().size();
    if (members > 0) {
        const QString question = u"Delete the collection “%1”?"_s.arg(name);
        const QString detail = members == 1
            ? u"Its skill stays in your library; only the collection goes."_s
            : u"Its %1 skills stay in your library; only the collection goes."_s.arg(members);
        if (!(m_confirm ? m_confirm(question, detail) : confirmDelete(this, question, detail)))
            return;
        if (!guard)
            return; // another process deleted it while the question was open
    }
    const bool shown = m_state && m_state->sidebarFilter() == SidebarFilter::collection(name);
    StoreSaver::of(m_context)->report(SkillCollection::remove(*m_context, collection));
    m_model->refresh();
    // A filter on a name that no longer exists would leave an empty list
    // with nothing to explain it.
    if (shown)
        m_state->setSidebarFilter(SidebarFilter::all());
}

void SidebarView::openNewCollection()
{
    const QModelIndex row = m_model->newCollectionIndex();
    QRect anchor = m_list->visualRect(row);
    if (!anchor.isValid())
        anchor = QRect(0, 0, m_list->viewport()->width(), 0);
    anchor = QRect(m_list->viewport()->mapToGlobal(anchor.topLeft()), anchor.size());
    m_popover->openAt(anchor);
}

void SidebarView::setHealth(SkillHealth *health)
{
    m_model->setHealth(health);
}

void SidebarView::syncSelection()
{
    selectFilterRow(true);
}

void SidebarView::selectFilterRow(bool moveCurrent)
{
    if (!m_state)
        return;
    const QScopedValueRollback<bool> guard(m_syncing, true);
    QItemSelectionModel *selection = m_list->selectionModel();
    const QModelIndex row = m_model->indexForFilter(m_state->sidebarFilter());
    if (!row.isValid()) {
        // The filter's row went away: show no row, but keep the filter.
        selection->clearSelection();
        return;
    }
    if (!selection->isSelected(row) || selection->selectedIndexes().size() != 1)
        selection->select(row, QItemSelectionModel::ClearAndSelect);
    if (moveCurrent && selection->currentIndex() != row)
        selection->setCurrentIndex(row, QItemSelectionModel::NoUpdate);
}

void SidebarView::userSelected()
{
    if (m_syncing || m_refreshing || !m_state)
        return;
    const QModelIndexList selected = m_list->selectionModel()->selectedIndexes();
    if (selected.isEmpty()) {
        // Never an empty selection by the user's hand: ctrl-click on the
        // selected row, or stepping onto the action row, puts it back once
        // the list has finished with the event. The keyboard cursor stays,
        // so Return can still reach "New collection".
        QMetaObject::invokeMethod(
            this, [this] { selectFilterRow(false); }, Qt::QueuedConnection);
        return;
    }
    const QVariant filter = selected.constFirst().data(SidebarModel::FilterRole);
    if (filter.isValid())
        m_state->setSidebarFilter(filter.value<SidebarFilter>());
}

void SidebarView::rowClicked(const QModelIndex &index)
{
    const auto kind = index.data(SidebarModel::KindRole).value<SidebarModel::RowKind>();
    if (kind == SidebarModel::RowKind::NewCollection && index.isValid() && !m_popover->isVisible())
        openNewCollection();
    if (kind == SidebarModel::RowKind::RecentlyRemoved && index.isValid())
        openRecentlyRemoved();
}

QWidget *SidebarView::makeFooter()
{
    auto *footer = new QWidget(this);
    auto *row = new QHBoxLayout(footer);
    row->setContentsMargins(0, 8, 0, 8);
    row->setSpacing(6);
    row->addStretch();

    const QIcon appIcon = QApplication::windowIcon();
    if (!appIcon.isNull()) {
        const qreal ratio = devicePixelRatioF();
        QPixmap faint(QSize(16, 16) * ratio);
        faint.setDevicePixelRatio(ratio);
        faint.fill(Qt::transparent);
        QPainter painter(&faint);
        painter.setOpacity(0.35);
        appIcon.paint(&painter, QRect(0, 0, 16, 16));
        painter.end();
        auto *icon = new QLabel(footer);
        icon->setObjectName(u"footerIcon"_s);
        icon->setPixmap(faint);
        icon->setFixedSize(16, 16);
        row->addWidget(icon);
    }

    auto *name = new QLabel(u"Quire"_s, footer);
    name->setObjectName(u"footerName"_s);
    QFont font = name->font();
    font.setPointSize(11);
    font.setWeight(QFont::Medium);
    name->setFont(font);
    QPalette palette = name->palette();
    QColor faintText = palette.color(QPalette::WindowText);
    faintText.setAlphaF(0.3F); // the faintest text there is, below placeholder grey
    palette.setColor(QPalette::WindowText, faintText);
    name->setPalette(palette);
    row->addWidget(name);
    row->addStretch();
    return footer;
}
