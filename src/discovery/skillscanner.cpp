#include "skillscanner.h"

#include "artifactcache.h"
#include "artifactscanner.h"
#include "frontmatterparser.h"
#include "modelcontext.h"
#include "settingsstore.h"
#include "textfilereader.h"

#include <QDateTime>
#include <QDir>
#include <QFileInfo>

#include <algorithm>

#include <sys/stat.h>

using namespace Qt::StringLiterals;

namespace {

bool exists(const QString &path)
{
    struct stat info
    {
    };
    return ::stat(QFile::encodeName(path).constData(), &info) == 0;
}

QString join(const QString &folder, const QString &name)
{
    return folder + u'/' + name;
}

// Direct entries, hidden ones left out, in the order the file system gives.
std::optional<QFileInfoList> list(const QString &folder)
{
    QDir dir(folder);
    if (!dir.exists() || !dir.isReadable())
        return std::nullopt;
    return dir.entryInfoList(QDir::AllEntries | QDir::NoDotAndDotDot, QDir::NoSort);
}

QString parseStyleKey(ParseStyle style)
{
    switch (style) {
    case ParseStyle::Frontmatter:
        return u"f"_s;
    case ParseStyle::Heading:
        return u"h"_s;
    case ParseStyle::FrontmatterThenHeading:
        return u"fh"_s;
    case ParseStyle::TomlCommand:
        return u"t"_s;
    }
    return {};
}

qint64 nanoseconds(const struct timespec &time)
{
    return qint64(time.tv_sec) * 1'000'000'000 + time.tv_nsec;
}

// A loose file's name without the ending its place looks for: "style" for
// style.instructions.md, "CLAUDE" for CLAUDE.md, ".rules" for .rules.
QString looseName(const QString &file, const HarnessLocation &row)
{
    const QString name = file.section(u'/', -1);
    for (const QString &ending : row.names) {
        if (name.size() > ending.size() && name.endsWith(ending))
            return name.chopped(ending.size());
    }
    const QString base = QFileInfo(file).completeBaseName();
    return base.isEmpty() ? name : base;
}

// A file written within the last clock tick may be written again without its
// times moving; such a file is read again by the next scan, not trusted.
constexpr qint64 racyWindowNs = 2'000'000'000;

} // namespace

SkillScanner::SkillScanner(ModelContext *context, SettingsStore *settings, QObject *parent)
    : QObject(parent), m_context(context), m_settings(settings)
{
}

bool SkillScanner::fileExists(const QString &path)
{
    m_lastLookPath = path;
    m_lastLookFound = ::stat(QFile::encodeName(path).constData(), &m_lastLook) == 0;
    return m_lastLookFound;
}

void SkillScanner::save()
{
    if (m_batchDepth == 0)
        m_lastSave = m_context->save();
}

const QList<SkillScanner::Place> &SkillScanner::places()
{
    // Rows grouped by the place they read, in the table's order, so each place
    // is looked at and listed once whatever number of harnesses read it.
    static const QList<Place> grouped = [] {
        QList<Place> out;
        for (const HarnessLocation &row : HarnessTable::locations()) {
            auto same = std::find_if(out.begin(), out.end(), [&row](const Place &place) {
                return place.scope == row.scope && place.path == row.path;
            });
            if (same == out.end())
                out.append(Place { row.scope, row.path, { &row } });
            else
                same->rows.append(&row);
        }
        return out;
    }();
    return grouped;
}

QStringList SkillScanner::globalFolders(const QString &homePath)
{
    QStringList folders = ToolSources::allGlobalPaths(homePath);
    for (const Place &place : places()) {
        const bool holdsFiles = std::any_of(place.rows.cbegin(), place.rows.cend(),
            [](const HarnessLocation *row) { return row->shape != LocationShape::File; });
        const QString path = join(homePath, place.path);
        if (place.scope == HarnessScope::Global && holdsFiles && !folders.contains(path))
            folders.append(path);
    }
    return folders;
}

