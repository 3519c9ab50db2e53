#include "skillcreator.h"

#include "artifactcache.h"
#include "artifactscanner.h"
#include "frontmatterparser.h"
#include "harnesstable.h"
#include "modelcontext.h"
#include "skill.h"

#include <QDateTime>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QRandomGenerator>
#include <QTextBoundaryFinder>

#include <cerrno>
#include <utility>

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

using namespace Qt::StringLiterals;

namespace {

// Text broken into user-perceived characters, as the name rules count them.
QStringList graphemes(const QString &text)
{
    QStringList pieces;
    QTextBoundaryFinder finder(QTextBoundaryFinder::Grapheme, text);
    qsizetype start = 0;
    while (finder.toNextBoundary() != -1) {
        pieces.append(text.mid(start, finder.position() - start));
        start = finder.position();
    }
    return pieces;
}

bool isLetterOrNumber(char32_t codePoint)
{
    return QChar::isLetterOrNumber(codePoint);
}

// What may follow the first code point of a kept character: its accents and
// the joiners of the scripts that need them. A few letters (prepended
// consonant signs) join with whatever follows, even "/" or ".", so each code
// point is checked, not just the first.
bool mayContinue(char32_t codePoint)
{
    return isLetterOrNumber(codePoint) || QChar::isMark(codePoint) || codePoint == 0x200C
        || codePoint == 0x200D;
}

// Line breaks and other control characters would break the frontmatter the
// name is written into; a tab is harmless there and only left out of paths.
bool breaksTheFile(const QString &name)
{
    for (const char32_t codePoint : name.toUcs4()) {
        if (codePoint == u'\t')
            continue;
        if (QChar::category(codePoint) == QChar::Other_Control || codePoint == 0x2028
            || codePoint == 0x2029)
            return true;
    }
    return false;
}

QString systemText(int error)
{
    return qt_error_string(error);
}

Error ioError(const QString &what, const QString &path, int error)
{
    return Error { Error::Io, u"Cannot %1 %2: %3."_s.arg(what, path, systemText(error)) };
}

struct FileDescriptor final
{
    explicit FileDescriptor(int value) : fd(value) { }
    ~FileDescriptor()
    {
        if (fd >= 0)
            ::close(fd);
    }
    FileDescriptor(const FileDescriptor &) = delete;
    FileDescriptor &operator=(const FileDescriptor &) = delete;
    // Close errors count: on some file systems the write fails only here.
    int release()
    {
        const int result = ::close(fd);
        fd = -1;
        return result;
    }
    int fd;
};

// Every missing folder on the way, as `mkdir -p` would; an existing folder
// (or a link to one) is fine, anything else in the way is the error.
Status makeFolders(const QString &path)
{
    QStringList missing;
    QString probe = QDir::cleanPath(path);
    struct stat info
    {
    };
    while (::stat(QFile::encodeName(probe).constData(), &info) != 0) {
        if (errno != ENOENT)
            return ioError(u"create the folder"_s, path, errno);
        missing.prepend(probe);
        const QString parent = QFileInfo(probe).path();
        if (parent == probe)
            break;
        probe = parent;
    }
    if (missing.isEmpty() || missing.first() != probe) {
        if (!S_ISDIR(info.st_mode))
            return ioError(u"create the folder"_s, path, ENOTDIR);
    }
    for (const QString &folder : std::as_const(missing)) {
        if (::mkdir(QFile::encodeName(folder).constData(), 0777) == 0)
            continue;
        const int error = errno;
        if (error == EEXIST && ::stat(QFile::encodeName(folder).constData(), &info) == 0
            && S_ISDIR(info.st_mode))
            continue; // made by someone else meanwhile
        return ioError(u"create the folder"_s, path, error);
    }
    return {};
}

Status writeAll(int fd, const QByteArray &bytes)
{
    qsizetype done = 0;
    while (done < bytes.size()) {
        const ssize_t count = ::write(fd, bytes.constData() + done, size_t(bytes.size() - done));
        if (count < 0) {
            if (errno == EINTR)
                continue;
            return Error { Error::Io, systemText(errno) };
        }
        done += count;
    }
    if (::fsync(fd) != 0 && errno != EINVAL) // EINVAL: a file system that cannot sync
        return Error { Error::Io, systemText(errno) };
    return {};
}

// O_EXCL and O_NOFOLLOW: never opens what is already there, not even through a link.
constexpr int exclusiveFlags = O_WRONLY | O_CREAT | O_EXCL | O_NOFOLLOW | O_CLOEXEC;

Status writeExclusive(const QString &path, const QByteArray &bytes)
{
    const QByteArray native = QFile::encodeName(path);
    FileDescriptor file(::open(native.constData(), exclusiveFlags, 0666));
    if (file.fd < 0) {
        if (errno == EEXIST)
            return Error { Error::Conflict, SkillCreator::duplicateMessage() };
        return ioError(u"write"_s, path, errno);
    }
    Status written = writeAll(file.fd, bytes);
    if (written && file.release() != 0)
        written = Error { Error::Io, systemText(errno) };
    if (!written) {
        ::unlink(native.constData());
        return Error { Error::Io, u"Cannot write %1: %2."_s.arg(path, written.error().message) };
    }
    return {};
}

} // namespace

