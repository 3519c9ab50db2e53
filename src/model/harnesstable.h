#pragma once

#include "skillkind.h"
#include "toolsource.h"

#include <QList>
#include <QString>
#include <QStringList>

#include <optional>

// Where every harness reads, what it finds there and how it loads it: one row
// per harness and location, so keeping up with a harness means editing rows.

enum class HarnessScope { Global, Project };

// How a harness decides to put a file in front of its model.
enum class LoadMode {
    Always, // at the start of every session
    Glob, // when files matching the file's globs are in play
    Description, // when the model judges the description relevant
    Manual, // when the user names it
    Command, // run as a slash command
    Fallback, // only when the harness's other files of the kind are all missing
};

enum class LocationShape {
    SkillFolders, // folders below the location, each holding one of `names` (tried in order)
    Files, // files below the location whose names end with one of `names`
    File, // the location itself is one file
};

// What happens to files of one harness, kind and scope that share a name.
enum class NameClash {
    Shadow, // the row with the lowest rank wins; the others are shadowed by it
    Keep, // all of them load, side by side
    Join, // every file loads, joined in rank order (instructions files)
    FirstFile, // only the first existing file by rank loads, whatever its name
};

struct HarnessLocation
{
    ToolSource tool; // the harness that reads (or is said to read) here
    HarnessScope scope; // Global: below the home folder; Project: below a project's root
    QString path; // relative, without a leading separator
    LocationShape shape;
    QStringList names; // skill file names, or name endings such as ".mdc"
    int depth; // 1: direct entries only; more: folders walked that deep
    SkillKind kind;
    LoadMode how;
    // The frontmatter key that can change `how` for one file, or empty.
    QString howKey;
    // Whether files here name this harness among their tools: yes for its own
    // folders and for shared ones; no where it borrows another harness's
    // folder or reads a file only as a fallback.
    bool credited;
    int rank; // with `clash`: lower wins among the harness's rows of one kind
    NameClash clash;
    // Non-empty for places the harness is said to read but does not: why not.
    QString ignoredBecause;
    ParseStyle parse;
    bool newSkillsHere = false; // the harness's folder for skills Quire creates
};

enum class LimitUnit { Bytes, Characters, Lines };
enum class LimitSpan {
    EachFile,
    AllFiles, // one budget shared by every file of the kind and scope
    EachListingEntry, // one file's entry in the listing the model sees
    Listing, // the listing of every file of the kind
};
enum class LimitEffect {
    Cut, // what is over is never read
    Skipped, // a file over the limit is not read at all
    Advice, // read whole; the harness's makers advise staying under
};

struct HarnessLimit
{
    std::optional<ToolSource> tool; // empty: every harness reading the kind
    SkillKind kind;
    std::optional<HarnessScope> scope; // empty: both scopes
    LimitUnit unit;
    qint64 amount;
    LimitSpan span;
    LimitEffect effect;
    QString what; // one line a user reads beside the figure
};

namespace HarnessTable {

// Folders walked below a location, at most: deep enough for grouped skills
// and nested rules, bounded so a linked-in tree cannot run away.
inline constexpr int walkDepth = 6;

// Every row, grouped by harness in ToolSource order; within a harness,
// global rows come before project rows, each in the harness's load order.
const QList<HarnessLocation> &locations();
const QList<HarnessLimit> &limits();

QList<HarnessLocation> locationsOf(ToolSource tool);
QList<HarnessLimit> limitsOf(ToolSource tool, SkillKind kind);
// Where new skills for the harness are written, or nothing when it has no skills folder.
std::optional<HarnessLocation> newSkillLocation(ToolSource tool);

QString rawValue(HarnessScope scope);
QString rawValue(LoadMode how);
std::optional<LoadMode> loadModeFromRaw(const QString &raw);

} // namespace HarnessTable
