#pragma once

#include <QObject>
#include <QStringList>

#include <chrono>
#include <cstddef>
#include <functional>
#include <optional>
#include <vector>

class QFileSystemWatcher;

// Turns the system's change notifications for a list of folders into calls of one
// callback, with the watched path exactly as it was given. Non-recursive: an entry
// created, removed or renamed directly inside a folder is reported, as is the
// folder's own removal or renaming; changes further down are not.
//
// The callback runs on the thread the watcher lives in (the main thread in the
// app), never after the watcher is destroyed, and may itself destroy or re-point
// the watcher.
class FileWatcher final : public QObject
{
    Q_OBJECT
    Q_DISABLE_COPY_MOVE(FileWatcher)

public:
    using Callback = std::function<void(const QString &path)>;

    // Changes to one path within this long are reported by one callback at its end,
    // so the callback always runs after the last change of a burst.
    static constexpr std::chrono::milliseconds coalescingWindow { 100 };

    explicit FileWatcher(Callback callback, QObject *parent = nullptr);
    ~FileWatcher() override;

    // Replaces whatever was watched before. A path that does not exist now
    // (symbolic links followed) or cannot be watched is skipped, and is not looked
    // at again when it appears later.
    void watch(const QStringList &paths);
    void stopAll();

    // In the order they were registered, as given. A watched folder that was
    // deleted or moved stays listed until the next watch or stopAll; a moved one
    // still reports changes inside it under its old path. A folder that appears
    // again under that path is not watched.
    QStringList watchedPaths() const;

private:
    // Which file-system object a path names: two folders at one path over time differ.
    struct Identity
    {
        quint64 device = 0;
        quint64 inode = 0;
        bool operator==(const Identity &) const = default;
    };

    struct Source
    {
        QString path;
        // One system watch per path: each reports under its own path, even when
        // two paths reach the same folder through a symbolic link.
        QFileSystemWatcher *events = nullptr;
        // QFileSystemWatcher on Linux reports no rename of a watched folder itself,
        // so the folder holding it is watched too, until ours is no longer there.
        QString parent;
        QString resolved;
        Identity identity;
        bool callbackDue = false;
    };

    // Follows symbolic links; nothing when the path names nothing now.
    static std::optional<Identity> identify(const QString &path);
    void watchPath(const QString &path);
    void parentChanged(std::size_t index);
    void changed(std::size_t index);

    const Callback m_callback;
    std::vector<Source> m_sources;
};