QString SkillCreator::invalidNameMessage()
{
    return u"Invalid skill name: use letters, numbers, spaces or hyphens"_s;
}

QString SkillCreator::duplicateMessage()
{
    return u"A skill with this name already exists"_s;
}

QString SkillCreator::folderName(const QString &skillName)
{
    QString folder;
    for (const QString &character : graphemes(frontmatterSlug(skillName))) {
        if (character == u"-") {
            folder += character;
            continue;
        }
        const QList<uint> codePoints = character.toUcs4();
        if (codePoints.isEmpty() || !isLetterOrNumber(codePoints.first()))
            continue;
        for (const uint codePoint : codePoints) {
            if (mayContinue(codePoint))
                folder += QChar::fromUcs4(codePoint);
        }
    }
    return folder;
}

QString SkillCreator::frontmatterSlug(const QString &skillName)
{
    return skillName.toLower().replace(u' ', u'-');
}

SkillCreator::Target SkillCreator::target(
    const QString &folderName, ToolSource tool, const QString &homePath)
{
    const auto skillFolder = [](const QString &folder) {
        return Target { folder, folder + u"/SKILL.md"_s, true };
    };
    const QString claudeFolder = homePath + u"/.claude/skills/"_s + folderName;
    switch (tool) {
    case ToolSource::Claude:
        return skillFolder(claudeFolder);
    case ToolSource::Cursor:
        return skillFolder(homePath + u"/.cursor/skills/"_s + folderName);
    case ToolSource::Codex:
        return Target { homePath + u"/.codex"_s, homePath + u"/.codex/AGENTS.md"_s, false };
    case ToolSource::Amp:
        return Target { homePath + u"/.config/amp"_s, homePath + u"/.config/amp/AGENTS.md"_s,
            false };
    default:
        break;
    }
    // Harnesses known since the harness table get a skill folder where they
    // read skills; the older ones keep the places they always had.
    if (tool > ToolSource::Amp && tool != ToolSource::Custom) {
        if (const auto place = HarnessTable::newSkillLocation(tool))
            return skillFolder(homePath + u'/' + place->path + u'/' + folderName);
    }
    // A tool with its own global folder gets the file there, named by nothing
    // but the template; one without one borrows Claude Code's folder.
    const QStringList global = ToolSources::globalPaths(tool, homePath);
    return global.isEmpty() ? skillFolder(claudeFolder) : skillFolder(global.first());
}

QString SkillCreator::skillTemplate(const QString &skillName, ToolSource tool)
{
    const QString header = u"---\nname: "_s + frontmatterSlug(skillName) + u"\ndescription: "_s
        + skillName + u"\n---\n\n# "_s + skillName;
    switch (tool) {
    case ToolSource::Claude:
    case ToolSource::Cursor:
        return header
            + u"\n\n## When to Use\n\n- Describe when this skill should be activated\n\n"
              "## Instructions\n\nAdd your skill instructions here."_s;
    case ToolSource::Codex:
    case ToolSource::Amp:
        return u"# "_s + skillName + u"\n\n## Instructions\n\nAdd your skill instructions here."_s;
    default:
        return header + u"\n\nAdd your skill instructions here."_s;
    }
}

QList<ToolSource> SkillCreator::offeredTools()
{
    QList<ToolSource> tools;
    for (ToolSource tool : ToolSources::all) {
        // A newer harness without a skills folder has nowhere to put one.
        const bool hasPlace = tool <= ToolSource::Amp || HarnessTable::newSkillLocation(tool);
        if (tool != ToolSource::Custom && hasPlace)
            tools.append(tool);
    }
    return tools;
}

ToolSource SkillCreator::initialTool(ToolSource preferred)
{
    return offeredTools().contains(preferred) ? preferred : ToolSource::Claude;
}

