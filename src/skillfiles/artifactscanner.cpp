#include "artifactscanner.h"

#include "artifactcache.h"

#include <QDateTime>
#include <QFile>
#include <QRandomGenerator>
#include <QSet>

#include <algorithm>
#include <array>

#include <dirent.h>
#include <sys/stat.h>

using namespace Qt::StringLiterals;

namespace {

// Far deeper than any real skill folder; only stops a walk down a runaway tree.
constexpr int maxDepth = 100;
// A folder changed this recently may change again within the same clock tick
// without its times moving, so its walk is not trusted for reuse.
constexpr qint64 racyWindowNs = 2'000'000'000;

QString joinPath(const QString &folder, const QString &relative)
{
    return folder.endsWith(u'/') ? folder + relative : folder + u'/' + relative;
}

SkillArtifact::Category classify(const QString &folder, const QString &extension)
{
    using Category = SkillArtifact::Category;
    // The folder rules come first: scripts/notes.md is a script, whatever its extension.
    if (folder.contains(u"script"))
        return Category::Script;
    if (SkillArtifact::scriptExtensions().contains(extension))
        return Category::Script;
    if (folder.contains(u"ref")) // also catches "reference"
        return Category::Reference;
    if (folder.contains(u"rule"))
        return Category::Rule;
    if (SkillArtifact::configExtensions().contains(extension))
        return Category::Config;
    return Category::Other;
}

// Random (version 4) ids from the process's seeded generator: the system
// generator costs a system call per id, and a scan makes tens of thousands.
QUuid freshId()
{
    std::array<quint32, 4> w {};
    QRandomGenerator::global()->fillRange(w.data(), qsizetype(w.size()));
    return QUuid(w[0], ushort(w[1]), ushort(((w[1] >> 16) & 0x0fffU) | 0x4000U),
        uchar((w[2] & 0x3fU) | 0x80U), uchar(w[2] >> 8), uchar(w[2] >> 16), uchar(w[2] >> 24),
        uchar(w[3]), uchar(w[3] >> 8), uchar(w[3] >> 16), uchar(w[3] >> 24));
}

struct DirEntry
{
    QString name;
    QByteArray path;
    unsigned char type;
};

// Plain readdir: the entry types come with the names, so only links and the
// rare file systems without types cost a stat.
class Walker final
{
public:
    Walker(QString folder, QString skillFileName)
        : m_folder(std::move(folder)),
          m_skillFileName(std::move(skillFileName)),
          m_now(QDateTime::currentMSecsSinceEpoch() * 1'000'000)
    {
    }

    ArtifactScanner::Walk run()
    {
        struct stat info
        {
        };
        const QByteArray top = QFile::encodeName(m_folder);
        if (::stat(top.constData(), &info) != 0 || !S_ISDIR(info.st_mode))
            return {};
        m_visited.insert({ quint64(info.st_dev), quint64(info.st_ino) });
        visit(top, info, QString(), 0);
        return std::move(m_result);
    }

private:
    void visit(const QByteArray &dirPath, const struct stat &dirInfo, const QString &relativeDir,
        int depth)
    {
        DIR *dir = ::opendir(dirPath.constData());
        if (!dir)
            return;
        m_result.stamp.addFolder(dirPath, dirInfo);
        if (qint64(dirInfo.st_mtim.tv_sec) * 1'000'000'000 + dirInfo.st_mtim.tv_nsec
            > m_now - racyWindowNs)
            m_result.stamp.markRacy();
        QList<DirEntry> entries;
        while (const dirent *entry = ::readdir(dir)) {
            const QByteArray name(entry->d_name);
            if (name == "." || name == "..")
                continue;
            entries.append({ QFile::decodeName(name), dirPath + '/' + name, entry->d_type });
        }
        ::closedir(dir);
        // Sorted by name, so a rescan shows the same order whatever the disk does.
        std::sort(entries.begin(), entries.end(),
            [](const DirEntry &a, const DirEntry &b) { return a.name < b.name; });

        for (const DirEntry &entry : std::as_const(entries)) {
            const QString relative
                = relativeDir.isEmpty() ? entry.name : relativeDir + u'/' + entry.name;
            struct stat info
            {
            };
            bool isLink = entry.type == DT_LNK;
            bool exists = true;
            bool isDir = entry.type == DT_DIR;
            if (entry.type == DT_UNKNOWN || isLink) {
                if (!isLink) {
                    struct stat own
                    {
                    };
                    isLink = ::lstat(entry.path.constData(), &own) == 0 && S_ISLNK(own.st_mode);
                }
                exists = ::stat(entry.path.constData(), &info) == 0;
                isDir = exists && S_ISDIR(info.st_mode);
                if (isLink)
                    m_result.stamp.addLink(entry.path, exists ? &info : nullptr);
            } else if (isDir && ::stat(entry.path.constData(), &info) != 0) {
                continue;
            }
            if (isDir) {
                // A link to a folder is never walked. One leading out of the
                // skill folder would list another folder's files (a shared
                // library, the home folder) as this skill's; one staying
                // inside leads to files the walk lists anyway, under their
                // real relative paths, and to the loops links can make.
                if (!isLink)
                    descend(entry.path, info, relative, depth + 1);
                continue;
            }
            // Hidden files are left out, and so is the skill file itself, but
            // only at the top: a sub/SKILL.md is an artifact like any other.
            if (!exists || relative == m_skillFileName || entry.name.startsWith(u'.'))
                continue;
            add(entry.name, relative);
        }
    }