void SkillScanner::scanAll()
{
    // Rows other processes recorded first are known before the folders are
    // read, so a file they recorded is updated, not recorded twice. A store
    // that cannot be read now is merged again by the save; changes lost to a
    // removal elsewhere are this scan's to report, as nobody else will see them.
    const Status refreshed = m_context->refresh();
    // One transaction for the whole scan: the stored result is the same as
    // saving after every file, at a fraction of the disk work.
    ++m_batchDepth;
    m_collecting = true;
    m_visits.clear();
    const QString home = QDir::homePath();
    for (const Place &place : places()) {
        if (place.scope == HarnessScope::Global)
            scanPlace(join(home, place.path), place, true);
    }
    const QStringList directories = m_settings ? m_settings->customScanPaths() : QStringList();
    for (const QString &directory : directories)
        scanProjectsIn(directory);
    settleTools();
    m_collecting = false;
    m_visits.clear();
    --m_batchDepth;
    save();
    if (m_lastSave && !refreshed && refreshed.error().code == Error::Conflict)
        m_lastSave = refreshed;
}

void SkillScanner::settleTools()
{
    // A record whose every route was met again names the harnesses of those
    // routes only, so a tool it was once filed under wrongly goes away; one
    // with a route this scan did not reach keeps the tools it had as well.
    for (auto it = m_visits.cbegin(); it != m_visits.cend(); ++it) {
        Skill *skill = m_context->skillByResolvedPath(it.key());
        if (!skill)
            continue;
        const QStringList routes = skill->installedPaths();
        const bool allMet = std::all_of(routes.cbegin(), routes.cend(),
            [&it](const QString &route) { return it->routes.contains(route); });
        if (allMet)
            skill->setToolSources(it->tools);
    }
}

void SkillScanner::scanProjectsIn(const QString &directory)
{
    const auto entries = list(directory);
    if (!entries)
        return;
    for (const QFileInfo &entry : *entries) {
        if (!entry.isDir())
            continue;
        const QString project = join(directory, entry.fileName());
        for (const Place &place : places()) {
            if (place.scope == HarnessScope::Project)
                scanPlace(join(project, place.path), place, false);
        }
    }
}

void SkillScanner::scanPlace(const QString &base, const Place &place, bool isGlobal)
{
    if (!fileExists(base))
        return;
    if (!S_ISDIR(m_lastLook.st_mode)) {
        QList<const HarnessLocation *> rows;
        for (const HarnessLocation *row : place.rows) {
            if (row->shape == LocationShape::File)
                rows.append(row);
        }
        if (!rows.isEmpty())
            process(base, QFileInfo(base).canonicalFilePath(), rows, false, isGlobal);
        return;
    }
    RowMask active = 0;
    for (qsizetype i = 0; i < place.rows.size(); ++i) {
        if (place.rows[i]->shape != LocationShape::File)
            active |= RowMask(1) << i;
    }
    if (!active)
        return;
    const QString resolvedBase = QFileInfo(base).canonicalFilePath();
    QStringList seen { resolvedBase };
    walk(base, resolvedBase, place, 1, active, seen, isGlobal);
}

