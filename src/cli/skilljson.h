#pragma once

#include <QJsonObject>

class Skill;

// The command line's JSON form of a record; scripts and checks rely on its
// keys, so they follow the record's field names.
class SkillJson final
{
public:
    static QJsonObject toJson(const Skill &skill);
};
