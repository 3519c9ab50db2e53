#include "skillkind.h"

using namespace Qt::StringLiterals;

namespace SkillKinds {

QString rawValue(SkillKind kind)
{
    switch (kind) {
    case SkillKind::Skill:
        return u"skill"_s;
    case SkillKind::Rule:
        return u"rule"_s;
    case SkillKind::Instructions:
        return u"instructions"_s;
    case SkillKind::Command:
        return u"command"_s;
    case SkillKind::Agent:
        return u"agent"_s;
    case SkillKind::Workflow:
        return u"workflow"_s;
    }
    return {};
}

std::optional<SkillKind> fromRaw(const QString &raw)
{
    for (SkillKind kind : all) {
        if (rawValue(kind) == raw)
            return kind;
    }
    return std::nullopt;
}

QString pluralName(SkillKind kind)
{
    switch (kind) {
    case SkillKind::Skill:
        return u"Skills"_s;
    case SkillKind::Rule:
        return u"Rules"_s;
    case SkillKind::Instructions:
        return u"Instructions"_s;
    case SkillKind::Command:
        return u"Commands"_s;
    case SkillKind::Agent:
        return u"Agents"_s;
    case SkillKind::Workflow:
        return u"Workflows"_s;
    }
    return {};
}

QString symbolName(SkillKind kind)
{
    switch (kind) {
    case SkillKind::Skill:
        return u"book.closed"_s;
    case SkillKind::Rule:
        return u"checklist"_s;
    case SkillKind::Instructions:
        return u"doc.text"_s;
    case SkillKind::Command:
        return u"terminal"_s;
    case SkillKind::Agent:
        return u"brain.head.profile"_s;
    case SkillKind::Workflow:
        return u"wand.and.stars"_s;
    }
    return {};
}

} // namespace SkillKinds