void SkillScanner::walk(const QString &folder, const QString &resolvedFolder, const Place &place,
    int depth, RowMask active, QStringList &seen, bool isGlobal)
{
    const auto entries = list(folder);
    if (!entries)
        return;
    // A listed folder's resolved path: the listing already says whether it is a link.
    auto resolvedEntry = [&](const QFileInfo &entry) {
        return entry.isSymLink() || resolvedFolder.isEmpty()
            ? entry.canonicalFilePath()
            : join(resolvedFolder, entry.fileName());
    };
    QString resolved;
    for (const QFileInfo &entry : *entries) {
        const QString name = entry.fileName();
        const QString path = join(folder, name);
        if (entry.isDir()) {
            const QString resolvedSub = resolvedEntry(entry);
            // Each skill-folder row takes the first of its file names found here;
            // rows that found none look further down, as do the file rows.
            QHash<QString, QString> found; // file name -> resolved path, empty when missing
            QList<std::pair<QString, QList<const HarnessLocation *>>> files;
            RowMask below = 0;
            for (qsizetype i = 0; i < place.rows.size(); ++i) {
                const HarnessLocation *row = place.rows[i];
                if (!(active & (RowMask(1) << i)))
                    continue;
                if (row->shape == LocationShape::Files) {
                    if (depth < row->depth)
                        below |= RowMask(1) << i;
                    continue;
                }
                QString hit;
                for (const QString &fileName : row->names) {
                    auto known = found.constFind(fileName);
                    if (known == found.cend())
                        known = found.insert(fileName,
                            lookAt(join(path, fileName), resolvedSub, resolved) ? resolved
                                                                                : QString());
                    if (!known->isEmpty()) {
                        hit = fileName;
                        break;
                    }
                }
                if (hit.isEmpty()) {
                    if (depth < row->depth)
                        below |= RowMask(1) << i;
                    continue;
                }
                auto same = std::find_if(files.begin(), files.end(),
                    [&hit](const auto &file) { return file.first == hit; });
                if (same == files.end())
                    files.append({ hit, { row } });
                else
                    same->second.append(row);
            }
            for (const auto &[fileName, rows] : files) {
                // The last look may be of another name; process then looks again.
                process(join(path, fileName), found.value(fileName), rows, true, isGlobal);
            }
            // Linked folders are followed, but never into one already walked.
            if (below && !seen.contains(resolvedSub)) {
                seen.append(resolvedSub);
                walk(path, resolvedSub, place, depth + 1, below, seen, isGlobal);
            }
            continue;
        }
        QList<const HarnessLocation *> rows;
        for (qsizetype i = 0; i < place.rows.size(); ++i) {
            const HarnessLocation *row = place.rows[i];
            if (!(active & (RowMask(1) << i)) || row->shape != LocationShape::Files)
                continue;
            const bool matches = std::any_of(
                row->names.cbegin(), row->names.cend(), [&name](const QString &ending) {
                    return name.size() > ending.size() && name.endsWith(ending);
                });
            if (matches)
                rows.append(row);
        }
        if (!rows.isEmpty() && lookAt(path, resolvedFolder, resolved))
            process(path, resolved, rows, false, isGlobal);
    }
}

bool SkillScanner::lookAt(const QString &path, const QString &resolvedFolder, QString &resolved)
{
    // One look for most files: a file that is not a link has its attributes
    // in lstat's answer, and its resolved path is its folder's plus its name.
    const QByteArray encoded = QFile::encodeName(path);
    m_lastLookPath = path;
    m_lastLookFound = ::lstat(encoded.constData(), &m_lastLook) == 0;
    if (!m_lastLookFound)
        return false;
    if (S_ISLNK(m_lastLook.st_mode) || resolvedFolder.isEmpty()) {
        m_lastLookFound = ::stat(encoded.constData(), &m_lastLook) == 0;
        resolved = m_lastLookFound ? QFileInfo(path).canonicalFilePath() : QString();
        return m_lastLookFound;
    }
    resolved = join(resolvedFolder, path.section(u'/', -1));
    return true;
}

std::optional<ParsedSkill> SkillScanner::parseSkillFile(const QString &file, ParseStyle style)
{
    const auto text = TextFileReader::readUtf8(file);
    if (!text)
        return std::nullopt;
    return FrontmatterParser::parse(text.value(), style);
}

