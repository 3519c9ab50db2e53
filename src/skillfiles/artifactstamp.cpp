#include "artifactstamp.h"

#include <sys/stat.h>

namespace {

qint64 nanoseconds(const struct timespec &time)
{
    return qint64(time.tv_sec) * 1'000'000'000 + time.tv_nsec;
}

} // namespace

ArtifactStamp::Entry ArtifactStamp::folderEntry(const QByteArray &path, const struct stat &info)
{
    Entry entry;
    entry.path = path;
    entry.exists = true;
    entry.device = quint64(info.st_dev);
    entry.inode = quint64(info.st_ino);
    entry.type = quint32(info.st_mode & S_IFMT);
    entry.modified = nanoseconds(info.st_mtim);
    entry.changed = nanoseconds(info.st_ctim);
    return entry;
}

ArtifactStamp::Entry ArtifactStamp::linkEntry(const QByteArray &path, const struct stat *target)
{
    Entry entry;
    entry.path = path;
    entry.isLink = true;
    if (target) {
        entry.exists = true;
        entry.device = quint64(target->st_dev);
        entry.inode = quint64(target->st_ino);
        entry.type = quint32(target->st_mode & S_IFMT);
    }
    return entry;
}

void ArtifactStamp::addFolder(const QByteArray &path, const struct stat &info)
{
    m_entries.append(folderEntry(path, info));
}

void ArtifactStamp::addLink(const QByteArray &path, const struct stat *target)
{
    m_entries.append(linkEntry(path, target));
}

bool ArtifactStamp::holds() const
{
    if (m_racy || m_entries.isEmpty())
        return false;
    for (const Entry &entry : m_entries) {
        struct stat info
        {
        };
        const bool found = ::stat(entry.path.constData(), &info) == 0;
        const Entry now = !found ? linkEntry(entry.path, nullptr)
            : entry.isLink       ? linkEntry(entry.path, &info)
                                 : folderEntry(entry.path, info);
        if (!(now == entry))
            return false;
    }
    return true;
}
