#pragma once

#include "harnesstable.h"

#include <QString>

// Whether a harness that reads a file's location puts it in front of its model.
enum class LoadStatus {
    Loaded,
    Shadowed, // a file of the same name that the harness prefers wins
    Truncated, // over a limit of the harness: part of it, or all, is never read
    Ignored, // the harness documents the place or file but does not read it
};

// What one harness makes of one file, worked out from the harness table and
// the other files around it; never stored, since any other file can change it.
struct HarnessLoad
{
    ToolSource tool = ToolSource::Custom;
    HarnessScope scope = HarnessScope::Global;
    SkillKind kind = SkillKind::Skill;
    LoadMode how = LoadMode::Always;
    LoadStatus status = LoadStatus::Loaded;
    // What the status or the way of loading needs said, in words: the globs,
    // where a cut falls, why it is not read; empty when there is nothing to say.
    QString note;
    QString path; // the route the harness reads it by
    QString otherPath; // when shadowed: the file that wins

    bool operator==(const HarnessLoad &) const = default;

    // "loaded", "shadowed", "truncated", "ignored"
    static QString rawValue(LoadStatus status);
    // One line for a person: "Loaded always", "Shadowed by ~/.claude/skills/review".
    QString words() const;
};
