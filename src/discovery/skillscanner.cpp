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
    if (m_lastSave && !refreshed && refreshed.error().code == Error::Conflict)
        m_lastSave = refreshed;
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
        for (const ProjectFolder &row : ToolSources::projectFolders()) {
            const QString candidate = join(project, row.relativePath);
            if (!exists(candidate))
                continue;
            if (row.tool != ToolSource::Copilot) {
                scanToolFolder(candidate, row.tool, false);
                continue;
            }
            const QString file = join(candidate, u"copilot-instructions.md"_s);
            if (fileExists(file))
                processSkillFile(file, ToolSource::Copilot, false, false);
        }
    }
}

void SkillScanner::scanToolFolder(const QString &folder, ToolSource tool, bool isGlobal)
{
    if (!exists(folder))
        return;
    const FolderLayout layout = ToolSources::folderLayout(tool);
    const QString resolvedFolder = QFileInfo(folder).canonicalFilePath();
    // A listed folder's resolved path: the listing already says whether it is a link.
    auto resolvedEntry = [&](const QFileInfo &entry) {
        return entry.isSymLink() || resolvedFolder.isEmpty()
            ? entry.canonicalFilePath()
            : join(resolvedFolder, entry.fileName());
    };
    QString resolved;
    if (layout == FolderLayout::Agents) {
        const QString own = join(folder, u"AGENTS.md"_s);
        if (lookAt(own, resolvedFolder, resolved))
            process(own, resolved, tool, false, isGlobal);
        const auto entries = list(folder);
        if (!entries)
            return;
        for (const QFileInfo &entry : *entries) {
            if (!entry.isDir())
                continue;
            const QString file = join(join(folder, entry.fileName()), u"AGENTS.md"_s);
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
    for (const QFileInfo &entry : *entries) {
        const QString name = entry.fileName();
        const QString path = join(folder, name);
        if (entry.isDir()) {
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
            } else {
                delete skill;
            }
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
