#pragma once

#include "lineendings.h"
#include "result.h"
#include "skill.h"
#include "skillfile.h"

#include <QObject>
#include <QPointer>
#include <QString>

#include <functional>
#include <optional>

// The file behind the editor, without the editor: the text as last loaded or
// saved (the baseline the editor's text is compared with), how the file's
// lines end, and writing the text back without overwriting somebody else's
// change unasked. The text being edited stays in the editor; it is handed in
// when it is written.
class SkillDocument final : public QObject
{
    Q_OBJECT
    Q_DISABLE_COPY_MOVE(SkillDocument)

public:
    // The questions the document may have to ask before it writes.
    enum class Question {
        ReplaceUnreadable, // the file exists but could not be read: replace it?
        ChangedOnDisk, // somebody else changed the file: overwrite, reload or cancel
        LeaveUnsaved, // the edits are not saved: save, discard or cancel
    };
    enum class Answer { Proceed, Alternative, Cancel };
    using Asker = std::function<Answer(Question, const QString &text)>;

    explicit SkillDocument(QObject *parent = nullptr);

    Skill *skill() const { return m_skill; }
    // Another skill: its file becomes the baseline.
    void setSkill(Skill *skill);
    void setAsker(Asker asker) { m_ask = std::move(asker); }

    // Reads the skill's file (or, when it cannot be read, the stored body)
    // into the baseline and emits loaded().
    void load();
    // Writes editorText (in the editor's form) to the skill's file and brings
    // the record in line. True when written, false when the user cancelled or
    // chose to reload instead; an error when the write failed.
    Result<bool> save(const QString &editorText);

    // In the editor's form: lines split by "\n" only.
    QString baseline() const { return m_baseline; }
    // The editor's form of a text turned back into the file's.
    QString toFile(const QString &editorText) const;
    LineEndings::Style lineEndings() const { return m_lineEndings; }
    std::optional<QChar> crStandIn() const { return m_crStandIn; }
    // What the user should know about the text shown; empty when nothing.
    QString notice() const { return m_notice; }

    bool isModified() const { return m_modified; }
    void setModified(bool modified);

Q_SIGNALS:
    // The baseline was replaced; the editor shows it.
    void loaded();
    void modifiedChanged(bool modified);
    void noticeChanged();

private:
    void setNotice(const QString &text);
    QString fileLabel() const;
    Answer ask(Question question, const QString &text) const;

    QPointer<Skill> m_skill;
    QString m_baseline;
    LineEndings::Style m_lineEndings = LineEndings::Style::Lf;
    std::optional<QChar> m_crStandIn;
    SkillFile::Snapshot m_disk; // the bytes the baseline came from
    bool m_loadedFromFile = false;
    bool m_modified = false;
    QString m_notice;
    Asker m_ask;
};
