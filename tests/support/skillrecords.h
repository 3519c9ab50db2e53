#pragma once

#include "modelcontext.h"
#include "skill.h"

// A record as a scan of path would start it; the name defaults to the
// skill's folder for SKILL.md, else to the file's base name.
Skill::Seed skillSeed(
    const QString &path, const QString &name = {}, ToolSource tool = ToolSource::Claude);

// Inserts a record made from seed, unsaved; null (and a failed test) when
// the store refuses it.
Skill *addSkill(ModelContext &store, const Skill::Seed &seed);
