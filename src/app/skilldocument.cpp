#include "skilldocument.h"

#include "frontmatterparser.h"
#include "modelcontext.h"
#include "storesaver.h"

#include <QDir>
#include <QFileInfo>

#include <algorithm>

using namespace Qt::StringLiterals;

namespace {

// Long enough to see a save by rename (several events) as one change.
constexpr int settleMilliseconds = 50;

bool sameFile(const QString &a, const QString &b)
{
    if (a == b)
        return true;
    const QString canonical = QFileInfo(a).canonicalFilePath();
    return !canonical.isEmpty() && canonical == QFileInfo(b).canonicalFilePath();
}

} // namespace

SkillDocument::SkillDocument(QObject *parent) : QObject(parent)
{
    m_settle.setSingleShot(true);
    m_settle.setInterval(settleMilliseconds);
    connect(&m_watcher, &QFileSystemWatcher::fileChanged, this, &SkillDocument::diskEvent);
    connect(&m_watcher, &QFileSystemWatcher::directoryChanged, this, &SkillDocument::diskEvent);
    connect(&m_settle, &QTimer::timeout, this, [this] {
        watch(); // a file replaced by rename is no longer the one watched
        checkDisk();
    });
}

void SkillDocument::setSkill(Skill *skill)
{
    follow(skill);
    m_orphaned = false;
    load();
    Q_EMIT targetChanged();
}

void SkillDocument::follow(Skill *skill)
{
    if (m_skill)
        disconnect(m_skill, nullptr, this, nullptr);
    if (m_context)
        disconnect(m_context, nullptr, this, nullptr);
    m_skill = skill;
    m_context = skill ? skill->context() : nullptr;
    if (m_skill) {
        connect(m_skill, &Skill::filePathChanged, this, &SkillDocument::filePathChanged);
        // A record that goes without being announced (its store closed) still
        // must not take the text with it.
        connect(m_skill, &QObject::destroyed, this, &SkillDocument::releaseSkill);
    }
    if (m_context)
        connect(m_context, &ModelContext::skillsRemoved, this, &SkillDocument::skillsRemoved);
}

QString SkillDocument::label(const QString &path)
{
    return QDir::toNativeSeparators(path);
}

void SkillDocument::load()
{
    if (!m_skill) {
        m_path.clear();
        m_name.clear();
        m_baseline.clear();
        m_lineEndings = LineEndings::Style::Lf;
        m_crStandIn.reset();
        m_byteOrderMark = false;
        m_disk = {};
        m_loadedFromFile = false;
        watch();
        setNotice({});
        setModified(false);
        Q_EMIT loaded();
        return;
    }
    m_path = m_skill->filePath();
    m_name = m_skill->name();
    const SkillFile::Loaded file = SkillFile::load(m_path);
    if (file.text) {
        adopt(file);
    } else {
        // The stored body lacks the frontmatter block, so the user must know
        // that this is not the file.
        const LineEndings::ForEditor form = LineEndings::forEditor(m_skill->content());
        m_lineEndings = form.style;
        m_crStandIn = form.crStandIn;
        m_byteOrderMark = false;
        m_baseline = form.text;
        m_disk = file.snapshot;
        m_loadedFromFile = false;
        setNotice(file.snapshot.exists
                ? u"%1 Showing the body Quire stored, without the frontmatter; saving would replace the file."_s
                      .arg(file.text.error().message)
                : u"The file is missing. Showing the body Quire stored; saving creates the file again."_s);
    }
    watch();
    setModified(false);
    Q_EMIT loaded();
}

void SkillDocument::adopt(const SkillFile::Loaded &file)
{
    const LineEndings::ForEditor form = LineEndings::forEditor(file.text.value());
    m_lineEndings = form.style;
    m_crStandIn = form.crStandIn;
    m_byteOrderMark = file.byteOrderMark;
    m_baseline = form.text;
    m_disk = file.snapshot;
    m_loadedFromFile = true;
    if (!form.exact)
        setNotice(
            u"This file holds characters the editor turns into line breaks; saving writes them as line breaks."_s);
    else if (m_crStandIn)
        setNotice(u"Stray carriage returns in this file are shown as ␍ and saved as they were."_s);
    else
        setNotice({});
}

