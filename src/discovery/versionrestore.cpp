#include "versionrestore.h"

#include "frontmatterparser.h"
#include "modelcontext.h"
#include "skillfile.h"

#include <QDir>
#include <QFileInfo>

using namespace Qt::StringLiterals;

namespace {

// The record follows a text written to its file, as a scan would read it.
void adopt(Skill *skill, const QString &text, VersionSource source)
{
    const QList<ToolSource> tools = skill->toolSources();
    const ToolSource tool = tools.isEmpty() ? ToolSource::Custom : tools.first();
    const ParsedSkill parsed = FrontmatterParser::parse(text, ToolSources::parseStyle(tool));
    if (!parsed.name.isEmpty())
        skill->setName(parsed.name);
    skill->setSkillDescription(parsed.description);
    skill->setContent(parsed.content);
    skill->setFrontmatter(parsed.frontmatter);
    skill->setFileText(text);
    skill->setVersionSource(source);
}

Status recorded(ModelContext &store, const QString &path)
{
    Status saved = store.save();
    if (saved)
        return saved;
    QString why = saved.error().message;
    if (why.endsWith(u'.'))
        why.chop(1);
    return Error { Error::Store,
        u"Restored %1, but could not record it in the store (%2)."_s.arg(path, why) };
}

} // namespace

QString VersionRestore::knownText(ModelContext &store, const QString &path)
{
    if (const Skill *skill = store.skillByResolvedPath(path)) {
        const auto stored = store.storedText(skill);
        return stored ? stored.value() : QString();
    }
    const auto versions = store.history().versions(path);
    if (!versions || versions.value().isEmpty())
        return {};
    const auto text = store.history().text(versions.value().first().id);
    return text ? text.value() : QString();
}

Status VersionRestore::restore(
    ModelContext &store, const QString &path, qint64 versionId, Mode mode)
{
    const auto version = store.history().version(versionId);
    if (!version)
        return version.error();
    if (version.value().path != path)
        return Error { Error::NotFound,
            u"Version %1 is not a version of %2."_s.arg(versionId).arg(path) };
    const auto text = store.history().text(versionId);
    if (!text)
        return text.error();

    Skill *skill = store.skillByResolvedPath(path);
    const QString known = knownText(store, path);
    const SkillFile::Loaded disk = SkillFile::load(path);
    // What is on disk now must be what Quire last saw, or gone; anything else
    // is somebody's work that the restore would overwrite unrecorded.
    bool changed = false;
    if (disk.snapshot.exists)
        changed = !disk.text || (skill ? disk.text.value() != known : true);
    if (changed && disk.text && disk.text.value() == text.value())
        changed = false; // already the version asked for
    if (changed) {
        if (mode == Mode::RefuseChanged || !disk.text)
            return Error { Error::Conflict,
                disk.text ? u"%1 changed on disk since Quire last read it; scan first so that "
                            "its text is kept in the history, then restore."_s.arg(path)
                          : u"%1 changed on disk and cannot be read as UTF-8 text; it is left "
                            "as it is."_s.arg(path) };
        // Kept first, so it stands before the restored text in the history.
        if (skill)
            adopt(skill, disk.text.value(), VersionSource::ChangedOnDisk);
        else
            store.recordVersion(path, disk.text.value(), VersionSource::ChangedOnDisk);
        if (Status saved = store.save(); !saved)
            return saved;
    }

    if (!disk.snapshot.exists && !QDir().mkpath(QFileInfo(path).absolutePath()))
        return Error { Error::Io,
            u"Cannot create the folder %1."_s.arg(QFileInfo(path).absolutePath()) };
    const auto written = SkillFile::save(path, text.value(), disk.byteOrderMark);
    if (!written)
        return written.error();

    if (skill) {
        adopt(skill, text.value(), VersionSource::Restored);
        const QFileInfo info(path);
        skill->setFileSize(info.size());
        skill->setFileModifiedDate(info.lastModified().toUTC());
        skill->setScanSignature({}); // the next scan reads it again
    } else {
        store.recordVersion(path, text.value(), VersionSource::Restored);
    }
    return recorded(store, path);
}
