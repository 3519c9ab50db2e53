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

#include <dirent.h>
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

bool isFolder(const QString &path)
{
    struct stat info
    {
    };
    return ::stat(QFile::encodeName(path).constData(), &info) == 0 && S_ISDIR(info.st_mode);
}

QString join(const QString &folder, const QString &name)
{
    return folder + u'/' + name;
}

// The path with every link resolved; empty when it does not exist.
QString canonical(const QString &path)
{
    return QFileInfo(path).canonicalFilePath();
}

struct Entry
{
    QString name;
    bool isFolder = false; // links followed
    bool isLink = false;

    QString suffix() const
    {
        const qsizetype dot = name.lastIndexOf(u'.');
        return dot < 0 ? QString() : name.mid(dot + 1);
    }
};

// Direct entries, hidden ones left out, in the order the file system gives:
// folders and regular files, through links too, but no dangling link, pipe or
// socket. The types come with the names, so only links cost a look.
std::optional<std::vector<Entry>> list(const QString &folder)
{
    const QByteArray native = QFile::encodeName(folder);
    DIR *dir = ::opendir(native.constData());
    if (!dir)
        return std::nullopt;
    std::vector<Entry> entries;
    while (const dirent *found = ::readdir(dir)) {
        if (found->d_name[0] == '.')
            continue; // hidden, and the folder itself and its parent
        Entry entry;
        entry.name = QFile::decodeName(found->d_name);
        if (found->d_type == DT_DIR) {
            entry.isFolder = true;
        } else if (found->d_type != DT_REG) {
            if (found->d_type != DT_LNK && found->d_type != DT_UNKNOWN)
                continue;
            const QByteArray path = native + '/' + found->d_name;
            struct stat info
            {
            };
            entry.isLink = found->d_type == DT_LNK
                || (::lstat(path.constData(), &info) == 0 && S_ISLNK(info.st_mode));
            if (::stat(path.constData(), &info) != 0
                || !(S_ISDIR(info.st_mode) || S_ISREG(info.st_mode)))
                continue;
            entry.isFolder = S_ISDIR(info.st_mode);
        }
        entries.push_back(std::move(entry));
    }
    ::closedir(dir);
    return entries;
}

// Whether base joined with a relative path exists (links followed), with its
// resolved path built on base's: one lstat per step, and a full resolve only
// when a step is a link.
bool existsBelow(
    const QString &base, const QString &resolvedBase, const QString &relative, QString &resolved)
{
    QString path = base;
    resolved = resolvedBase;
    for (const QString &step : relative.split(u'/', Qt::SkipEmptyParts)) {
        path = join(path, step);
        struct stat info
        {
        };
        const QByteArray native = QFile::encodeName(path);
        if (::lstat(native.constData(), &info) != 0)
            return false;
        if (S_ISLNK(info.st_mode) || resolved.isEmpty()) {
            const QString full = join(base, relative);
            if (!exists(full))
                return false;
            resolved = canonical(full);
            return true;
        }
        resolved = join(resolved, step);
    }
    return true;
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
    }
    return {};
}

qint64 nanoseconds(const struct timespec &time)
{
    return qint64(time.tv_sec) * 1'000'000'000 + time.tv_nsec;
}

constexpr qint64 racyWindowNs = SkillScanner::recentChangeMs * 1'000'000;

} // namespace

SkillScanner::SkillScanner(ModelContext *context, SettingsStore *settings, QObject *parent)
    : QObject(parent),
      m_context(context),
      m_settings(settings),
      m_artifacts(&ArtifactCache::shared())
{
}

void SkillScanner::save()
{
    if (m_batchDepth == 0)
        m_lastSave = m_context->save();
    else
        saveReadSoFar();
}

void SkillScanner::noteUnsavedBody(const Skill *skill, qsizetype characters)
{
    // Only a whole scan lets bodies go, and it forgets them when it ends, so
    // no record deleted later is ever reached from here.
    if (m_batchDepth == 0 || m_saveEvery <= 0)
        return;
    m_unsavedBodies.append(skill);
    m_unsavedText += characters;
}

void SkillScanner::saveReadSoFar()
{
    if (m_saveEvery <= 0 || m_unsavedText < m_saveEvery)
        return;
    const Status saved = m_context->save();
    if (!saved && saved.error().code == Error::Conflict && m_chunkConflict)
        m_chunkConflict = saved;
    if (saved || saved.error().code == Error::Conflict) {
        for (const Skill *skill : std::as_const(m_unsavedBodies))
            skill->releaseContent();
    }
    // A failed save keeps everything pending; the scan's last save tries again.
    m_unsavedBodies.clear();
    m_unsavedText = 0;
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
    const QString home = QDir::homePath();
    for (ToolSource tool : ToolSources::all) {
        if (tool == ToolSource::Custom)
            continue;
        for (const QString &folder : ToolSources::globalPaths(tool, home))
            scanToolFolder(folder, tool, true);
    }
    const QStringList directories = m_settings ? m_settings->customScanPaths() : QStringList();
    for (const QString &directory : directories)
        scanProjectsIn(directory);
    --m_batchDepth;
    save();
    m_unsavedBodies.clear();
    m_unsavedText = 0;
    if (m_lastSave && !refreshed && refreshed.error().code == Error::Conflict)
        m_lastSave = refreshed;
    if (m_lastSave && !m_chunkConflict)
        m_lastSave = std::exchange(m_chunkConflict, {});
    m_chunkConflict = {};
}