QString SkillDocument::movedNotice() const
{
    return u"The skill's file is now %1; your text came from %2. Your edits are kept, and saving asks where to write them."_s
        .arg(label(m_skill->filePath()), label(m_path));
}

void SkillDocument::filePathChanged()
{
    if (!m_skill || m_skill->filePath() == m_path)
        return;
    // Without edits the text shown is simply the file's, reached another way.
    if (!m_modified) {
        load();
        return;
    }
    setNotice(movedNotice());
}

void SkillDocument::skillsRemoved(const QList<Skill *> &skills)
{
    if (m_skill && skills.contains(m_skill))
        releaseSkill();
}

bool SkillDocument::isInStore(const Skill *skill)
{
    const ModelContext *context = skill->context();
    return !context || context->skillByResolvedPath(skill->resolvedPath()) == skill;
}

void SkillDocument::releaseSkill()
{
    if (m_orphaned || (!m_skill && m_path.isEmpty()))
        return;
    if (m_skill)
        m_name = m_skill->name();
    follow(nullptr);
    if (!m_modified) {
        load(); // nothing unsaved: nothing left to show
        Q_EMIT targetChanged();
        return;
    }
    m_orphaned = true;
    setNotice(
        u"Quire no longer lists this skill: its file was moved or deleted. Your edits are kept; saving writes them to %1."_s
            .arg(label(m_path)));
    Q_EMIT targetChanged();
}

Result<bool> SkillDocument::save(const QString &editorText)
{
    if (!hasTarget())
        return false;
    QString target = m_path;
    // The user decided (or was told) where the text goes, so a file that is
    // not there is no conflict: it is written again.
    bool placeChosen = m_orphaned;
    if (m_skill && m_skill->filePath() != m_path) {
        const QString question
            = u"While you edited, the skill's file became %1. Save your text there, or to %2 "
              u"where it came from?"_s.arg(label(m_skill->filePath()), label(m_path));
        switch (ask(Question::FileMoved, question)) {
        case Answer::Proceed:
            target = m_skill->filePath();
            break;
        case Answer::Alternative:
            break;
        case Answer::Cancel:
            return false;
        }
        placeChosen = true;
    }

    const SkillFile::Snapshot now = SkillFile::snapshot(target);
    if (!m_loadedFromFile && m_disk.exists && now == m_disk) {
        const QString question
            = u"Quire could not read %1 when it opened it, so the editor holds only the stored "
              u"body. "
              "Replacing the file loses its frontmatter and anything Quire could not read."_s.arg(
                  label(target));
        if (ask(Question::ReplaceUnreadable, question) != Answer::Proceed)
            return false;
    } else if (now != m_disk && (now.exists || !placeChosen)) {
        const QString question
            = u"%1 changed on disk since it was opened here."_s.arg(label(target));
        switch (ask(Question::ChangedOnDisk, question)) {
        case Answer::Proceed:
            break;
        case Answer::Alternative:
            if (m_skill) {
                load();
            } else if (const SkillFile::Loaded file = SkillFile::load(m_path); file.text) {
                adopt(file);
                setModified(false);
                Q_EMIT loaded();
            }
            return false;
        case Answer::Cancel:
            return false;
        }
    }
    if (placeChosen)
        QDir().mkpath(QFileInfo(target).absolutePath()); // where it was may be gone too

    const QString fileText = toFile(editorText);
    Result<SkillFile::Snapshot> written = SkillFile::save(target, fileText, m_byteOrderMark);
    if (!written)
        return written.error();
    m_path = target;
    m_disk = written.value();
    m_loadedFromFile = true;
    m_baseline = editorText;
    watch();
    setModified(false);
    if (m_orphaned)
        setNotice(
            u"Quire no longer lists this skill. Your text is saved to %1."_s.arg(label(m_path)));
    else if (m_skill->filePath() != m_path)
        setNotice(movedNotice());
    else
        setNotice({});
    // Written somewhere that is not the record's file: the record stays as it is.
    if (!m_skill || !sameFile(target, m_skill->filePath()))
        return true;

    const ParsedSkill parsed = FrontmatterParser::parseFrontmatter(fileText);
    if (!parsed.name.isEmpty())
        m_skill->setName(parsed.name);
    m_skill->setSkillDescription(parsed.description);
    m_skill->setContent(parsed.content);
    m_skill->setFileText(fileText);
    m_skill->setVersionSource(VersionSource::EditedInQuire);
    m_skill->setFrontmatter(parsed.frontmatter);
    // The size and date the window shows are the file's as just written, not
    // the last scan's.
    if (const QFileInfo onDisk(target); onDisk.exists()) {
        m_skill->setFileSize(onDisk.size());
        m_skill->setFileModifiedDate(onDisk.lastModified().toUTC());
    }
    m_name = m_skill->name();
    // The record goes to the store now, so a crash cannot leave it behind the file.
    if (ModelContext *context = m_skill->context())
        StoreSaver::of(context)->save();
    return true;
}

