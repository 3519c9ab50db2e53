#pragma once

#include "skillartifact.h"

#include <QList>
#include <QString>

// Finds and classifies the supporting files of a folder skill.
class ArtifactScanner final
{
public:
    // skillFilePath: the skill file itself (its folder is walked), as reached on
    // this visit; artifact paths are built on it, symbolic links not resolved.
    // Sorted by category raw value, walk order kept within a category. An
    // unreadable or missing folder gives an empty list.
    static QList<SkillArtifact> scanArtifacts(const QString &skillFilePath);
};