    void descend(
        const QByteArray &path, const struct stat &info, const QString &relative, int depth)
    {
        if (depth > maxDepth)
            return;
        // Each real folder once: a bind mount can still bring a folder back
        // inside itself, and that loop must end.
        const std::pair<quint64, quint64> id { quint64(info.st_dev), quint64(info.st_ino) };
        if (m_visited.contains(id))
            return;
        m_visited.insert(id);
        visit(path, info, relative, depth);
    }

    void add(const QString &name, const QString &relative)
    {
        const qsizetype dot = name.lastIndexOf(u'.');
        const QString extension = dot < 0 ? QString() : name.mid(dot + 1).toLower();
        const qsizetype slash = relative.lastIndexOf(u'/');
        const QString folder = slash < 0 ? QString() : relative.left(slash).toLower();

        SkillArtifact artifact;
        artifact.id = freshId();
        artifact.name = name;
        artifact.path = joinPath(m_folder, relative);
        artifact.relativePath = relative;
        artifact.category = classify(folder, extension);
        artifact.fileExtension = extension;
        m_result.artifacts.append(std::move(artifact));
    }

    QString m_folder;
    QString m_skillFileName;
    qint64 m_now;
    QSet<std::pair<quint64, quint64>> m_visited;
    ArtifactScanner::Walk m_result;
};

} // namespace

ArtifactScanner::Walk ArtifactScanner::walk(const QString &skillFilePath)
{
    const qsizetype slash = skillFilePath.lastIndexOf(u'/');
    const QString folder = slash <= 0 ? (slash == 0 ? u"/"_s : u"."_s) : skillFilePath.left(slash);
    Walker walker(folder, skillFilePath.mid(slash + 1));
    Walk result = walker.run();
    std::stable_sort(result.artifacts.begin(), result.artifacts.end(),
        [](const SkillArtifact &a, const SkillArtifact &b) {
            return SkillArtifact::categoryRawValue(a.category)
                < SkillArtifact::categoryRawValue(b.category);
        });
    return result;
}

QList<SkillArtifact> ArtifactScanner::scanArtifacts(const QString &skillFilePath)
{
    return walk(skillFilePath).artifacts;
}

void ArtifactScanner::refresh(const QString &skillFilePath, ArtifactCache &cache)
{
    if (const std::optional<ArtifactStamp> stamp = cache.stampForPath(skillFilePath);
        stamp && stamp->holds()) {
        QList<SkillArtifact> artifacts = cache.artifactsForPath(skillFilePath);
        for (SkillArtifact &artifact : artifacts)
            artifact.id = freshId(); // found again: a fresh identity, as from a walk
        cache.setArtifacts(artifacts, skillFilePath, *stamp);
        return;
    }
    Walk result = walk(skillFilePath);
    cache.setArtifacts(result.artifacts, skillFilePath, result.stamp);
}
