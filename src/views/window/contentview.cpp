#include "contentview.h"

#include "appstate.h"
#include "checkforupdatesviewmodel.h"
#include "detailpane.h"
#include "discoverysession.h"
#include "messagebar.h"
#include "modelcontext.h"
#include "newskillsheet.h"
#include "saveactionslot.h"
#include "saveactionsource.h"
#include "settingsstore.h"
#include "sidebarview.h"
#include "skilldetailview.h"
#include "skilleditorview.h"
#include "skillfiltermodel.h"
#include "skilllistview.h"
#include "storesaver.h"
#include "symbolicons.h"
#include "toolsource.h"
#include "updater.h"
#include "updateresultdialog.h"

#include <QAction>
#include <QApplication>
#include <QCloseEvent>
#include <QDir>
#include <QFileDialog>
#include <QKeyEvent>
#include <QLineEdit>
#include <QListView>
#include <QMenuBar>
#include <QSplitter>
#include <QTimer>
#include <QToolBar>
#include <QToolButton>
#include <QVBoxLayout>
#include <QWindow>

using namespace Qt::StringLiterals;

namespace {

const QString geometryKey = u"window/geometry"_s;
const QString columnsKey = u"window/columns"_s;
const QString sidebarKey = u"window/sidebarVisible"_s;

} // namespace

ContentView::ContentView(AppState *state, ModelContext *context, SettingsStore *settings,
    Updater *updater, QWidget *parent)
    : QMainWindow(parent),
      m_state(state),
      m_settings(settings),
      m_discovery(new DiscoverySession(context, settings, this)),
      m_saveSlot(new SaveActionSlot(this)),
      m_columns(new QSplitter(Qt::Horizontal, this)),
      m_search(new QLineEdit(this)),
      m_detail(new DetailPane(state, context, m_columns))
{
    setWindowTitle(u"Quire"_s);
    setMinimumSize(900, 500);

    auto *sidebar = new SidebarView(state, context, m_columns);
    auto *list = new SkillListView(state, context, m_columns);
    m_sidebar = sidebar;
    m_list = list;
    sidebar->setHealth(m_discovery->health());
    list->setHealth(m_discovery->health());
    m_detail->setHealth(m_discovery->health());
    m_columns->addWidget(sidebar);
    m_columns->addWidget(list);
    m_columns->addWidget(m_detail);
    m_columns->setChildrenCollapsible(false);
    m_columns->setStretchFactor(0, 0);
    m_columns->setStretchFactor(1, 1);
    m_columns->setStretchFactor(2, 2);
    m_columns->setSizes({ 220, 320, 560 });
    // Saves of this store that fail are shown here, in every window of it.
    StoreSaver *saver = StoreSaver::of(context);
    m_messageBar = new MessageBar(saver, this);
    auto *central = new QWidget(this);
    auto *centralLayout = new QVBoxLayout(central);
    centralLayout->setContentsMargins(0, 0, 0, 0);
    centralLayout->setSpacing(0);
    centralLayout->addWidget(m_messageBar);
    centralLayout->addWidget(m_columns, 1);
    setCentralWidget(central);
    // Another Quire or a terminal `quire` writes the same store; the window
    // follows it instead of keeping a stale copy.
    if (saver && !saver->isFollowing())
        saver->followOtherProcesses();

    auto *toolbar = addToolBar(u"Main"_s);
    toolbar->setObjectName(u"mainToolbar"_s);
    toolbar->setMovable(false);
    toolbar->setFloatable(false);
    m_newSkill = toolbar->addAction(SymbolIcons::icon(u"plus"_s), u"New Skill"_s);
    m_newSkill->setShortcut(QKeySequence::New);
    qobject_cast<QToolButton *>(toolbar->widgetForAction(m_newSkill))
        ->setToolButtonStyle(Qt::ToolButtonTextBesideIcon);
    NewSkillSheet::attach(this, m_newSkill, state, context, settings);
    auto *spacer = new QWidget(toolbar);
    spacer->setSizePolicy(QSizePolicy::Expanding, QSizePolicy::Preferred);
    toolbar->addWidget(spacer);
    m_search->setPlaceholderText(u"Search skills..."_s);
    m_search->setClearButtonEnabled(true);
    m_search->setMaximumWidth(320);
    m_search->setText(state->searchText());
    toolbar->addWidget(m_search);
    m_search->installEventFilter(this);
    // Reading order: search, then the list it filters, then the skill.
    setTabOrder(m_search, list->list());
    setTabOrder(list->list(), m_detail);
    connect(list, &SkillListView::openRequested, this,
        [this] { showDetailMode(DetailViewMode::Editor); });
    connect(list, &SkillListView::toggleRequested, this, [this] {
        showDetailMode(m_state->detailViewMode() == DetailViewMode::Card ? DetailViewMode::Editor
                                                                         : DetailViewMode::Card);
    });
    connect(m_search, &QLineEdit::textChanged, state, &AppState::setSearchText);
    connect(state, &AppState::searchTextChanged, this, [this] {
        if (m_search->text() != m_state->searchText())
            m_search->setText(m_state->searchText());
    });

    buildMenus(updater);
    connect(list, &SkillListView::newSkillRequested, m_newSkill, &QAction::trigger);
    connect(list, &SkillListView::addFolderRequested, this, &ContentView::addProjectsFolder);
    if (settings) {
        connect(settings, &SettingsStore::customScanPathsChanged, this,
            &ContentView::updateSearchedPlaces);
    }
    updateSearchedPlaces();
    connect(
        m_discovery, &DiscoverySession::scanStarted, list, [list] { list->setScanProgress(true); });
    connect(m_discovery, &DiscoverySession::scanProgressed, list,
        [list](int seen, int expected) { list->setScanProgress(true, seen, expected); });
    connect(m_discovery, &DiscoverySession::scanFinished, list,
        [list] { list->setScanProgress(false); });
    // The scanner refreshes artifact lists without touching the records.
    connect(m_discovery, &DiscoverySession::scanFinished, this, [this] {
        if (m_detail->detailView())
            m_detail->detailView()->refreshArtifacts();
    });
    connect(m_detail, &DetailPane::editorStateChanged, this, &ContentView::refreshSaveAction);
    connect(m_detail, &DetailPane::editorStateChanged, this, &ContentView::updateTitle);
    connect(state, &AppState::selectedSkillChanged, this, &ContentView::updateTitle);
    if (context) // a rename arrives with the batch that saved it
        connect(context, &ModelContext::skillsChanged, this, &ContentView::updateTitle);
    // The focused-value slot: whatever has the focus in this window decides.
    m_focusWatch
        = connect(qApp, &QApplication::focusChanged, this, [this] { refreshSaveAction(); });
    restoreLayout();
    updateTitle();
}

