#include "artifactscanner.h"

#include <QDir>
#include <QFileInfo>
#include <QSet>
#include <algorithm>

using namespace Qt::StringLiterals;

namespace {

// Far deeper than any real skill folder; only stops a walk down a runaway tree.
constexpr int maxDepth = 100;

QString joinPath(const QString &folder, const QString &relative)
{
    return folder.endsWith(u'/') ? folder + relative : folder + u'/' + relative;
}

bool isSameOrInside(const QString &path, const QString &folder)
{
    if (path == folder)
        return true;
    return path.startsWith(folder.endsWith(u'/') ? folder : folder + u'/');
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

class Walk final
{
public:
    Walk(QString folder, QString canonicalFolder, QString skillFileName)
        : m_folder(std::move(folder)),
          m_canonicalFolder(std::move(canonicalFolder)),
          m_skillFileName(std::move(skillFileName))
    {
        m_visited.insert(m_canonicalFolder);
    }

    void run() { visit(m_folder, m_canonicalFolder, QString(), 0); }
    QList<SkillArtifact> takeArtifacts() { return std::move(m_artifacts); }

private:
    void visit(
        const QString &dirPath, const QString &canonicalDir, const QString &relativeDir, int depth)
    {
        // Hidden entries are listed too: a hidden folder is walked even though
        // its own name keeps it off the list. Sorted by name, so a rescan shows
        // the same order.
        const QFileInfoList entries = QDir(dirPath).entryInfoList(
            QDir::AllEntries | QDir::Hidden | QDir::System | QDir::NoDotAndDotDot, QDir::Name);
        for (const QFileInfo &entry : entries) {
            const QString name = entry.fileName();
            const QString relative = relativeDir.isEmpty() ? name : relativeDir + u'/' + name;
            if (entry.isDir()) {
                descend(entry, canonicalDir, relative, depth + 1);
                continue;
            }
            if (relative == m_skillFileName || name.startsWith(u'.') || !entry.exists())
                continue;
            add(name, relative);
        }
    }

    void descend(
        const QFileInfo &entry, const QString &canonicalParent, const QString &relative, int depth)
    {
        if (depth > maxDepth)
            return;
        const QString canonical = entry.canonicalFilePath();
        // Each real folder once, so two links to one folder cannot list it twice
        // and a loop of links ends.
        if (canonical.isEmpty() || m_visited.contains(canonical))
            return;
        if (entry.isSymLink()) {
            // A link into the skill folder leads where the plain walk goes anyway,
            // so the files keep their real relative paths; a link to a folder that
            // holds the skill folder or the current one would walk it all again.
            if (isSameOrInside(canonical, m_canonicalFolder)
                || isSameOrInside(m_canonicalFolder, canonical)
                || isSameOrInside(canonicalParent, canonical))
                return;
        }
        m_visited.insert(canonical);
        visit(entry.filePath(), canonical, relative, depth);
    }

    void add(const QString &name, const QString &relative)
    {
        const qsizetype dot = name.lastIndexOf(u'.');
        const QString extension = dot < 0 ? QString() : name.mid(dot + 1).toLower();
        const qsizetype slash = relative.lastIndexOf(u'/');
        const QString folder = slash < 0 ? QString() : relative.left(slash).toLower();

        SkillArtifact artifact;
        artifact.id = QUuid::createUuid();
        artifact.name = name;
        artifact.path = joinPath(m_folder, relative);
        artifact.relativePath = relative;
        artifact.category = classify(folder, extension);
        artifact.fileExtension = extension;
        m_artifacts.append(std::move(artifact));
    }

    QString m_folder;
    QString m_canonicalFolder;
    QString m_skillFileName;
    QSet<QString> m_visited;
    QList<SkillArtifact> m_artifacts;
};

} // namespace

QList<SkillArtifact> ArtifactScanner::scanArtifacts(const QString &skillFilePath)
{
    const QFileInfo skillFile(skillFilePath);
    const QString folder = skillFile.path();
    const QFileInfo folderInfo(folder);
    const QString canonicalFolder = folderInfo.canonicalFilePath();
    if (canonicalFolder.isEmpty() || !folderInfo.isDir())
        return {};

    Walk walk(folder, canonicalFolder, skillFile.fileName());
    walk.run();
    QList<SkillArtifact> artifacts = walk.takeArtifacts();
    std::stable_sort(
        artifacts.begin(), artifacts.end(), [](const SkillArtifact &a, const SkillArtifact &b) {
            return SkillArtifact::categoryRawValue(a.category)
                < SkillArtifact::categoryRawValue(b.category);
        });
    return artifacts;
}
