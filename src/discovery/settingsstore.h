#pragma once

#include "toolsource.h"

#include <QFileSystemWatcher>
#include <QObject>
#include <QSettings>
#include <QStringList>

// The user's settings: one INI file under the config folder. Made once in main
// and passed down; every write of the scan list posts customScanPathsChanged.
class SettingsStore final : public QObject
{
    Q_OBJECT
    Q_DISABLE_COPY_MOVE(SettingsStore)

public:
    // <config dir>/Quire/Quire.conf, from $XDG_CONFIG_HOME or ~/.config.
    static QString defaultPath();

    explicit SettingsStore(const QString &iniPath, QObject *parent = nullptr);

    QString path() const;

    // Also posts customScanPathsChanged when another process (a terminal
    // `quire dirs add`) changes the list in the file.
    void watchForOtherWriters();

    // The stored list, or empty when absent or not a list of text strings.
    QStringList customScanPaths() const;
    // Stores the whole list, then posts customScanPathsChanged (also when unchanged).
    void setCustomScanPaths(const QStringList &paths);
    // QSettings keeps the first error since opening, so after a write this
    // tells a short-lived caller (the command line) whether that write reached disk.
    QSettings::Status status() const;

    // "Default harness for new skills": the tool the new-skill sheet and
    // `quire new` start with. Absent or unknown reads as Claude Code.
    ToolSource defaultTool() const;
    void setDefaultTool(ToolSource tool);

    // Other remembered values (window geometry and the like), under their own keys.
    QVariant value(const QString &key) const;
    void setValue(const QString &key, const QVariant &value);

Q_SIGNALS:
    void customScanPathsChanged();

private:
    void fileChanged();

    // Reading syncs first, to see what another process wrote since.
    mutable QSettings m_settings;
    QFileSystemWatcher *m_watcher = nullptr;
    QStringList m_lastKnown;
};
