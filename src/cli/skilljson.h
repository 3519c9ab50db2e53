#pragma once

#include "harnessload.h"

#include <QJsonObject>
#include <QList>

class Skill;

// The command line's JSON form of a record; scripts and checks rely on its
// keys, so they follow the record's field names.
class SkillJson final
{
public:
    // loadedBy: what each harness makes of it, worked out with its neighbours.
    static QJsonObject toJson(const Skill &skill, const QList<HarnessLoad> &loadedBy);
    // {"tool", "scope", "how", "status", "note"}
    static QJsonObject toJson(const HarnessLoad &load);
};
