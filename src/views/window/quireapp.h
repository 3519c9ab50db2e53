#pragma once

#include <QList>
#include <QObject>
#include <QPointer>
#include <QString>

#include <memory>
#include <optional>

class AppState;
class ContentView;
class ModelContext;
class SettingsStore;
class SettingsView;
class Updater;

// The running application: the one AppState, the store, the settings and
// the updater, made once and handed to every window.
class QuireApp final : public QObject
{
    Q_OBJECT
    Q_DISABLE_COPY_MOVE(QuireApp)

public:
    // The fatal stop's text, before the error's own description.
    static constexpr const char *fatalStorePrefix = "Could not create ModelContainer: ";

    // Opens the store and the first window; returns the exit code of the
    // event loop, or non-zero at once when the store cannot be opened.
    // How the first window starts, for scripts that show a given state
    // (`quire open --filter tool:claude --search pdf --select PATH --view editor`).
    struct StartState
    {
        QString filter; // as `quire list --filter` takes it; empty: all
        QString search;
        QString select; // a skill's file or any route to it; "~/" is the home folder
        QString view; // "card" or "editor"; empty: the card
        QString show; // new-skill, or settings:general|directories|about; empty: none
    };
    // Parses the arguments after `open`; an error text on bad usage.
    static std::optional<StartState> parseStartState(const QStringList &arguments, QString &error);

    static int run(const StartState &start = {});
    // The stored Appearance, or the one QUIRE_COLOR_SCHEME (light, dark,
    // system) names.
    static void applyAppearance(const SettingsStore *settings);

    ~QuireApp() override;
    ContentView *openWindow();
    void select(const QString &path);
    // The one settings window, made on first use; tab is a SettingsView::Tab.
    SettingsView *showSettings(int tab = -1);

private:
    QuireApp(std::unique_ptr<ModelContext> store, std::unique_ptr<SettingsStore> settings);

    std::unique_ptr<AppState> m_state;
    std::unique_ptr<SettingsStore> m_settings;
    std::unique_ptr<ModelContext> m_store;
    std::unique_ptr<Updater> m_updater;
    QList<QPointer<ContentView>> m_windows;
    std::unique_ptr<SettingsView> m_settingsView; // before the services it uses go
};
