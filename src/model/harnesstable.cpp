#include "harnesstable.h"

using namespace Qt::StringLiterals;

namespace {

constexpr HarnessScope G = HarnessScope::Global;
constexpr HarnessScope P = HarnessScope::Project;

// Whose files a location holds: the harness's own folder, a folder several
// harnesses share, another harness's folder it borrows, or a file it reads
// only when its own are missing. The first two name the harness as a tool.
enum class Credit { Own, Shared, Borrowed, Fallback };

bool credits(Credit credit)
{
    return credit == Credit::Own || credit == Credit::Shared;
}

HarnessLocation skills(ToolSource tool, HarnessScope scope, const QString &path, Credit credit,
    int rank, NameClash clash = NameClash::Shadow, int depth = 1)
{
    return { tool, scope, path, LocationShape::SkillFolders, { u"SKILL.md"_s }, depth,
        SkillKind::Skill, LoadMode::Description, {}, credits(credit), rank, clash, {},
        ParseStyle::Frontmatter };
}

HarnessLocation files(ToolSource tool, HarnessScope scope, const QString &path,
    const QStringList &endings, int depth, SkillKind kind, LoadMode how, const QString &howKey,
    Credit credit, int rank, NameClash clash)
{
    const ParseStyle parse
        = endings.contains(u".toml"_s) ? ParseStyle::TomlCommand : ParseStyle::Frontmatter;
    return { tool, scope, path, LocationShape::Files, endings, depth, kind, how, howKey,
        credits(credit), rank, clash, {}, parse };
}

HarnessLocation file(ToolSource tool, HarnessScope scope, const QString &path, SkillKind kind,
    LoadMode how, Credit credit, int rank, NameClash clash, ParseStyle parse = ParseStyle::Heading)
{
    return { tool, scope, path, LocationShape::File, {}, 1, kind, how, {}, credits(credit), rank,
        clash, {}, parse };
}

HarnessLocation instructions(ToolSource tool, HarnessScope scope, const QString &path,
    Credit credit, int rank, NameClash clash = NameClash::Join)
{
    const LoadMode how = credit == Credit::Fallback ? LoadMode::Fallback : LoadMode::Always;
    return file(tool, scope, path, SkillKind::Instructions, how, credit, rank, clash);
}

HarnessLocation target(HarnessLocation row)
{
    row.newSkillsHere = true;
    return row;
}

HarnessLocation ignored(HarnessLocation row, const QString &because)
{
    row.ignoredBecause = because;
    return row;
}

// A place Quire has always listed in the old folder layout: loose .md and .mdc
// files and folders holding a SKILL.md or an AGENTS.md. Kept so files people
// keep there stay listed, each saying why the harness does not read it.
QList<HarnessLocation> oldFolder(ToolSource tool, HarnessScope scope, const QString &path,
    SkillKind looseKind, const QString &because)
{
    const ParseStyle parse = ToolSources::parseStyle(tool);
    return {
        { tool, scope, path, LocationShape::SkillFolders, { u"SKILL.md"_s, u"AGENTS.md"_s }, 1,
            SkillKind::Skill, LoadMode::Description, {}, true, 99, NameClash::Shadow, because,
            parse },
        { tool, scope, path, LocationShape::Files, { u".md"_s, u".mdc"_s }, 1, looseKind,
            LoadMode::Always, {}, true, 99, NameClash::Join, because, parse },
    };
}

// The old layout of instructions folders: AGENTS.md in each folder below.
HarnessLocation oldAgentsFolders(
    ToolSource tool, HarnessScope scope, const QString &path, const QString &because)
{
    return { tool, scope, path, LocationShape::SkillFolders, { u"AGENTS.md"_s }, 1,
        SkillKind::Instructions, LoadMode::Always, {}, true, 99, NameClash::Join, because,
        ParseStyle::Heading };
}

// One row a line, each with its source, reads better than wrapped rows.
// clang-format off
QList<HarnessLocation> buildLocations()
{
    using enum ToolSource;
    using K = SkillKind;
    using L = LoadMode;
    using C = Credit;
    using N = NameClash;
    const QStringList md { u".md"_s };
    const int deep = HarnessTable::walkDepth;
    QList<HarnessLocation> rows;

    // Claude Code. Personal skills beat project ones; the closest agents folder wins.
    rows << instructions(Claude, G, u".claude/CLAUDE.md"_s, C::Own, 0) // code.claude.com/docs/en/memory
         << files(Claude, G, u".claude/rules"_s, md, 1, K::Rule, L::Always, u"paths"_s, C::Own, 0, N::Join) // code.claude.com/docs/en/memory; user rules with paths: never load (claude-code#21858)
         << target(skills(Claude, G, u".claude/skills"_s, C::Own, 0)) // code.claude.com/docs/en/skills
         << files(Claude, G, u".claude/commands"_s, md, deep, K::Command, L::Command, {}, C::Own, 0, N::Shadow) // code.claude.com/docs/en/skills ("merged into skills")
         << files(Claude, G, u".claude/agents"_s, md, 1, K::Agent, L::Description, {}, C::Own, 1, N::Shadow) // code.claude.com/docs/en/sub-agents
         << instructions(Claude, P, u"CLAUDE.md"_s, C::Own, 1) // code.claude.com/docs/en/memory
         << instructions(Claude, P, u".claude/CLAUDE.md"_s, C::Own, 2) // code.claude.com/docs/en/memory
         << files(Claude, P, u".claude/rules"_s, md, deep, K::Rule, L::Always, u"paths"_s, C::Own, 3, N::Join) // code.claude.com/docs/en/memory
         << instructions(Claude, P, u"CLAUDE.local.md"_s, C::Own, 4) // code.claude.com/docs/en/memory
         << instructions(Claude, P, u"AGENTS.md"_s, C::Fallback, 5) // 3p RyanAlberts/best-of-Agent-Harnesses load-rules.md (v2.1.277)
         << skills(Claude, P, u".claude/skills"_s, C::Own, 1) // code.claude.com/docs/en/skills
         << files(Claude, P, u".claude/commands"_s, md, deep, K::Command, L::Command, {}, C::Own, 1, N::Shadow) // code.claude.com/docs/en/skills
         << files(Claude, P, u".claude/agents"_s, md, 1, K::Agent, L::Description, {}, C::Own, 0, N::Shadow); // code.claude.com/docs/en/sub-agents
    // Quire's old places: loose files and AGENTS.md folders among the skills.
    rows << oldFolder(Claude, G, u".claude/skills"_s, K::Skill, u"Claude Code reads only a SKILL.md in a folder of its own"_s) // code.claude.com/docs/en/skills
         << oldFolder(Claude, P, u".claude/skills"_s, K::Skill, u"Claude Code reads only a SKILL.md in a folder of its own"_s); // code.claude.com/docs/en/skills

    // Cursor. Rules are .mdc files, nested folders allowed; user rules live in its settings.
    rows << target(skills(Cursor, G, u".cursor/skills"_s, C::Own, 4)) // cursor.com/docs (3p mirror skillscursor.com)
         << skills(Cursor, G, u".claude/skills"_s, C::Borrowed, 5) // cursor docs via 3p effective-cursor.vercel.app
         << skills(Cursor, G, u".codex/skills"_s, C::Borrowed, 6) // cursor docs via 3p effective-cursor.vercel.app
         << files(Cursor, G, u".cursor/commands"_s, md, 1, K::Command, L::Command, {}, C::Own, 1, N::Shadow) // deprecated for skills (3p kendex PR #2192)
         << files(Cursor, P, u".cursor/rules"_s, { u".mdc"_s }, deep, K::Rule, L::Description, u"alwaysApply globs description"_s, C::Own, 0, N::Join) // cursor.com/docs/rules
         << instructions(Cursor, P, u"AGENTS.md"_s, C::Shared, 1) // cursor.com/docs/rules
         << skills(Cursor, P, u".cursor/skills"_s, C::Own, 0) // cursor.com/docs (3p mirror skillscursor.com)
         << skills(Cursor, P, u".agents/skills"_s, C::Shared, 1) // cursor.com/docs (3p mirror skillscursor.com)
         << skills(Cursor, P, u".claude/skills"_s, C::Borrowed, 2) // cursor docs via 3p effective-cursor.vercel.app
         << skills(Cursor, P, u".codex/skills"_s, C::Borrowed, 3) // cursor docs via 3p effective-cursor.vercel.app
         << files(Cursor, P, u".cursor/commands"_s, md, 1, K::Command, L::Command, {}, C::Own, 0, N::Shadow); // deprecated for skills (3p kendex PR #2192)
    rows << oldFolder(Cursor, G, u".cursor/skills"_s, K::Skill, u"Cursor reads only a SKILL.md in a folder of its own"_s) // cursor.com/docs
         << oldFolder(Cursor, G, u".cursor/rules"_s, K::Rule, u"Cursor does not load rules from ~/.cursor/rules; user rules live in its settings"_s) // harnessmith#153, cursor/cursor#2676
         << oldFolder(Cursor, P, u".cursor/skills"_s, K::Skill, u"Cursor reads only a SKILL.md in a folder of its own"_s) // cursor.com/docs
         << oldFolder(Cursor, P, u".cursor/rules"_s, K::Rule, u"Cursor reads only .mdc files in .cursor/rules; a plain .md file there is ignored"_s); // cursor.com/docs/rules

    // Windsurf, now Devin Desktop: Cascade rules and the Devin Local files.
    rows << file(Windsurf, G, u".codeium/windsurf/memories/global_rules.md"_s, K::Instructions, L::Always, C::Own, 0, N::Join, ParseStyle::Frontmatter) // docs.devin.ai/desktop/cascade/memories
         << instructions(Windsurf, G, u".config/devin/AGENTS.md"_s, C::Own, 1) // cli.devin.ai docs
         << target(skills(Windsurf, G, u".codeium/windsurf/skills"_s, C::Own, 3)) // docs.devin.ai/desktop/cascade/memories
         << skills(Windsurf, G, u".agents/skills"_s, C::Shared, 4) // docs.devin.ai/desktop/cascade/memories
         << files(Windsurf, G, u".codeium/windsurf/global_workflows"_s, md, 1, K::Workflow, L::Command, {}, C::Own, 1, N::Shadow) // docs.devin.ai/desktop/cascade/memories
         << files(Windsurf, P, u".windsurf/rules"_s, md, 1, K::Rule, L::Always, u"trigger"_s, C::Own, 2, N::Join) // docs.devin.ai/desktop/cascade/memories
         << files(Windsurf, P, u".devin/rules"_s, md, 1, K::Rule, L::Always, u"trigger"_s, C::Own, 3, N::Join) // docs.devin.ai/desktop/devin-local/customizations
         << instructions(Windsurf, P, u"AGENTS.md"_s, C::Shared, 4) // docs.devin.ai/desktop/cascade/memories
         << instructions(Windsurf, P, u"AGENTS.local.md"_s, C::Own, 5) // docs.devin.ai/desktop/devin-local/customizations
         << instructions(Windsurf, P, u"AGENT.md"_s, C::Shared, 6) // docs.devin.ai/desktop/devin-local/customizations
         << file(Windsurf, P, u".cursorrules"_s, K::Rule, L::Always, C::Shared, 7, N::Join, ParseStyle::Heading) // docs.devin.ai/desktop/devin-local/customizations
         << skills(Windsurf, P, u".windsurf/skills"_s, C::Own, 0) // docs.devin.ai/desktop/cascade/memories
         << skills(Windsurf, P, u".devin/skills"_s, C::Own, 1) // docs.devin.ai/cli/extensibility/skills
         << skills(Windsurf, P, u".agents/skills"_s, C::Shared, 2) // docs.devin.ai/desktop/devin-local/customizations
         << files(Windsurf, P, u".windsurf/workflows"_s, md, 1, K::Workflow, L::Command, {}, C::Own, 0, N::Shadow); // docs.devin.ai/desktop/cascade/memories
    rows << oldFolder(Windsurf, G, u".codeium/windsurf/memories"_s, K::Rule, u"Windsurf keeps its own generated memories here and reads only global_rules.md as your rules"_s) // docs.devin.ai/desktop/cascade/memories
         << oldFolder(Windsurf, G, u".windsurf/rules"_s, K::Rule, u"Windsurf has no global rules folder; global rules go in ~/.codeium/windsurf/memories/global_rules.md"_s) // docs.devin.ai/desktop/cascade/memories
         << oldFolder(Windsurf, P, u".windsurf/rules"_s, K::Rule, u"Windsurf reads .md rule files in .windsurf/rules, not skill folders or .mdc files"_s); // docs.devin.ai/desktop/cascade/memories

    // Codex: one instructions file per folder, override first; skills kept by path, not name.
    rows << instructions(Codex, G, u".codex/AGENTS.override.md"_s, C::Own, 0, N::FirstFile) // openai/codex project_doc.rs
         << instructions(Codex, G, u".codex/AGENTS.md"_s, C::Own, 1, N::FirstFile) // openai/codex project_doc.rs
         << skills(Codex, G, u".codex/skills"_s, C::Own, 2, N::Keep, deep) // openai/codex core-skills/src/loader.rs (deprecated root)
         << target(skills(Codex, G, u".agents/skills"_s, C::Shared, 3, N::Keep, deep)) // openai/codex core-skills/src/loader.rs
         << instructions(Codex, P, u"AGENTS.override.md"_s, C::Own, 0, N::FirstFile) // openai/codex project_doc.rs
         << instructions(Codex, P, u"AGENTS.md"_s, C::Shared, 1, N::FirstFile) // openai/codex project_doc.rs
         << skills(Codex, P, u".codex/skills"_s, C::Own, 0, N::Keep, deep) // openai/codex core-skills/src/loader.rs
         << skills(Codex, P, u".agents/skills"_s, C::Shared, 1, N::Keep, deep); // openai/codex core-skills/src/loader.rs
    rows << oldAgentsFolders(Codex, G, u".codex"_s, u"Codex reads ~/.codex/AGENTS.md, not AGENTS.md files in folders below it"_s) // openai/codex project_doc.rs
         << ignored(instructions(Codex, P, u".codex/AGENTS.md"_s, C::Own, 99), u"Codex reads a project's AGENTS.md at its root, not in .codex"_s) // openai/codex project_doc.rs
         << oldAgentsFolders(Codex, P, u".codex"_s, u"Codex reads a project's AGENTS.md at its root, not in .codex"_s); // openai/codex project_doc.rs

    // Copilot: repository files, the CLI's user files and the skills folders it shares.
    rows << instructions(Copilot, G, u".copilot/copilot-instructions.md"_s, C::Own, 0) // docs.github.com; listed but not loaded in CLI v1.0.9 (copilot-cli#2179)
         << files(Copilot, G, u".copilot/instructions"_s, { u".instructions.md"_s }, deep, K::Rule, L::Glob, u"applyTo"_s, C::Own, 1, N::Join) // docs.github.com (Copilot CLI)
         << target(skills(Copilot, G, u".copilot/skills"_s, C::Own, 3)) // code.visualstudio.com/docs/agents/reference
         << skills(Copilot, G, u".claude/skills"_s, C::Borrowed, 4) // code.visualstudio.com/docs/agents/reference
         << skills(Copilot, G, u".agents/skills"_s, C::Shared, 5) // code.visualstudio.com/docs/agents/reference
         << files(Copilot, G, u".copilot/agents"_s, { u".agent.md"_s, u".md"_s }, 1, K::Agent, L::Description, {}, C::Own, 1, N::Shadow) // docs.github.com (Copilot CLI custom agents)
         << instructions(Copilot, P, u".github/copilot-instructions.md"_s, C::Own, 2) // docs.github.com
         << files(Copilot, P, u".github/instructions"_s, { u".instructions.md"_s }, deep, K::Rule, L::Glob, u"applyTo"_s, C::Own, 3, N::Join) // docs.github.com
         << instructions(Copilot, P, u"AGENTS.md"_s, C::Shared, 4) // docs.github.com
         << instructions(Copilot, P, u"CLAUDE.md"_s, C::Borrowed, 5) // docs.github.com (Copilot CLI)
         << instructions(Copilot, P, u"GEMINI.md"_s, C::Borrowed, 6) // docs.github.com (Copilot CLI)
         << files(Copilot, P, u".github/prompts"_s, { u".prompt.md"_s }, 1, K::Command, L::Command, {}, C::Own, 0, N::Shadow) // code.visualstudio.com/docs/agents/reference (deprecated for Agent Host)
         << files(Copilot, P, u".github/agents"_s, { u".agent.md"_s }, 1, K::Agent, L::Description, {}, C::Own, 0, N::Shadow) // code.visualstudio.com/docs/agents/reference
         << skills(Copilot, P, u".github/skills"_s, C::Own, 0) // code.visualstudio.com/docs/agents/reference
         << skills(Copilot, P, u".claude/skills"_s, C::Borrowed, 1) // code.visualstudio.com/docs/agents/reference
         << skills(Copilot, P, u".agents/skills"_s, C::Shared, 2); // code.visualstudio.com/docs/agents/reference

    // Aider reads only the files its configuration names, so it has no rows.

    // Amp (its manual is not public in full; the skills folders are unconfirmed).
    rows << instructions(Amp, G, u".config/amp/AGENTS.md"_s, C::Own, 0) // 3p developersdigest reference of the Amp manual
         << target(skills(Amp, G, u".config/agents/skills"_s, C::Own, 2)) // 3p syllago (unconfirmed)
         << skills(Amp, G, u".config/amp/skills"_s, C::Own, 3) // 3p syllago (unconfirmed)
         << instructions(Amp, P, u"AGENTS.md"_s, C::Shared, 1, N::FirstFile) // 3p developersdigest reference of the Amp manual
         << instructions(Amp, P, u"AGENT.md"_s, C::Shared, 2, N::FirstFile) // legacy name (3p developersdigest)
         << instructions(Amp, P, u"CLAUDE.md"_s, C::Fallback, 3, N::FirstFile) // 3p developersdigest reference of the Amp manual
         << skills(Amp, P, u".agents/skills"_s, C::Shared, 0) // 3p syllago (unconfirmed)
         << skills(Amp, P, u".claude/skills"_s, C::Borrowed, 1); // 3p syllago (unconfirmed)
    rows << oldAgentsFolders(Amp, G, u".config/amp"_s, u"Amp reads ~/.config/amp/AGENTS.md, not AGENTS.md files in folders below it"_s) // 3p developersdigest
         << ignored(instructions(Amp, P, u".config/amp/AGENTS.md"_s, C::Own, 99), u"Amp reads a project's AGENTS.md at its root, not in .config/amp"_s) // 3p developersdigest
         << oldAgentsFolders(Amp, P, u".config/amp"_s, u"Amp reads a project's AGENTS.md at its root, not in .config/amp"_s); // 3p developersdigest

    // Gemini CLI. Workspace beats user; inside a tier the .agents alias wins.
    rows << instructions(Gemini, G, u".gemini/GEMINI.md"_s, C::Own, 0) // google-gemini/gemini-cli docs/cli/gemini-md.md
         << files(Gemini, G, u".gemini/commands"_s, { u".toml"_s }, deep, K::Command, L::Command, {}, C::Own, 1, N::Shadow) // gemini-cli FileCommandLoader.ts
         << skills(Gemini, G, u".gemini/skills"_s, C::Own, 3) // gemini-cli skills/skillManager.ts
         << target(skills(Gemini, G, u".agents/skills"_s, C::Shared, 2)) // gemini-cli skills/skillManager.ts
         << files(Gemini, G, u".gemini/agents"_s, md, 1, K::Agent, L::Description, {}, C::Own, 1, N::Shadow) // gemini-cli docs/core/subagents.md
         << instructions(Gemini, P, u"GEMINI.md"_s, C::Own, 1) // gemini-cli utils/memoryDiscovery.ts
         << files(Gemini, P, u".gemini/commands"_s, { u".toml"_s }, deep, K::Command, L::Command, {}, C::Own, 0, N::Shadow) // gemini-cli FileCommandLoader.ts
         << skills(Gemini, P, u".gemini/skills"_s, C::Own, 1) // gemini-cli skills/skillManager.ts
         << skills(Gemini, P, u".agents/skills"_s, C::Shared, 0) // gemini-cli skills/skillManager.ts
         << files(Gemini, P, u".gemini/agents"_s, md, 1, K::Agent, L::Description, {}, C::Own, 0, N::Shadow); // gemini-cli docs/core/subagents.md

    // OpenCode: AGENTS.md first, Claude Code's files when it has none.
    rows << instructions(OpenCode, G, u".config/opencode/AGENTS.md"_s, C::Own, 0, N::FirstFile) // opencode.ai/docs/rules
         << instructions(OpenCode, G, u".claude/CLAUDE.md"_s, C::Fallback, 1, N::FirstFile) // opencode.ai/docs/rules
         << target(skills(OpenCode, G, u".config/opencode/skills"_s, C::Own, 3)) // opencode.ai/v1/docs/skills
         << skills(OpenCode, G, u".claude/skills"_s, C::Borrowed, 4) // opencode.ai/v1/docs/skills
         << skills(OpenCode, G, u".agents/skills"_s, C::Shared, 5) // opencode.ai/v1/docs/skills
         << files(OpenCode, G, u".config/opencode/commands"_s, md, 1, K::Command, L::Command, {}, C::Own, 1, N::Shadow) // opencode.ai/docs
         << files(OpenCode, G, u".config/opencode/agents"_s, md, 1, K::Agent, L::Description, {}, C::Own, 1, N::Shadow) // 3p load-rules.md
         << instructions(OpenCode, P, u"AGENTS.md"_s, C::Shared, 0, N::FirstFile) // opencode.ai/docs/rules
         << instructions(OpenCode, P, u"CLAUDE.md"_s, C::Fallback, 1, N::FirstFile) // opencode.ai/docs/rules
         << skills(OpenCode, P, u".opencode/skills"_s, C::Own, 0) // opencode.ai/v1/docs/skills
         << skills(OpenCode, P, u".claude/skills"_s, C::Borrowed, 1) // opencode.ai/v1/docs/skills
         << skills(OpenCode, P, u".agents/skills"_s, C::Shared, 2) // opencode.ai/v1/docs/skills
         << files(OpenCode, P, u".opencode/commands"_s, md, 1, K::Command, L::Command, {}, C::Own, 0, N::Shadow) // opencode.ai/docs
         << files(OpenCode, P, u".opencode/agents"_s, md, 1, K::Agent, L::Description, {}, C::Own, 0, N::Shadow); // 3p load-rules.md

    // Kiro: steering files with an inclusion mode; the workspace's skills win.
    rows << files(Kiro, G, u".kiro/steering"_s, md, 1, K::Rule, L::Always, u"inclusion"_s, C::Own, 0, N::Join) // kiro.dev/docs/steering; not loaded in v0.8 (Kiro#6171)
         << target(skills(Kiro, G, u".kiro/skills"_s, C::Own, 1)) // kiro.dev/docs/skills
         << files(Kiro, P, u".kiro/steering"_s, md, 1, K::Rule, L::Always, u"inclusion"_s, C::Own, 1, N::Join) // kiro.dev/docs/steering
         << instructions(Kiro, P, u"AGENTS.md"_s, C::Shared, 2) // kiro.dev/docs/steering
         << skills(Kiro, P, u".kiro/skills"_s, C::Own, 0); // kiro.dev/docs/skills

    // Cline: every rule file can be toggled; skills are taken in scan order.
    rows << files(Cline, G, u"Documents/Cline/Rules"_s, md, 1, K::Rule, L::Always, u"paths"_s, C::Own, 0, N::Join) // cline apps/vscode/src/core/storage/disk.ts
         << files(Cline, G, u"Documents/Cline/Workflows"_s, md, 1, K::Workflow, L::Command, {}, C::Own, 1, N::Shadow) // cline disk.ts
         << skills(Cline, G, u".cline/skills"_s, C::Own, 4) // cline skill-directories.ts
         << target(skills(Cline, G, u".agents/skills"_s, C::Shared, 5)) // cline skill-directories.ts
         << file(Cline, P, u".clinerules"_s, K::Rule, L::Always, C::Own, 1, N::Join, ParseStyle::Frontmatter) // cline disk.ts (a file)
         << files(Cline, P, u".clinerules"_s, md, 1, K::Rule, L::Always, u"paths"_s, C::Own, 1, N::Join) // cline disk.ts (a folder)
         << files(Cline, P, u".cursor/rules"_s, { u".mdc"_s }, 1, K::Rule, L::Always, u"paths"_s, C::Borrowed, 2, N::Join) // cline toggleCursorRule.ts
         << file(Cline, P, u".cursorrules"_s, K::Rule, L::Always, C::Shared, 3, N::Join) // cline toggleCursorRule.ts
         << file(Cline, P, u".windsurfrules"_s, K::Rule, L::Always, C::Shared, 4, N::Join) // cline disk.ts
         << instructions(Cline, P, u"AGENTS.md"_s, C::Shared, 5) // cline disk.ts
         << files(Cline, P, u".clinerules/workflows"_s, md, 1, K::Workflow, L::Command, {}, C::Own, 0, N::Shadow) // cline disk.ts
         << skills(Cline, P, u".clinerules/skills"_s, C::Own, 0) // cline skill-directories.ts
         << skills(Cline, P, u".cline/skills"_s, C::Own, 1) // cline skill-directories.ts
         << skills(Cline, P, u".claude/skills"_s, C::Borrowed, 2) // cline skill-directories.ts
         << skills(Cline, P, u".agents/skills"_s, C::Shared, 3); // cline skill-directories.ts

    // Continue: rules apply when they have no globs or their globs match.
    rows << files(Continue, G, u".continue/rules"_s, md, 1, K::Rule, L::Always, u"alwaysApply globs"_s, C::Own, 0, N::Join) // continuedev/continue core/config/markdown
         << files(Continue, G, u".continue/prompts"_s, md, 1, K::Command, L::Manual, {}, C::Own, 1, N::Shadow) // continuedev/continue core/config/markdown
         << files(Continue, P, u".continue/rules"_s, md, 1, K::Rule, L::Always, u"alwaysApply globs"_s, C::Own, 1, N::Join) // continuedev/continue core/config/markdown
         << instructions(Continue, P, u"AGENTS.md"_s, C::Shared, 2) // continue at 11fa0e2 tries only AGENTS.md
         << files(Continue, P, u".continue/prompts"_s, md, 1, K::Command, L::Manual, {}, C::Own, 0, N::Shadow); // continuedev/continue core/config/markdown

    // Zed: exactly one instructions file at the root, the first of these that exists.
    rows << target(skills(Zed, G, u".agents/skills"_s, C::Shared, 1)) // zed.dev/docs/ai/skills
         << instructions(Zed, P, u".rules"_s, C::Own, 0, N::FirstFile) // zed.dev/docs/ai/rules
         << instructions(Zed, P, u".cursorrules"_s, C::Shared, 1, N::FirstFile) // zed.dev/docs/ai/rules
         << instructions(Zed, P, u".windsurfrules"_s, C::Shared, 2, N::FirstFile) // zed.dev/docs/ai/rules
         << instructions(Zed, P, u".clinerules"_s, C::Borrowed, 3, N::FirstFile) // zed.dev/docs/ai/rules
         << instructions(Zed, P, u".github/copilot-instructions.md"_s, C::Borrowed, 4, N::FirstFile) // zed.dev/docs/ai/rules
         << instructions(Zed, P, u"AGENT.md"_s, C::Shared, 5, N::FirstFile) // zed.dev/docs/ai/rules
         << instructions(Zed, P, u"AGENTS.md"_s, C::Shared, 6, N::FirstFile) // zed.dev/docs/ai/rules
         << instructions(Zed, P, u"CLAUDE.md"_s, C::Borrowed, 7, N::FirstFile) // zed.dev/docs/ai/rules
         << instructions(Zed, P, u"GEMINI.md"_s, C::Borrowed, 8, N::FirstFile) // zed.dev/docs/ai/rules
         << skills(Zed, P, u".agents/skills"_s, C::Shared, 0); // zed-industries/zed create-skill

    // Junie: its guidelines file unless another path is set in its settings.
    rows << target(skills(Junie, G, u".junie/skills"_s, C::Own, 1)) // 3p zenn (unconfirmed)
         << instructions(Junie, P, u".junie/guidelines.md"_s, C::Own, 0, N::FirstFile) // jetbrains.com/help/junie/customize-guidelines.html
         << instructions(Junie, P, u".junie/AGENTS.md"_s, C::Own, 1, N::FirstFile) // JetBrains/junie-guidelines
         << skills(Junie, P, u".junie/skills"_s, C::Own, 0); // 3p zenn (unconfirmed)

    return rows;
}

QList<HarnessLimit> buildLimits()
{
    using enum ToolSource;
    using K = SkillKind;
    using U = LimitUnit;
    using S = LimitSpan;
    using E = LimitEffect;
    const std::optional<HarnessScope> both;
    return {
        { Claude, K::Instructions, both, U::Bytes, 4 * 1024 * 1024, S::EachFile, E::Skipped, u"Files over 4 MiB are not read"_s }, // code.claude.com/docs/en/memory
        { Claude, K::Instructions, both, U::Lines, 200, S::EachFile, E::Advice, u"Under 200 lines is advised"_s }, // code.claude.com/docs/en/memory
        { Claude, K::Skill, both, U::Characters, 1536, S::EachListingEntry, E::Cut, u"Description and when_to_use are cut at 1,536 characters in the skill listing"_s }, // code.claude.com/docs/en/skills
        { Claude, K::Skill, both, U::Characters, 8000, S::Listing, E::Cut, u"The skill listing holds 8,000 characters by default; past it descriptions are cut"_s }, // code.claude.com/docs/en/skills
        { Cursor, K::Rule, both, U::Lines, 500, S::EachFile, E::Advice, u"Under 500 lines is advised"_s }, // cursor.com/docs/rules
        { Windsurf, K::Instructions, G, U::Characters, 6000, S::EachFile, E::Cut, u"The global rules file is read up to 6,000 characters"_s }, // 3p skillwright
        { Windsurf, K::Rule, P, U::Characters, 12000, S::EachFile, E::Cut, u"Each workspace rule is read up to 12,000 characters"_s }, // 3p skillwright
        { Codex, K::Instructions, P, U::Bytes, 32 * 1024, S::AllFiles, E::Cut, u"All AGENTS.md files of a project share 32 KiB; the file that crosses it is cut and later ones dropped"_s }, // openai/codex project_doc.rs (project_doc_max_bytes)
        { Codex, K::Skill, both, U::Characters, 8000, S::Listing, E::Cut, u"The initial skill list holds about 8,000 characters"_s }, // developers.openai.com/codex/skills
        { Copilot, K::Instructions, both, U::Lines, 160, S::EachFile, E::Cut, u"The CLI reads about 160 lines of a long instructions file"_s }, // github/copilot-cli#2111
        { std::nullopt, K::Skill, both, U::Lines, 500, S::EachFile, E::Advice, u"The Agent Skills standard advises a body under 500 lines"_s }, // agentskills.io, the Agent Skills standard (agentskills/agentskills docs)
    };
}
// clang-format on

} // namespace