ContentView::~ContentView()
{
    // Destroying the widgets below moves the focus; this window must not hear it.
    disconnect(m_focusWatch);
}

void ContentView::buildMenus(Updater *updater)
{
    QMenu *file = menuBar()->addMenu(u"&File"_s);
    file->addAction(m_newSkill);
    QAction *newWindow = file->addAction(u"New Window"_s, this, &ContentView::newWindowRequested);
    newWindow->setShortcut(QKeySequence(Qt::CTRL | Qt::SHIFT | Qt::Key_N));
    file->addSeparator();
    m_save = file->addAction(u"Save"_s, this, [this] { m_saveSlot->trigger(); });
    m_save->setShortcut(QKeySequence::Save);
    m_save->setEnabled(false);
    connect(m_saveSlot, &SaveActionSlot::changed, m_save, &QAction::setEnabled);
    file->addSeparator();
    QAction *close = file->addAction(u"Close Window"_s, this, &QWidget::close);
    close->setShortcut(QKeySequence::Close);
    QAction *quit = file->addAction(u"Quit"_s, qApp, &QApplication::closeAllWindows);
    quit->setShortcut(QKeySequence::Quit);
    quit->setMenuRole(QAction::QuitRole);

    QMenu *edit = menuBar()->addMenu(u"&Edit"_s);
    QAction *find = edit->addAction(u"Find"_s, this, [this] {
        // In the editor, Find searches the file; elsewhere, the skills.
        for (QWidget *widget = QApplication::focusWidget(); widget;
             widget = widget->parentWidget()) {
            if (auto *editor = qobject_cast<SkillEditorView *>(widget)) {
                editor->showFind();
                return;
            }
        }
        m_search->setFocus(Qt::ShortcutFocusReason);
        m_search->selectAll();
    });
    find->setShortcut(QKeySequence::Find);
    edit->addSeparator();
    QAction *preferences
        = edit->addAction(u"Preferences…"_s, this, &ContentView::preferencesRequested);
    QList<QKeySequence> preferencesKeys = QKeySequence::keyBindings(QKeySequence::Preferences);
    if (!preferencesKeys.contains(QKeySequence(Qt::CTRL | Qt::Key_Comma)))
        preferencesKeys.append(QKeySequence(Qt::CTRL | Qt::Key_Comma));
    preferences->setShortcuts(preferencesKeys);
    preferences->setMenuRole(QAction::PreferencesRole);

    edit->addSeparator();
    m_favorite = edit->addAction(u"Favorite"_s, this, [this] {
        if (SkillDetailView *detail = m_detail->detailView();
            detail && !m_detail->showsPlaceholder())
            detail->toggleFavorite();
    });
    m_favorite->setShortcut(QKeySequence(Qt::CTRL | Qt::Key_D));
    connect(edit, &QMenu::aboutToShow, this, [this] {
        const Skill *skill = m_state->selectedSkill();
        m_favorite->setText(skill && skill->isFavorite() ? u"Unfavorite"_s : u"Favorite"_s);
    });

    buildViewMenu();

    QMenu *help = menuBar()->addMenu(u"&Help"_s);
    QAction *about = help->addAction(u"About Quire"_s, this, &ContentView::aboutRequested);
    about->setMenuRole(QAction::AboutRole);
    m_checkForUpdates = help->addAction(u"Check for Updates…"_s);
    m_checkForUpdates->setMenuRole(QAction::ApplicationSpecificRole);
    m_checkForUpdates->setEnabled(false);
    if (!updater)
        return;
    m_updatesModel = new CheckForUpdatesViewModel(updater, this);
    connect(m_updatesModel, &CheckForUpdatesViewModel::canCheckForUpdatesChanged, this,
        [this] { m_checkForUpdates->setEnabled(m_updatesModel->canCheckForUpdates()); });
    connect(m_checkForUpdates, &QAction::triggered, updater,
        [this, updater] { updater->requestCheck(this); });
    connect(
        updater, &Updater::answered, this, [this](QObject *asker, const UpdateCheckResult &result) {
            // The window the user asked from answers, and no other.
            if (asker == this)
                UpdateResultDialog::show(this, result);
        });
}

