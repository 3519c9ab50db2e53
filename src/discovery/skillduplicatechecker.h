#pragma once

#include "healthfinding.h"

#include <QHash>
#include <QList>
#include <QStringList>

class Skill;

// Skills of one harness that share a name where the harness sees them
// together: the global folders, or one project with the global folders. A
// harness loads one of them, so different texts are a clash and equal texts
// a spare copy. Each finding names the other file.
class SkillDuplicateChecker final
{
public:
    // The groups a skill belongs to, one per tool: empty for files that are
    // not picked by name. Kept by the caller, so a batch recomputes only its own.
    static QStringList groupKeys(const Skill &skill);
    static QHash<const Skill *, QList<HealthFinding>> check(
        const QHash<const Skill *, QStringList> &keys);
};
