#include "skilldocument.h"

#include "frontmatterparser.h"
#include "modelcontext.h"

#include <QDir>

using namespace Qt::StringLiterals;

SkillDocument::SkillDocument(QObject *parent) : QObject(parent) { }

void SkillDocument::setSkill(Skill *skill)
{
    if (m_skill)
        disconnect(m_skill, nullptr, this, nullptr);
    m_skill = skill;
    if (m_skill)
        connect(m_skill, &Skill::filePathChanged, this, &SkillDocument::load);
    load();
}

QString SkillDocument::fileLabel() const
{
    return m_skill ? QDir::toNativeSeparators(m_skill->filePath()) : QString();
}

void SkillDocument::load()
{
    if (!m_skill) {
        m_baseline.clear();
        m_lineEndings = LineEndings::Style::Lf;
        m_crStandIn.reset();
        m_disk = {};
        m_loadedFromFile = false;
        setNotice({});
        setModified(false);
        Q_EMIT loaded();
        return;
    }
    SkillFile::Loaded file = SkillFile::load(m_skill->filePath());
    m_disk = file.snapshot;
    QString notice;
    if (file.text) {
        const LineEndings::ForEditor form = LineEndings::forEditor(file.text.value());
        m_lineEndings = form.style;
        m_crStandIn = form.crStandIn;
        m_baseline = form.text;
        m_loadedFromFile = true;
        if (!form.exact)
            notice
                = u"This file holds characters the editor turns into line breaks; saving writes them as line breaks."_s;
        else if (m_crStandIn)
            notice
                = u"Stray carriage returns in this file are shown as ␍ and saved as they were."_s;
    } else {
        // The stored body lacks the frontmatter block, so the user must know
        // that this is not the file.
        const LineEndings::ForEditor form = LineEndings::forEditor(m_skill->content());
        m_lineEndings = form.style;
        m_crStandIn = form.crStandIn;
        m_baseline = form.text;
        m_loadedFromFile = false;
        notice = m_disk.exists
            ? u"%1 Showing the body Quire stored, without the frontmatter; saving would replace the file."_s
                  .arg(file.text.error().message)
            : u"The file is missing. Showing the body Quire stored; saving creates the file again."_s;
    }
    setNotice(notice);
    setModified(false);
    Q_EMIT loaded();
}

Result<bool> SkillDocument::save(const QString &editorText)
{
    if (!m_skill)
        return false;
    const QString path = m_skill->filePath();
    if (!m_loadedFromFile && m_disk.exists) {
        const QString question
            = u"Quire could not read %1 when it opened it, so the editor holds only the stored "
              u"body. "
              "Replacing the file loses its frontmatter and anything Quire could not read."_s.arg(
                  fileLabel());
        if (ask(Question::ReplaceUnreadable, question) != Answer::Proceed)
            return false;
    } else if (SkillFile::snapshot(path) != m_disk) {
        const QString question = u"%1 changed on disk since it was opened here."_s.arg(fileLabel());
        switch (ask(Question::ChangedOnDisk, question)) {
        case Answer::Proceed:
            break;
        case Answer::Alternative:
            load();
            return false;
        case Answer::Cancel:
            return false;
        }
    }

    const QString fileText = toFile(editorText);
    Result<SkillFile::Snapshot> written = SkillFile::save(path, fileText);
    if (!written)
        return written.error();
    m_disk = written.value();
    m_loadedFromFile = true;
    m_baseline = editorText;
    setNotice({});
    setModified(false);

    const ParsedSkill parsed = FrontmatterParser::parseFrontmatter(fileText);
    if (!parsed.name.isEmpty())
        m_skill->setName(parsed.name);
    m_skill->setSkillDescription(parsed.description);
    m_skill->setContent(parsed.content);
    m_skill->setFrontmatter(parsed.frontmatter);
    // The record goes to the store now, so a crash cannot leave it behind the file.
    if (ModelContext *context = m_skill->context())
        (void)context->save();
    return true;
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
