#pragma once

#include <QByteArray>
#include <QList>

struct stat;

// What an artifact walk saw of the file system: every folder it listed and
// every symbolic link it followed or skipped. When all of them still look the
// same, a new walk would list the same files, so a rescan can skip it.
class ArtifactStamp final
{
public:
    // A folder listed by the walk. Its times change whenever an entry is
    // added, removed or renamed in it.
    void addFolder(const QByteArray &path, const struct stat &info);
    // A link met by the walk; its target may change without its folder changing.
    void addLink(const QByteArray &path, const struct stat *target);

    bool isEmpty() const { return m_entries.isEmpty(); }
    // Re-reads every recorded attribute. False when any differs, or when the
    // walk saw a time so recent that a change in the same clock tick could
    // have gone unnoticed.
    bool holds() const;
    void markRacy() { m_racy = true; }

private:
    struct Entry
    {
        QByteArray path;
        bool isLink = false;
        bool exists = false;
        quint64 device = 0;
        quint64 inode = 0;
        quint32 type = 0;
        qint64 modified = 0;
        qint64 changed = 0;
        bool operator==(const Entry &) const = default;
    };
    static Entry folderEntry(const QByteArray &path, const struct stat &info);
    static Entry linkEntry(const QByteArray &path, const struct stat *target);

    QList<Entry> m_entries;
    bool m_racy = false;
};
