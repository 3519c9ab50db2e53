#include "quireapp.h"

#include "appcastupdater.h"
#include "appstate.h"
#include "contentview.h"
#include "discoverysession.h"
#include "modelcontext.h"
#include "settingsstore.h"
#include "settingsview.h"
#include "skillquery.h"

#include <QApplication>
#include <QDir>
#include <QFileInfo>
#include <QGuiApplication>
#include <QMessageBox>
#include <QPalette>
#include <QStyle>

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
    if (!start.view.isEmpty() && start.view != u"card" && start.view != u"editor") {
        error = u"unknown view '%1': use card or editor"_s.arg(start.view);
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
    QuireApp app(std::move(store.value()), std::move(settings));
    AppState *state = app.m_state.get();
    if (const auto filter = SkillQuery::parseFilter(start.filter))
        state->setSidebarFilter(*filter);
    state->setSearchText(start.search);
    if (start.view == u"editor")
        state->setDetailViewMode(DetailViewMode::Editor);
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

void QuireApp::applyColorScheme(const QString &scheme)
{
    if (scheme != u"dark" && scheme != u"light")
        return;
    QApplication::setStyle(u"Fusion"_s);
    if (scheme == u"light") {
        QApplication::setPalette(QApplication::style()->standardPalette());
        return;
    }
    QPalette dark;
    const QColor window(0x2b, 0x2b, 0x2e);
    const QColor base(0x1f, 0x1f, 0x22);
    const QColor text(0xe8, 0xe8, 0xea);
    dark.setColor(QPalette::Window, window);
    dark.setColor(QPalette::WindowText, text);
    dark.setColor(QPalette::Base, base);
    dark.setColor(QPalette::AlternateBase, window);
    dark.setColor(QPalette::Text, text);
    dark.setColor(QPalette::Button, window);
    dark.setColor(QPalette::ButtonText, text);
    dark.setColor(QPalette::ToolTipBase, base);
    dark.setColor(QPalette::ToolTipText, text);
    dark.setColor(QPalette::PlaceholderText, QColor(0x9a, 0x9a, 0xa0));
    dark.setColor(QPalette::Highlight, QColor(0x3a, 0x72, 0xd8));
    dark.setColor(QPalette::HighlightedText, Qt::white);
    dark.setColor(QPalette::Link, QColor(0x6a, 0xa6, 0xff));
    dark.setColor(QPalette::Disabled, QPalette::Text, QColor(0x80, 0x80, 0x86));
    dark.setColor(QPalette::Disabled, QPalette::WindowText, QColor(0x80, 0x80, 0x86));
    dark.setColor(QPalette::Disabled, QPalette::ButtonText, QColor(0x80, 0x80, 0x86));
    QApplication::setPalette(dark);
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
