#pragma once

#include "parsedskill.h"
#include "toolsource.h"

#include <QString>

// Reads the text of a skill file. The frontmatter is a small line-based subset
// of YAML (no quoting, escaping, comments or nesting), read the same way by the
// scanner, new-skill creation and the editor's save; all functions are pure and
// never fail.
class FrontmatterParser final
{
public:
    static ParsedSkill parseFrontmatter(const QString &text);
    // For files whose title is their first "# " heading and that have no keys.
    static ParsedSkill parseHeadingSkill(const QString &text);
    static ParsedSkill parse(const QString &text, ParseStyle style);
};
