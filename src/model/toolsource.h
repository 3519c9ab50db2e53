#pragma once

#include <QList>
#include <QString>

#include <array>
#include <optional>

// The harnesses, in declaration order: the first eight keep their stored raw
// values and places; later ones go before Custom, which stays last. What each
// harness reads is in the harness table (harnesstable.h); the rest is here.
enum class ToolSource {
    Claude,
    Cursor,
    Windsurf,
    Codex,
    Copilot,
    Aider,
    Amp,
    Gemini,
    OpenCode,
    Kiro,
    Cline,
    Continue,
    Zed,
    Junie,
    Custom,
};

enum class ParseStyle {
    Frontmatter,
    Heading,
    FrontmatterThenHeading,
    TomlCommand, // a command file in TOML: its `description`, its whole text as the body
};

struct ProjectFolder
{
    QString relativePath;
    ToolSource tool;
};

namespace ToolSources {

inline constexpr std::array<ToolSource, 15> all = {
    ToolSource::Claude,
    ToolSource::Cursor,
    ToolSource::Windsurf,
    ToolSource::Codex,
    ToolSource::Copilot,
    ToolSource::Aider,
    ToolSource::Amp,
    ToolSource::Gemini,
    ToolSource::OpenCode,
    ToolSource::Kiro,
    ToolSource::Cline,
    ToolSource::Continue,
    ToolSource::Zed,
    ToolSource::Junie,
    ToolSource::Custom,
};

QString rawValue(ToolSource tool);
std::optional<ToolSource> fromRaw(const QString &raw);
QString displayName(ToolSource tool);
QString symbolName(ToolSource tool);
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
