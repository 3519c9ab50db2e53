#pragma once

#include "result.h"

#include <QByteArray>
#include <QString>

// The editor's side of a skill file: reading it whole, writing it back
// atomically, and telling whether somebody else changed it in between.
class SkillFile final
{
public:
    // What the bytes on disk were when last read or written.
    struct Snapshot
    {
        bool exists = false;
        bool readable = false;
        QByteArray digest; // of the bytes; empty unless readable

        friend bool operator==(const Snapshot &, const Snapshot &) = default;
    };

    struct Loaded
    {
        Result<QString> text; // without the byte-order mark
        Snapshot snapshot;
        bool byteOrderMark = false; // the bytes began with one
    };

    static Loaded load(const QString &path);
    static Snapshot snapshot(const QString &path);

    // Writes text as UTF-8, with a byte-order mark only when asked, through a
    // temporary file that replaces the target, so a reader never sees half a
    // file. A link is written through to the file it names and stays a link;
    // the file keeps its permissions. A file with several hard links is
    // written in place instead, so every name keeps naming the one file. On
    // success, the snapshot of what was written.
    static Result<Snapshot> save(
        const QString &path, const QString &text, bool byteOrderMark = false);

    // The file a save writes: path with every link on its last component
    // followed, also when the final target does not exist yet.
    static QString writeTarget(const QString &path);

private:
    static Snapshot snapshotOf(const QByteArray &bytes);
    static Result<Snapshot> writeInPlace(
        const QString &target, const QString &path, const QByteArray &bytes);
};
