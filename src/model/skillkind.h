#pragma once

#include <QString>

#include <array>
#include <optional>

// What a file is to the harness that reads it. Stored by raw value.
enum class SkillKind { Skill, Rule, Instructions, Command, Agent, Workflow };

namespace SkillKinds {

inline constexpr std::array<SkillKind, 6> all = {
    SkillKind::Skill,
    SkillKind::Rule,
    SkillKind::Instructions,
    SkillKind::Command,
    SkillKind::Agent,
    SkillKind::Workflow,
};

QString rawValue(SkillKind kind);
std::optional<SkillKind> fromRaw(const QString &raw);
// The plural a list of them is headed with: "Skills", "Rules", ...
QString pluralName(SkillKind kind);
QString symbolName(SkillKind kind);

} // namespace SkillKinds