void SkillScanner::process(const QString &file, const QString &resolved,
    const QList<const HarnessLocation *> &rows, bool isSkillFolder, bool isGlobal)
{
    // The first row that loads the file says what it is and how it is read;
    // every harness whose own or shared place holds it is one of its tools.
    const auto loading = std::find_if(rows.cbegin(), rows.cend(),
        [](const HarnessLocation *row) { return row->ignoredBecause.isEmpty(); });
    const HarnessLocation &primary = **(loading == rows.cend() ? rows.cbegin() : loading);
    QList<ToolSource> tools;
    for (const HarnessLocation *row : rows) {
        if (row->credited && !tools.contains(row->tool))
            tools.append(row->tool);
    }
    if (tools.isEmpty())
        tools.append(primary.tool);
    const ParseStyle style = primary.parse;
    ++m_counts.filesSeen;
    const QString routePath = file;
    const QString resolvedPath = resolved.isEmpty() ? routePath : resolved;

    // Attributes through the route are those of the resolved file: stat follows links.
    struct stat info
    {
    };
    const bool hasAttributes = routePath == m_lastLookPath
        ? (info = m_lastLook, m_lastLookFound)
        : ::stat(QFile::encodeName(resolvedPath).constData(), &info) == 0;
    m_lastLookPath.clear();
    const QString fallbackName
        = isSkillFolder ? file.section(u'/', -2, -2) : looseName(file, primary);
    // What decides the stored fields: the file's identity and times, how it is
    // parsed and which name stands in for a missing one.
    const bool racy = hasAttributes
        && std::max(nanoseconds(info.st_mtim), nanoseconds(info.st_ctim))
            > m_clock().toMSecsSinceEpoch() * 1'000'000 - racyWindowNs;
    const QString signature = hasAttributes && !racy
        ? u"%1|%2|%3|%4|%5|%6|%7"_s.arg(parseStyleKey(style), fallbackName)
              .arg(qint64(info.st_size))
              .arg(nanoseconds(info.st_mtim))
              .arg(nanoseconds(info.st_ctim))
              .arg(quint64(info.st_ino))
              .arg(quint64(info.st_dev))
        : QString();

    Skill *existing = m_context->skillByResolvedPath(resolvedPath);
    if (existing && !signature.isEmpty() && existing->scanSignature() == signature) {
        ++m_counts.unchanged;
        for (ToolSource tool : tools)
            existing->addInstallation(routePath, tool);
        if (primary.ignoredBecause.isEmpty())
            existing->setKind(primary.kind);
    } else {
        const auto parsed = parseSkillFile(file, style);
        if (!parsed) {
            ++m_counts.skipped;
            return; // unreadable: no record touched, the cache left alone
        }
        ++m_counts.filesRead;
        const QDateTime modified = hasAttributes
            ? QDateTime::fromMSecsSinceEpoch(
                qint64(info.st_mtim.tv_sec) * 1000 + info.st_mtim.tv_nsec / 1'000'000, Qt::UTC)
            : m_clock();
        const qint64 size = hasAttributes ? qint64(info.st_size) : 0;
        const QString name = parsed->name.isEmpty() ? fallbackName : parsed->name;

        if (existing) {
            existing->setContent(parsed->content);
            existing->setName(name);
            existing->setSkillDescription(parsed->description);
            existing->setFrontmatter(parsed->frontmatter);
            existing->setFileModifiedDate(modified);
            existing->setFileSize(size);
            for (ToolSource tool : tools)
                existing->addInstallation(routePath, tool);
            // A place that only lists the file for old times' sake does not
            // override what a harness that reads it says it is.
            if (primary.ignoredBecause.isEmpty())
                existing->setKind(primary.kind);
            existing->setScanSignature(signature);
        } else {
            Skill::Seed seed;
            seed.filePath = routePath;
            seed.resolvedPath = resolvedPath;
            seed.isDirectory = isSkillFolder;
            seed.name = name;
            seed.description = parsed->description;
            seed.content = parsed->content;
            seed.frontmatter = parsed->frontmatter;
            seed.fileModifiedDate = modified;
            seed.fileSize = size;
            seed.isGlobal = isGlobal;
            seed.tool = tools.first();
            seed.kind = primary.kind;
            Skill *skill = Skill::make(seed);
            for (ToolSource tool : tools)
                skill->addInstallation(routePath, tool);
            skill->setScanSignature(signature);
            if (m_context->insert(skill)) {
                ++m_counts.inserted;
            } else {
                delete skill;
            }
        }
    }

    if (m_collecting) {
        Visit &visit = m_visits[resolvedPath];
        visit.routes.append(routePath);
        for (ToolSource tool : tools) {
            if (!visit.tools.contains(tool))
                visit.tools.append(tool);
        }
    }
    if (isSkillFolder)
        ArtifactScanner::refresh(routePath, ArtifactCache::shared());
    save();
}

void SkillScanner::pruneMissingSkills()
{
    const QList<Skill *> skills = m_context->skills();
    for (Skill *skill : skills) {
        const QStringList paths = skill->installedPaths();
        QStringList existing;
        for (const QString &path : paths) {
            if (exists(path))
                existing.append(path);
        }
        if (existing.isEmpty()) {
            ++m_counts.removed;
            m_context->remove(skill);
            continue;
        }
        m_counts.routesDropped += int(paths.size() - existing.size());
        if (existing.size() != paths.size())
            skill->setInstalledPaths(existing);
        // Every route was just looked at; only a filePath outside them needs its own look.
        const QString filePath = skill->filePath();
        if (!existing.contains(filePath) && (paths.contains(filePath) || !exists(filePath)))
            skill->setFilePath(existing.first());
    }
    m_lastSave = m_context->save();
}