namespace HarnessTable {

const QList<HarnessLocation> &locations()
{
    static const QList<HarnessLocation> rows = buildLocations();
    return rows;
}

const QList<HarnessLimit> &limits()
{
    static const QList<HarnessLimit> rows = buildLimits();
    return rows;
}

QList<HarnessLocation> locationsOf(ToolSource tool)
{
    QList<HarnessLocation> rows;
    for (const HarnessLocation &row : locations()) {
        if (row.tool == tool)
            rows.append(row);
    }
    return rows;
}

QList<HarnessLimit> limitsOf(ToolSource tool, SkillKind kind)
{
    QList<HarnessLimit> rows;
    for (const HarnessLimit &limit : limits()) {
        if ((!limit.tool || *limit.tool == tool) && limit.kind == kind)
            rows.append(limit);
    }
    return rows;
}

std::optional<HarnessLocation> newSkillLocation(ToolSource tool)
{
    for (const HarnessLocation &row : locations()) {
        if (row.tool == tool && row.newSkillsHere)
            return row;
    }
    return std::nullopt;
}

QString rawValue(HarnessScope scope)
{
    return scope == HarnessScope::Global ? u"global"_s : u"project"_s;
}

QString rawValue(LoadMode how)
{
    switch (how) {
    case LoadMode::Always:
        return u"always"_s;
    case LoadMode::Glob:
        return u"glob"_s;
    case LoadMode::Description:
        return u"description"_s;
    case LoadMode::Manual:
        return u"manual"_s;
    case LoadMode::Command:
        return u"command"_s;
    case LoadMode::Fallback:
        return u"fallback"_s;
    }
    return {};
}

std::optional<LoadMode> loadModeFromRaw(const QString &raw)
{
    for (LoadMode how : { LoadMode::Always, LoadMode::Glob, LoadMode::Description, LoadMode::Manual,
             LoadMode::Command, LoadMode::Fallback }) {
        if (rawValue(how) == raw)
            return how;
    }
    return std::nullopt;
}

} // namespace HarnessTable