Status SkillCreator::writeNewFile(const QString &path, const QByteArray &bytes)
{
    // Hidden beside the target, so a scan running meanwhile never lists it.
    const QString folder = QFileInfo(path).path();
    QString temporary;
    int fd = -1;
    for (int attempt = 0; fd < 0 && attempt < 16; ++attempt) {
        temporary = folder
            + u"/.quire-new-%1.tmp"_s.arg(
                QRandomGenerator::global()->generate64(), 16, 16, QChar(u'0'));
        fd = ::open(QFile::encodeName(temporary).constData(), exclusiveFlags, 0666);
        if (fd < 0 && errno != EEXIST)
            return ioError(u"write"_s, path, errno);
    }
    if (fd < 0)
        return ioError(u"write"_s, path, EEXIST);
    const QByteArray nativeTemporary = QFile::encodeName(temporary);
    FileDescriptor file(fd);
    Status written = writeAll(file.fd, bytes);
    if (written && file.release() != 0)
        written = Error { Error::Io, systemText(errno) };
    if (!written) {
        ::unlink(nativeTemporary.constData());
        return Error { Error::Io, u"Cannot write %1: %2."_s.arg(path, written.error().message) };
    }

    // link() is the atomic move that refuses to replace: the whole file
    // appears at once, or nothing happens because something is already there.
    const int linked = ::link(nativeTemporary.constData(), QFile::encodeName(path).constData());
    const int error = errno;
    ::unlink(nativeTemporary.constData());
    if (linked == 0)
        return {};
    switch (error) {
    case EEXIST:
        return Error { Error::Conflict, duplicateMessage() };
    case EPERM:
    case EMLINK:
    case ENOSYS:
    case EOPNOTSUPP:
        // A file system without hard links: an exclusive create still never replaces.
        return writeExclusive(path, bytes);
    default:
        return ioError(u"write"_s, path, error);
    }
}

Result<Skill *> SkillCreator::createSkill(
    const QString &skillName, ToolSource tool, ModelContext &context)
{
    return createSkill(skillName, tool, context, QDir::homePath());
}

Result<Skill *> SkillCreator::createSkill(
    const QString &skillName, ToolSource tool, ModelContext &context, const QString &homePath)
{
    const QString folder = folderName(skillName);
    if (folder.isEmpty() || breaksTheFile(skillName))
        return Error { Error::BadInput, invalidNameMessage() };

    const Target where = target(folder, tool, homePath);
    if (Status made = makeFolders(where.folder); !made)
        return made.error();
    // lstat: a dangling link counts as taken too, since writing would follow it.
    struct stat info
    {
    };
    if (::lstat(QFile::encodeName(where.file).constData(), &info) == 0)
        return Error { Error::Conflict, duplicateMessage() };

    const QString text = skillTemplate(skillName, tool);
    const QByteArray bytes = text.toUtf8();
    if (Status written = writeNewFile(where.file, bytes); !written)
        return written.error();
    // A scan knows a file by its path with links resolved. When the home or
    // skills folder is reached through a link (dotfile managers do that), the
    // path as written is not that key, and the next scan would add a second
    // record for this very file.
    const QString resolved = QFileInfo(where.file).canonicalFilePath();
    const QString resolvedPath = resolved.isEmpty() ? where.file : resolved;

    const ParsedSkill parsed = FrontmatterParser::parseFrontmatter(text);
    Skill::Seed seed;
    seed.filePath = where.file;
    seed.resolvedPath = resolvedPath;
    seed.isDirectory = where.isDirectory;
    seed.name = skillName;
    seed.description = parsed.description;
    seed.content = parsed.content;
    seed.fileText = text;
    seed.frontmatter = parsed.frontmatter;
    seed.fileModifiedDate = QDateTime::currentDateTimeUtc();
    seed.fileSize = bytes.size(); // bytes on disk, as a scan records them
    seed.isGlobal = true;
    seed.tool = tool;

    // A record for this path may outlive its file until the next prune; it
    // becomes the new skill, so one record per path remains. The user's own
    // marks on it (favourite, collections) are kept.
    Skill *skill = context.skillByResolvedPath(resolvedPath);
    if (skill) {
        skill->setFilePath(seed.filePath);
        skill->setIsDirectory(seed.isDirectory);
        skill->setName(seed.name);
        skill->setSkillDescription(seed.description);
        skill->setContent(seed.content);
        skill->setFileText(text);
        skill->setFrontmatter(seed.frontmatter);
        skill->setFileModifiedDate(seed.fileModifiedDate);
        skill->setFileSize(seed.fileSize);
        skill->setIsGlobal(true);
        skill->setToolSources({ tool });
        skill->setInstalledPaths({ where.file });
        skill->setScanSignature({});
    } else {
        skill = Skill::make(seed);
        if (Status inserted = context.insert(skill); !inserted) {
            delete skill;
            return inserted.error();
        }
    }
    skill->setVersionSource(VersionSource::Created);
    if (where.isDirectory)
        ArtifactScanner::refresh(where.file, ArtifactCache::shared());
    if (Status saved = context.save(); !saved) {
        // The file exists now: creating it again would only be refused, so
        // say what happened rather than to try again.
        QString why = saved.error().message;
        if (why.endsWith(u'.'))
            why.chop(1);
        return Error { Error::Store,
            u"Created %1, but could not record it in the store (%2). The next scan will record it."_s
                .arg(where.file, why) };
    }
    return skill;
}
