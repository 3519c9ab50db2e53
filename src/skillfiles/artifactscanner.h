#pragma once

#include "artifactstamp.h"
#include "skillartifact.h"

#include <QList>
#include <QString>

class ArtifactCache;

// Finds and classifies the supporting files of a folder skill.
class ArtifactScanner final
{
public:
    struct Walk
    {
        QList<SkillArtifact> artifacts;
        ArtifactStamp stamp;
    };

    // skillFilePath: the skill file itself (its folder is walked), as reached on
    // this visit; artifact paths are built on it, symbolic links not resolved.
    // Links to files are listed; links to folders are not walked, so nothing
    // outside the skill folder is listed as its own.
    // Sorted by category raw value, walk order kept within a category. An
    // unreadable or missing folder gives an empty list.
    static QList<SkillArtifact> scanArtifacts(const QString &skillFilePath);
    static Walk walk(const QString &skillFilePath);

    // Stores the artifacts of skillFilePath in the cache under that path. When
    // the folders seen by the last walk are unchanged the list is taken over
    // with fresh ids instead of walking again.
    static void refresh(const QString &skillFilePath, ArtifactCache &cache);
};