void ContentView::buildViewMenu()
{
    QMenu *view = menuBar()->addMenu(u"&View"_s);
    m_toggleSidebar = view->addAction(
        u"Hide Sidebar"_s, this, [this] { setSidebarVisible(!m_sidebar->isVisibleTo(m_columns)); });
    m_toggleSidebar->setShortcut(QKeySequence(Qt::CTRL | Qt::ALT | Qt::Key_S));
    view->addSeparator();
    QAction *card
        = view->addAction(u"Card"_s, this, [this] { showDetailMode(DetailViewMode::Card); });
    card->setShortcut(QKeySequence(Qt::CTRL | Qt::Key_1));
    QAction *editor
        = view->addAction(u"Editor"_s, this, [this] { showDetailMode(DetailViewMode::Editor); });
    editor->setShortcut(QKeySequence(Qt::CTRL | Qt::Key_2));
}

void ContentView::setSidebarVisible(bool visible)
{
    m_sidebar->setVisible(visible);
    m_toggleSidebar->setText(visible ? u"Hide Sidebar"_s : u"Show Sidebar"_s);
    if (m_settings)
        m_settings->setValue(sidebarKey, visible);
}

void ContentView::showDetailMode(DetailViewMode mode)
{
    SkillDetailView *detail = m_detail->showsPlaceholder() ? nullptr : m_detail->detailView();
    if (!detail) {
        m_state->setDetailViewMode(mode);
        return;
    }
    // Leaving the editor asks about unsaved edits; staying keeps the focus there.
    if (!detail->requestMode(mode, false))
        return;
    if (mode == DetailViewMode::Editor && detail->editor())
        detail->editor()->setFocus(Qt::ShortcutFocusReason);
}

