#pragma once

#include <QObject>
#include <QPointer>

#include <memory>

class FileWatcher;
class ModelContext;
class SettingsStore;
class SkillHealth;
class SkillScanner;

// A window's discovery: its scanner, the watcher on the global tool folders,
// and when each scan runs. Kept apart from the window so it runs and is tested
// without a display.
class DiscoverySession final : public QObject
{
    Q_OBJECT
    Q_DISABLE_COPY_MOVE(DiscoverySession)

public:
    DiscoverySession(ModelContext *context, SettingsStore *settings, QObject *parent = nullptr);
    ~DiscoverySession() override;

    // Each time the window is shown: a new scanner whose first full scan runs
    // once control returns to the event loop, after the watcher is in place,
    // and a new watcher on the global folders that exist now.
    void setUp();

    SkillScanner *scanner() const { return m_scanner.get(); }
    FileWatcher *watcher() const { return m_watcher.get(); }
    // The findings of the store's skills, current after every scan and save.
    SkillHealth *health() const { return m_health; }

Q_SIGNALS:
    void scanStarted();
    // How many skill files the running scan has met, against the number of
    // skills the store held when it started (0 on a first scan).
    void scanProgressed(int filesSeen, int expected);
    void scanFinished();

private:
    void scan(std::shared_ptr<SkillScanner> scanner, bool prune);

    ModelContext *m_context;
    SettingsStore *m_settings;
    SkillHealth *m_health;
    std::shared_ptr<SkillScanner> m_scanner;
    std::unique_ptr<FileWatcher> m_watcher;
    quint64 m_generation = 0;
    bool m_healthChecked = false;
};
