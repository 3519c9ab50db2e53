#pragma once

#include "result.h"
#include "toolsource.h"

#include <QByteArray>
#include <QObject>
#include <QStringList>
#include <QVariantMap>

#include <functional>
#include <optional>

class QFileSystemWatcher;

// The user's settings: one INI file under the config folder, shared by every
// window and every `quire` command. Made once in main and passed down; every
// write of the scan list posts customScanPathsChanged.
//
// Each read parses the file's current text afresh and each write changes that
// text under a lock file beside it, so two processes changing the list at once
// both keep their change.
class SettingsStore final : public QObject
{
    Q_OBJECT
    Q_DISABLE_COPY_MOVE(SettingsStore)

public:
    // <config dir>/Quire/Quire.conf, from $XDG_CONFIG_HOME or ~/.config.
    static QString defaultPath();

    explicit SettingsStore(const QString &iniPath, QObject *parent = nullptr);
    ~SettingsStore() override;

    QString path() const;

    // Also posts customScanPathsChanged when another process (a terminal
    // `quire dirs add`) changes the list in the file.
    void watchForOtherWriters();

    // The stored list as the scanner uses it: absolute paths only, empty when
    // absent or not a list of text strings. Entries it skips, and a file it
    // cannot read, are reported through warning().
    QStringList customScanPaths() const;
    // The same, or why the file cannot be trusted now (unreadable, not UTF-8,
    // lines that do not parse); a caller that is about to change the list
    // refuses then rather than write what it did not read.
    Result<QStringList> readCustomScanPaths() const;

    // Changes the stored list under the lock, against what the file holds at
    // that moment. `change` gets the stored entries (hand-edited relative ones
    // included, so they keep their place or are removed by their exact text)
    // and returns false to leave the file alone. True when the list was
    // written, after which customScanPathsChanged is posted (also when the
    // content did not change). An error means nothing was written.
    Result<bool> updateCustomScanPaths(const std::function<bool(QStringList &stored)> &change);
    // Stores the whole list, replacing what is there; false after reporting
    // through warning() why it could not.
    bool setCustomScanPaths(const QStringList &paths);

    // "Default harness for new skills": the tool the new-skill sheet and
    // `quire new` start with. Absent or unknown reads as Claude Code.
    ToolSource defaultTool() const;
    void setDefaultTool(ToolSource tool);

    // Other remembered values (window geometry and the like), under their own
    // keys. A write that fails is reported through warning().
    QVariant value(const QString &key) const;
    void setValue(const QString &key, const QVariant &value);

Q_SIGNALS:
    void customScanPathsChanged();
    // One sentence for the user about the file: a skipped entry, a failed
    // read or write that the caller had no other way to report.
    void warning(const QString &message) const;

private:
    // The file's keys as last parsed, and what makes its text unsafe to rewrite.
    struct Snapshot
    {
        QByteArray bytes;
        bool exists = false;
        QVariantMap values;
        std::optional<Error> problem;
    };

    const Snapshot &load() const;
    QStringList usablePaths(const QVariant &stored) const;
    void fileChanged();

    const QString m_path;
    mutable std::optional<Snapshot> m_snapshot;
    QFileSystemWatcher *m_watcher = nullptr;
    QStringList m_lastKnown;
};
