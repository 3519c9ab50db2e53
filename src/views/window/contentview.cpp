#include "contentview.h"

#include "appstate.h"
#include "checkforupdatesviewmodel.h"
#include "detailpane.h"
#include "discoverysession.h"
#include "messagebar.h"
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
#include "updater.h"
#include "updateresultdialog.h"

#include <QAction>
#include <QApplication>
#include <QCloseEvent>
#include <QLineEdit>
#include <QMenuBar>
#include <QSplitter>
#include <QToolBar>
#include <QToolButton>
#include <QVBoxLayout>

using namespace Qt::StringLiterals;

namespace {

const QString geometryKey = u"window/geometry"_s;
const QString columnsKey = u"window/columns"_s;

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
    connect(m_search, &QLineEdit::textChanged, state, &AppState::setSearchText);
    connect(state, &AppState::searchTextChanged, this, [this] {
        if (m_search->text() != m_state->searchText())
            m_search->setText(m_state->searchText());
    });

    buildMenus(updater);
    // The scanner refreshes artifact lists without touching the records.
    connect(m_discovery, &DiscoverySession::scanFinished, this, [this] {
        if (m_detail->detailView())
            m_detail->detailView()->refreshArtifacts();
    });
    connect(m_detail, &DetailPane::editorStateChanged, this, &ContentView::refreshSaveAction);
    // The focused-value slot: whatever has the focus in this window decides.
    m_focusWatch
        = connect(qApp, &QApplication::focusChanged, this, [this] { refreshSaveAction(); });
    restoreLayout();
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
    connect(m_checkForUpdates, &QAction::triggered, updater, [this, updater] {
        m_awaitingUpdateCheck = true;
        updater->checkForUpdates();
    });
    connect(updater, &Updater::checkFinished, this, [this](const UpdateCheckResult &result) {
        // The window the user asked from answers, and no other.
        if (!std::exchange(m_awaitingUpdateCheck, false))
            return;
        UpdateResultDialog::show(this, result);
    });
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
    if (!event->spontaneous())
        m_discovery->setUp();
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
}

void ContentView::saveLayout() const
{
    if (!m_settings)
        return;
    m_settings->setValue(geometryKey, saveGeometry());
    m_settings->setValue(columnsKey, m_columns->saveState());
}
