#include "filewatcher.h"

#include <QFile>
#include <QFileInfo>
#include <QFileSystemWatcher>
#include <QTimer>

#include <sys/stat.h>

FileWatcher::FileWatcher(Callback callback, QObject *parent)
    : QObject(parent), m_callback(std::move(callback))
{
}

FileWatcher::~FileWatcher()
{
    stopAll();
}

void FileWatcher::watch(const QStringList &paths)
{
    stopAll();
    for (const QString &path : paths)
        watchPath(path);
}

void FileWatcher::stopAll()
{
    // Deleting a source also cancels its pending callback timer, which uses the
    // source as its context. No callback runs inside a source's own signal, so
    // deleting here never pulls an object out from under its emitter.
    for (const Source &source : m_sources)
        delete source.events;
    m_sources.clear();
}

QStringList FileWatcher::watchedPaths() const
{
    QStringList paths;
    paths.reserve(qsizetype(m_sources.size()));
    for (const Source &source : m_sources)
        paths.append(source.path);
    return paths;
}

std::optional<FileWatcher::Identity> FileWatcher::identify(const QString &path)
{
    struct stat info = {};
    if (::stat(QFile::encodeName(path).constData(), &info) != 0)
        return std::nullopt;
    return Identity { quint64(info.st_dev), quint64(info.st_ino) };
}

void FileWatcher::watchPath(const QString &path)
{
    if (path.isEmpty())
        return;
    const std::optional<Identity> identity = identify(path);
    if (!identity) // missing, or a dangling link
        return;
    auto *events = new QFileSystemWatcher(this);
    if (!events->addPath(path)) {
        delete events;
        return;
    }
    Source source;
    source.path = path;
    source.events = events;
    source.identity = *identity;
    const QFileInfo info(path);
    if (info.isDir()) {
        // The folder's real place, so that moving the folder a link points to
        // counts, as the watch above follows the link too.
        source.resolved = info.canonicalFilePath();
        const QString parent = QFileInfo(source.resolved).absolutePath();
        if (parent != source.resolved && events->addPath(parent))
            source.parent = parent;
    }

    // The index stays valid as long as the source does: m_sources only shrinks in
    // stopAll, which deletes every source and with it these connections.
    const std::size_t index = m_sources.size();
    connect(events, &QFileSystemWatcher::directoryChanged, this,
        [this, index](const QString &reported) {
            if (reported == m_sources[index].parent)
                parentChanged(index);
            else
                changed(index);
        });
    connect(events, &QFileSystemWatcher::fileChanged, this, [this, index] { changed(index); });
    m_sources.push_back(std::move(source));
}

void FileWatcher::parentChanged(std::size_t index)
{
    Source &source = m_sources[index];
    // Most changes beside our folder leave it where it was.
    if (identify(source.resolved) == source.identity)
        return;
    // Gone from its place: once reported, what happens there later is not ours,
    // even when a folder of the same name appears.
    source.events->removePath(source.parent);
    source.parent.clear();
    changed(index);
}

void FileWatcher::changed(std::size_t index)
{
    Source &source = m_sources[index];
    // A callback already due runs after this change, so it sees it too.
    if (source.callbackDue)
        return;
    source.callbackDue = true;
    QTimer::singleShot(coalescingWindow, source.events, [this, index] {
        m_sources[index].callbackDue = false;
        // Copies: the callback may destroy this watcher, or re-point it, and with
        // that the function object and the path it is running with.
        const Callback callback = m_callback;
        const QString path = m_sources[index].path;
        callback(path);
    });
}
