#pragma once

#include "result.h"

#include <QString>

class ModelContext;

// Writes an earlier version of a skill file back, for the History view and
// `quire restore` alike. The file is written atomically, and only over the
// text Quire knows: a change nobody recorded yet is a conflict, unless the
// caller says to go on, and then that text is kept in the history first.
class VersionRestore final
{
public:
    enum class Mode { RefuseChanged, KeepChangedAndRestore };

    // path is the file's resolved path, as its history names it.
    static Status restore(ModelContext &store, const QString &path, qint64 versionId,
        Mode mode = Mode::RefuseChanged);
    // The text the file has for Quire now: the record's, or the last version
    // of a removed file. Null when Quire knows no text for it.
    static QString knownText(ModelContext &store, const QString &path);
};
