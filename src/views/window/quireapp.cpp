#include "quireapp.h"

#include "appcastupdater.h"
#include "appearance.h"
#include "appstate.h"
#include "contentview.h"
#include "detailviewmode.h"
#include "discoverysession.h"
#include "modelcontext.h"
#include "qtoptions.h"
#include "settingsstore.h"
#include "settingsview.h"
#include "skillquery.h"

#include <QApplication>
#include <QDir>
#include <QFileInfo>
#include <QGuiApplication>
#include <QMessageBox>

#include <cstdio>

using namespace Qt::StringLiterals;

namespace {

// `quire open --show settings:TAB`, in SettingsView::Tab order; -1 for anything else.
int settingsTabOf(const QString &show)
{
    const QStringList tabs { u"general"_s, u"directories"_s, u"about"_s };
    return show.startsWith(u"settings:") ? int(tabs.indexOf(show.mid(9))) : -1;
}

} // namespace

QuireApp::QuireApp(std::unique_ptr<ModelContext> store, std::unique_ptr<SettingsStore> settings)
    : m_state(std::make_unique<AppState>()),
      m_settings(std::move(settings)),
      m_store(std::move(store))
{
    m_updater = std::make_unique<AppcastUpdater>(
        QApplication::applicationVersion(), AppcastUpdater::configuredFeed(*m_settings));
}

QuireApp::~QuireApp()
{
    // Windows first: they hold pointers to everything below.
    for (const QPointer<ContentView> &window : std::as_const(m_windows))
        delete window.data();
}

std::optional<QuireApp::StartState> QuireApp::parseStartState(
    const QStringList &arguments, QString &error)
{
    StartState start;
    for (qsizetype i = 0; i < arguments.size(); ++i) {
        // QApplication takes these from the command line itself.
        if (const qsizetype qtOption = QtOptions::span(arguments, i)) {
            i += qtOption - 1;
            continue;
        }
        const QString &option = arguments.at(i);
        QString *target = option == u"--filter" ? &start.filter
            : option == u"--search"             ? &start.search
            : option == u"--select"             ? &start.select
            : option == u"--view"               ? &start.view
            : option == u"--show"               ? &start.show
                                                : nullptr;
        if (!target || i + 1 == arguments.size()) {
            error
                = target ? u"%1 needs a value"_s.arg(option) : u"unknown option '%1'"_s.arg(option);
            return std::nullopt;
        }
        *target = arguments.at(++i);
    }
    if (!start.view.isEmpty() && !DetailViewModes::fromRaw(start.view)) {
        error = u"unknown view '%1': use card, editor or history"_s.arg(start.view);
        return std::nullopt;
    }
    if (!start.filter.isEmpty() && !SkillQuery::parseFilter(start.filter)) {
        error = u"unknown filter '%1'"_s.arg(start.filter);
        return std::nullopt;
    }
    if (!start.show.isEmpty() && start.show != u"new-skill" && settingsTabOf(start.show) < 0) {
        error = u"unknown --show '%1'"_s.arg(start.show);
        return std::nullopt;
    }
    return start;
}

int QuireApp::run(const StartState &start)
{
    // The order matters: the shared state exists before the store, the store
    // before any window.
    auto settings = std::make_unique<SettingsStore>(SettingsStore::defaultPath());
    auto store = ModelContext::open(ModelContext::defaultPath());
    if (!store) {
        const QString text = QString::fromLatin1(fatalStorePrefix) + store.error().message;
        std::fprintf(stderr, "%s\n", text.toLocal8Bit().constData());
        const QString platform = QGuiApplication::platformName();
        if (platform != u"offscreen" && platform != u"minimal")
            QMessageBox::critical(nullptr, u"Quire"_s, text);
        return 1;
    }
    applyAppearance(settings.get());
    QuireApp app(std::move(store.value()), std::move(settings));
    AppState *state = app.m_state.get();
    if (const auto filter = SkillQuery::parseFilter(start.filter))
        state->setSidebarFilter(*filter);
    state->setSearchText(start.search);
    // The card is where a window starts anyway.
    if (const auto mode = DetailViewModes::fromRaw(start.view);
        mode && *mode != DetailViewMode::Card)
        state->setDetailViewMode(*mode);
    ContentView *window = app.openWindow();
    if (!start.select.isEmpty()) {
        // The record may only exist once the first scan has run.
        auto selectOnce = std::make_shared<QMetaObject::Connection>();
        *selectOnce = connect(window->discovery(), &DiscoverySession::scanFinished, &app,
            [&app, path = start.select, selectOnce] {
                disconnect(*selectOnce);
                app.select(path);
            });
    }
    if (start.show == u"new-skill")
        window->newSkillAction()->trigger();
    else if (const int tab = settingsTabOf(start.show); tab >= 0)
        app.showSettings(tab);
    return QApplication::exec();
}

void QuireApp::applyAppearance(const SettingsStore *settings)
{
    // QUIRE_COLOR_SCHEME=light|dark outranks the setting, for screenshots and
    // for trying a palette without changing what is stored.
    const auto forced = Appearance::fromName(qEnvironmentVariable("QUIRE_COLOR_SCHEME"));
    Appearance::rememberDesktop();
    Appearance::apply(forced.value_or(Appearance::stored(settings)));
}

void QuireApp::select(const QString &typed)
{
    // "~/" spares scripts from knowing the home folder, which may be a copy.
    const QString path = typed.startsWith(u"~/") ? QDir::homePath() + typed.mid(1) : typed;
    const QString canonical = QFileInfo(path).canonicalFilePath();
    for (Skill *skill : m_store->skills()) {
        if (skill->resolvedPath() == canonical || skill->installedPaths().contains(path)) {
            m_state->setSelectedSkill(skill);
            return;
        }
    }
}

ContentView *QuireApp::openWindow()
{
    auto *window = new ContentView(m_state.get(), m_store.get(), m_settings.get(), m_updater.get());
    window->setAttribute(Qt::WA_DeleteOnClose);
    connect(window, &ContentView::newWindowRequested, this, [this] { openWindow(); });
    connect(window, &ContentView::preferencesRequested, this, [this] { showSettings(); });
    connect(window, &ContentView::aboutRequested, this,
        [this] { showSettings(int(SettingsView::Tab::About)); });
    m_windows.append(window);
    window->show();
    return window;
}

SettingsView *QuireApp::showSettings(int tab)
{
    if (!m_settingsView) {
        m_settingsView = std::make_unique<SettingsView>(m_settings.get(), m_updater.get());
        m_settingsView->setStore(m_store.get());
        // Closing the last main window still quits.
        m_settingsView->setAttribute(Qt::WA_QuitOnClose, false);
    }
    m_settingsView->showHistorySpace(); // grows with every change
    if (tab >= 0)
        m_settingsView->showTab(SettingsView::Tab(tab));
    m_settingsView->show();
    m_settingsView->raise();
    m_settingsView->activateWindow();
    return m_settingsView.get();
}
