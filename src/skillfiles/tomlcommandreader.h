#pragma once

#include "parsedskill.h"

#include <QString>

// Reads a command file written in TOML: its top-level `description` string,
// in any of TOML's four string forms, with the whole text as the body. The
// command's name is its file's, so none is read. Never fails: what cannot be
// read as TOML gives an empty description.
class TomlCommandReader final
{
public:
    static ParsedSkill parse(const QString &text);
};