bool ContentView::eventFilter(QObject *watched, QEvent *event)
{
    if (m_setUpWhenExposed && watched == windowHandle() && event->type() == QEvent::Expose
        && windowHandle()->isExposed()) {
        m_setUpWhenExposed = false;
        windowHandle()->removeEventFilter(this);
        // Queued behind this expose, which draws the window.
        QTimer::singleShot(0, m_discovery, &DiscoverySession::setUp);
    }
    if (watched == m_search && event->type() == QEvent::KeyPress) {
        const auto *key = static_cast<QKeyEvent *>(event);
        if (key->modifiers() == Qt::NoModifier || key->modifiers() == Qt::KeypadModifier)
            return searchKey(key->key()) || QMainWindow::eventFilter(watched, event);
    }
    return QMainWindow::eventFilter(watched, event);
}

bool ContentView::searchKey(int key)
{
    QListView *rows = m_list->list();
    switch (key) {
    case Qt::Key_Escape:
        // The first Escape drops the search, the second leaves the field.
        if (!m_search->text().isEmpty())
            m_search->clear();
        else
            rows->setFocus(Qt::OtherFocusReason);
        return true;
    case Qt::Key_Down:
    case Qt::Key_Return:
    case Qt::Key_Enter: {
        if (rows->model()->rowCount() == 0)
            return key != Qt::Key_Down;
        // Down keeps a selection the list already shows; Return opens the best hit.
        const bool first = key != Qt::Key_Down || !rows->selectionModel()->hasSelection();
        if (first)
            m_state->setSelectedSkill(m_list->filterModel()->skillAt(0));
        rows->setFocus(Qt::OtherFocusReason);
        return true;
    }
    default:
        return false;
    }
}

void ContentView::updateSearchedPlaces()
{
    QStringList places = ToolSources::allGlobalPaths(QDir::homePath());
    if (m_settings)
        places += m_settings->customScanPaths();
    m_list->setSearchedPlaces(places);
}

void ContentView::addProjectsFolder()
{
    if (!m_settings)
        return;
    const QString folder = QFileDialog::getExistingDirectory(
        this, u"Add a Projects Folder"_s, QDir::homePath(), QFileDialog::ShowDirsOnly);
    if (folder.isEmpty())
        return;
    QStringList paths = m_settings->customScanPaths();
    if (paths.contains(folder))
        return;
    paths.append(folder);
    // The change is announced, and the window scans the new folder on it.
    m_settings->setCustomScanPaths(paths);
}

void ContentView::updateTitle()
{
    const QString name = m_detail->shownName();
    if (name.isEmpty()) {
        setWindowTitle(u"Quire"_s);
        return;
    }
    // The bullet marks edits not yet written, where the title bar always shows.
    setWindowTitle(
        m_detail->hasUnsavedEdits() ? u"%1 • — Quire"_s.arg(name) : u"%1 — Quire"_s.arg(name));
}

void ContentView::refreshSaveAction()
{
    std::optional<SaveAction> offered;
    for (QWidget *widget = QApplication::focusWidget(); widget && widget->window() == this;
         widget = widget->parentWidget()) {
        if (const auto *source = dynamic_cast<const SaveActionSource *>(widget)) {
            offered = source->saveAction();
            break;
        }
    }
    m_saveSlot->set(std::move(offered));
}

void ContentView::showEvent(QShowEvent *event)
{
    QMainWindow::showEvent(event);
    if (event->spontaneous())
        return;
    // A scan holds the event loop. Started before the window is on screen, a
    // first start with many skills would show nothing until it ends; started
    // after, it shows the window and the scan's note.
    QWindow *handle = windowHandle();
    if (!handle || handle->isExposed()) {
        m_discovery->setUp();
        return;
    }
    if (!std::exchange(m_setUpWhenExposed, true))
        handle->installEventFilter(this);
}

void ContentView::closeEvent(QCloseEvent *event)
{
    if (!m_detail->confirmLeave()) {
        event->ignore();
        return;
    }
    saveLayout();
    QMainWindow::closeEvent(event);
}

void ContentView::restoreLayout()
{
    if (!m_settings) {
        resize(1100, 700);
        return;
    }
    if (!restoreGeometry(m_settings->value(geometryKey).toByteArray()))
        resize(1100, 700);
    m_columns->restoreState(m_settings->value(columnsKey).toByteArray());
    const QVariant sidebar = m_settings->value(sidebarKey);
    setSidebarVisible(!sidebar.isValid() || sidebar.toBool());
}

void ContentView::saveLayout() const
{
    if (!m_settings)
        return;
    m_settings->setValue(geometryKey, saveGeometry());
    m_settings->setValue(columnsKey, m_columns->saveState());
}