void SkillScanner::scanProjectsIn(const QString &directory)
{
    const auto entries = list(directory);
    if (!entries)
        return;
    // Resolved once; below it, only the links met on the way are resolved again.
    const QString resolvedDirectory = canonical(directory);
    for (const Entry &entry : *entries) {
        if (!entry.isFolder)
            continue;
        const QString project = join(directory, entry.name);
        const QString resolvedProject = entry.isLink || resolvedDirectory.isEmpty()
            ? canonical(project)
            : join(resolvedDirectory, entry.name);
        for (const ProjectFolder &row : ToolSources::projectFolders()) {
            QString resolvedCandidate;
            if (!existsBelow(project, resolvedProject, row.relativePath, resolvedCandidate))
                continue;
            const QString candidate = join(project, row.relativePath);
            if (row.tool != ToolSource::Copilot) {
                scanFolder(candidate, resolvedCandidate, row.tool, false);
                continue;
            }
            const QString file = join(candidate, u"copilot-instructions.md"_s);
            QString resolved;
            if (lookAt(file, resolvedCandidate, resolved))
                process(file, resolved, ToolSource::Copilot, false, false);
        }
    }
}

void SkillScanner::scanToolFolder(const QString &folder, ToolSource tool, bool isGlobal)
{
    if (exists(folder))
        scanFolder(folder, canonical(folder), tool, isGlobal);
}

void SkillScanner::scanFolder(
    const QString &folder, const QString &resolvedFolder, ToolSource tool, bool isGlobal)
{
    const FolderLayout layout = ToolSources::folderLayout(tool);
    // A listed folder's resolved path: the listing already says whether it is a link.
    auto resolvedEntry = [&](const Entry &entry) {
        return entry.isLink || resolvedFolder.isEmpty() ? canonical(join(folder, entry.name))
                                                        : join(resolvedFolder, entry.name);
    };
    QString resolved;
    if (layout == FolderLayout::Agents) {
        const QString own = join(folder, u"AGENTS.md"_s);
        if (lookAt(own, resolvedFolder, resolved))
            process(own, resolved, tool, false, isGlobal);
        const auto entries = list(folder);
        if (!entries)
            return;
        for (const Entry &entry : *entries) {
            if (!entry.isFolder)
                continue;
            const QString file = join(join(folder, entry.name), u"AGENTS.md"_s);
            if (lookAt(file, resolvedEntry(entry), resolved))
                process(file, resolved, tool, true, isGlobal);
        }
        return;
    }

    if (!isFolder(folder))
        return;
    const auto entries = list(folder);
    if (!entries)
        return;
    for (const Entry &entry : *entries) {
        const QString &name = entry.name;
        const QString path = join(folder, name);
        if (entry.isFolder) {
            const QString resolvedSkillFolder = resolvedEntry(entry);
            for (const QString &file : { u"SKILL.md"_s, u"AGENTS.md"_s }) {
                if (!lookAt(join(path, file), resolvedSkillFolder, resolved))
                    continue;
                process(join(path, file), resolved, tool, true, isGlobal);
                break; // a folder holding both is read by its SKILL.md only
            }
            continue;
        }
        const QString suffix = entry.suffix();
        if ((suffix == u"md" || suffix == u"mdc") && lookAt(path, resolvedFolder, resolved))
            process(path, resolved, tool, false, isGlobal);
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

std::optional<ParsedSkill> SkillScanner::parseSkillFile(const QString &file, ToolSource tool)
{
    const auto text = TextFileReader::readUtf8(file);
    if (!text)
        return std::nullopt;
    return FrontmatterParser::parse(text.value(), ToolSources::parseStyle(tool));
}

void SkillScanner::processSkillFile(
    const QString &file, ToolSource tool, bool isSkillFolder, bool isGlobal)
{
    process(file, QFileInfo(file).canonicalFilePath(), tool, isSkillFolder, isGlobal);
}

void SkillScanner::process(const QString &file, const QString &resolved, ToolSource tool,
    bool isSkillFolder, bool isGlobal)
{
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
        = isSkillFolder ? file.section(u'/', -2, -2) : QFileInfo(file).completeBaseName();
    // What decides the stored fields: the file's identity and times, how it is
    // parsed and which name stands in for a missing one.
    const bool racy = hasAttributes
        && std::max(nanoseconds(info.st_mtim), nanoseconds(info.st_ctim))
            > m_clock().toMSecsSinceEpoch() * 1'000'000 - racyWindowNs;
    const QString signature = hasAttributes && !racy
        ? u"%1|%2|%3|%4|%5|%6|%7"_s.arg(parseStyleKey(ToolSources::parseStyle(tool)), fallbackName)
              .arg(qint64(info.st_size))
              .arg(nanoseconds(info.st_mtim))
              .arg(nanoseconds(info.st_ctim))
              .arg(quint64(info.st_ino))
              .arg(quint64(info.st_dev))
        : QString();

    Skill *existing = m_context->skillByResolvedPath(resolvedPath);
    if (existing && !signature.isEmpty() && existing->scanSignature() == signature) {
        ++m_counts.unchanged;
        existing->addInstallation(routePath, tool);
    } else {
        const auto parsed = parseSkillFile(file, tool);
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
            existing->addInstallation(routePath, tool);
            existing->setScanSignature(signature);
            noteUnsavedBody(existing, parsed->content.size());
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
            seed.tool = tool;
            Skill *skill = Skill::make(seed);
            skill->setScanSignature(signature);
            if (m_context->insert(skill)) {
                ++m_counts.inserted;
                noteUnsavedBody(skill, parsed->content.size());
            } else {
                delete skill;
            }
        }
    }

    if (isSkillFolder && m_artifacts)
        ArtifactScanner::refresh(routePath, *m_artifacts);
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
