#include "toolsource.h"

#include <QDir>

using namespace Qt::StringLiterals;

namespace ToolSources {

QString rawValue(ToolSource tool)
{
    switch (tool) {
    case ToolSource::Claude:
        return u"claude"_s;
    case ToolSource::Cursor:
        return u"cursor"_s;
    case ToolSource::Windsurf:
        return u"windsurf"_s;
    case ToolSource::Codex:
        return u"codex"_s;
    case ToolSource::Copilot:
        return u"copilot"_s;
    case ToolSource::Aider:
        return u"aider"_s;
    case ToolSource::Amp:
        return u"amp"_s;
    case ToolSource::Gemini:
        return u"gemini"_s;
    case ToolSource::OpenCode:
        return u"opencode"_s;
    case ToolSource::Kiro:
        return u"kiro"_s;
    case ToolSource::Cline:
        return u"cline"_s;
    case ToolSource::Continue:
        return u"continue"_s;
    case ToolSource::Zed:
        return u"zed"_s;
    case ToolSource::Junie:
        return u"junie"_s;
    case ToolSource::Custom:
        return u"custom"_s;
    }
    return {};
}

std::optional<ToolSource> fromRaw(const QString &raw)
{
    for (ToolSource tool : all) {
        if (rawValue(tool) == raw)
            return tool;
    }
    return std::nullopt;
}

QString displayName(ToolSource tool)
{
    switch (tool) {
    case ToolSource::Claude:
        return u"Claude Code"_s;
    case ToolSource::Cursor:
        return u"Cursor"_s;
    case ToolSource::Windsurf:
        return u"Windsurf"_s;
    case ToolSource::Codex:
        return u"Codex"_s;
    case ToolSource::Copilot:
        return u"Copilot"_s;
    case ToolSource::Aider:
        return u"Aider"_s;
    case ToolSource::Amp:
        return u"Amp"_s;
    case ToolSource::Gemini:
        return u"Gemini CLI"_s;
    case ToolSource::OpenCode:
        return u"OpenCode"_s;
    case ToolSource::Kiro:
        return u"Kiro"_s;
    case ToolSource::Cline:
        return u"Cline"_s;
    case ToolSource::Continue:
        return u"Continue"_s;
    case ToolSource::Zed:
        return u"Zed"_s;
    case ToolSource::Junie:
        return u"Junie"_s;
    case ToolSource::Custom:
        return u"Custom"_s;
    }
    return {};
}

QString symbolName(ToolSource tool)
{
    switch (tool) {
    case ToolSource::Claude:
        return u"brain.head.profile"_s;
    case ToolSource::Cursor:
        return u"cursorarrow.rays"_s;
    case ToolSource::Windsurf:
        return u"wind"_s;
    case ToolSource::Codex:
        return u"book.closed"_s;
    case ToolSource::Copilot:
        return u"airplane"_s;
    case ToolSource::Aider:
        return u"wrench.and.screwdriver"_s;
    case ToolSource::Amp:
        return u"bolt.fill"_s;
    case ToolSource::Gemini:
        return u"wand.and.stars"_s;
    case ToolSource::OpenCode:
        return u"chevron.left.forwardslash.chevron.right"_s;
    case ToolSource::Kiro:
        return u"leaf"_s;
    case ToolSource::Cline:
        return u"terminal"_s;
    case ToolSource::Continue:
        return u"network"_s;
    case ToolSource::Zed:
        return u"bolt"_s;
    case ToolSource::Junie:
        return u"hammer"_s;
    case ToolSource::Custom:
        return u"folder"_s;
    }
    return {};
}

ParseStyle parseStyle(ToolSource tool)
{
    switch (tool) {
    case ToolSource::Claude:
    case ToolSource::Cursor:
    case ToolSource::Windsurf:
    case ToolSource::Gemini:
    case ToolSource::OpenCode:
    case ToolSource::Kiro:
    case ToolSource::Cline:
    case ToolSource::Continue:
    case ToolSource::Zed:
    case ToolSource::Junie:
        return ParseStyle::Frontmatter;
    case ToolSource::Codex:
    case ToolSource::Copilot:
    case ToolSource::Aider:
    case ToolSource::Amp:
        return ParseStyle::Heading;
    case ToolSource::Custom:
        return ParseStyle::FrontmatterThenHeading;
    }
    return ParseStyle::Frontmatter;
}

QStringList globalPathSuffixes(ToolSource tool)
{
    switch (tool) {
    case ToolSource::Claude:
        return { u"/.claude/skills"_s, u"/.agents/skills"_s };
    case ToolSource::Cursor:
        return { u"/.cursor/skills"_s, u"/.cursor/rules"_s };
    case ToolSource::Windsurf:
        return { u"/.codeium/windsurf/memories"_s, u"/.windsurf/rules"_s };
    case ToolSource::Codex:
        return { u"/.codex"_s };
    case ToolSource::Amp:
        return { u"/.config/amp"_s };
    case ToolSource::Copilot:
    case ToolSource::Aider:
    case ToolSource::Gemini:
    case ToolSource::OpenCode:
    case ToolSource::Kiro:
    case ToolSource::Cline:
    case ToolSource::Continue:
    case ToolSource::Zed:
    case ToolSource::Junie:
    case ToolSource::Custom:
        return {};
    }
    return {};
}

QStringList globalPaths(ToolSource tool, const QString &homePath)
{
    QStringList paths;
    for (const QString &suffix : globalPathSuffixes(tool))
        paths.append(homePath + suffix);
    return paths;
}

QStringList globalPaths(ToolSource tool)
{
    return globalPaths(tool, QDir::homePath());
}

QStringList allGlobalPaths(const QString &homePath)
{
    QStringList paths;
    for (ToolSource tool : all)
        paths += globalPaths(tool, homePath);
    return paths;
}

const QList<ProjectFolder> &projectFolders()
{
    static const QList<ProjectFolder> rows = {
        { u".claude/skills"_s, ToolSource::Claude },
        { u".cursor/skills"_s, ToolSource::Cursor },
        { u".cursor/rules"_s, ToolSource::Cursor },
        { u".codex"_s, ToolSource::Codex },
        { u".windsurf/rules"_s, ToolSource::Windsurf },
        { u".github"_s, ToolSource::Copilot },
        { u".config/amp"_s, ToolSource::Amp },
    };
    return rows;
}

} // namespace ToolSources