void SkillDocument::checkDisk()
{
    if (!hasTarget() || m_path.isEmpty())
        return;
    const SkillFile::Loaded file = SkillFile::load(m_path);
    if (file.snapshot == m_disk)
        return;
    if (m_modified) {
        if (!m_skill || m_skill->filePath() == m_path)
            setNotice(file.snapshot.exists
                    ? u"%1 changed on disk. Your edits are kept; saving asks before overwriting it."_s
                          .arg(label(m_path))
                    : u"%1 was deleted on disk. Your edits are kept; saving asks before writing it again."_s
                          .arg(label(m_path)));
        return;
    }
    // A file that went, or that cannot be read now, leaves the text shown as
    // it is; saving asks before it writes.
    if (!file.text) {
        setNotice(file.snapshot.exists
                ? u"%1 changed on disk and can no longer be read: %2"_s.arg(
                    label(m_path), file.text.error().message)
                : u"%1 was deleted on disk; saving asks before writing it again."_s.arg(
                    label(m_path)));
        return;
    }
    adopt(file);
    setModified(false);
    Q_EMIT loaded();
}

void SkillDocument::watch()
{
    const QStringList watched = m_watcher.files() + m_watcher.directories();
    if (!watched.isEmpty())
        m_watcher.removePaths(watched);
    if (m_path.isEmpty())
        return;
    // The folder too: a file replaced by rename, or deleted and written
    // again, ends the watch on the file.
    const QFileInfo file(m_path);
    QStringList paths { file.absolutePath() };
    if (file.exists())
        paths.append(file.absoluteFilePath());
    (void)m_watcher.addPaths(paths); // a folder that is gone is simply not watched
}

void SkillDocument::diskEvent()
{
    m_settle.start();
}

int SkillDocument::followEdit(const QString &before, const QString &after, int position)
{
    const qsizetype shorter = std::min(before.size(), after.size());
    qsizetype prefix = 0;
    while (prefix < shorter && before.at(prefix) == after.at(prefix))
        ++prefix;
    qsizetype suffix = 0;
    while (suffix < shorter - prefix
        && before.at(before.size() - 1 - suffix) == after.at(after.size() - 1 - suffix))
        ++suffix;
    const qsizetype at = std::clamp(qsizetype(position), qsizetype(0), before.size());
    if (at <= prefix)
        return int(at);
    if (at >= before.size() - suffix)
        return int(at + after.size() - before.size());
    // Inside the replaced stretch: stay put, within what replaced it.
    return int(std::min(at, after.size() - suffix));
}

QString SkillDocument::toFile(const QString &editorText) const
{
    return LineEndings::forFile(editorText, m_lineEndings, m_crStandIn);
}

void SkillDocument::setModified(bool modified)
{
    if (m_modified == modified)
        return;
    m_modified = modified;
    Q_EMIT modifiedChanged(modified);
}

void SkillDocument::setNotice(const QString &text)
{
    if (m_notice == text)
        return;
    m_notice = text;
    Q_EMIT noticeChanged();
}

SkillDocument::Answer SkillDocument::ask(Question question, const QString &text) const
{
    // Nobody to ask: leave the file alone.
    return m_ask ? m_ask(question, text) : Answer::Cancel;
}
