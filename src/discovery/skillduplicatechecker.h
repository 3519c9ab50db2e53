#pragma once

#include "healthfinding.h"

#include <QHash>
#include <QList>

class Skill;

// Skills of one harness that share a name where the harness sees them
// together: the global folders, or one project with the global folders. A
// harness loads one of them, so different texts are a clash and equal texts
// a spare copy. Each finding names the other file.
class SkillDuplicateChecker final
{
public:
    static QHash<const Skill *, QList<HealthFinding>> check(const QList<const Skill *> &skills);
};
