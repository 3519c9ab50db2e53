#pragma once

#include <QList>
#include <QString>

#include <array>
#include <optional>

// The eight harnesses, in declaration order. Everything that differs from tool
// to tool is answered by the functions below, so no other file needs a switch.
enum class ToolSource { Claude, Cursor, Windsurf, Codex, Copilot, Aider, Amp, Custom };

enum class FolderLayout { SkillFolder, Agents, SingleFile, NotScanned };
enum class ParseStyle { Frontmatter, Heading, FrontmatterThenHeading };

struct ProjectFolder
{
    QString relativePath;
    ToolSource tool;
};

namespace ToolSources {

inline constexpr std::array<ToolSource, 8> all = {
    ToolSource::Claude,
    ToolSource::Cursor,
    ToolSource::Windsurf,
    ToolSource::Codex,
    ToolSource::Copilot,
    ToolSource::Aider,
    ToolSource::Amp,
    ToolSource::Custom,
};

QString rawValue(ToolSource tool);
std::optional<ToolSource> fromRaw(const QString &raw);
QString displayName(ToolSource tool);
QString symbolName(ToolSource tool);
FolderLayout folderLayout(ToolSource tool);
ParseStyle parseStyle(ToolSource tool);

// Home-relative suffixes, appended to the home path as text.
QStringList globalPathSuffixes(ToolSource tool);
// Built from the home directory each time, so a changed $HOME is honoured.
QStringList globalPaths(ToolSource tool);
QStringList globalPaths(ToolSource tool, const QString &homePath);
// Every tool's global folders, concatenated in case order.
QStringList allGlobalPaths(const QString &homePath);

// The seven project rows, walked in this order for every project.
const QList<ProjectFolder> &projectFolders();

} // namespace ToolSources
