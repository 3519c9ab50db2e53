#pragma once

#include "lineendings.h"
#include "result.h"
#include "skill.h"
#include "skillfile.h"

#include <QFileSystemWatcher>
#include <QObject>
#include <QPointer>
#include <QString>
#include <QTimer>

#include <functional>
#include <optional>

class ModelContext;

// The file behind the editor, without the editor: the text as last loaded or
// saved (the baseline the editor's text is compared with), how the file's
// lines end, and writing the text back without overwriting somebody else's
// change unasked. The text being edited stays in the editor; it is handed in
// when it is written.
//
// Unsaved edits are never dropped behind the user's back: when the record's
// file moves to another route, or a rescan removes the record, the text stays
// and saving offers a place for it. Without unsaved edits, a change another
// program makes to the file is loaded at once.
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
        FileMoved, // the record's file is now elsewhere: save there, where it was, or cancel
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
    // Writes editorText (in the editor's form) and brings the record in line.
    // True when written, false when the user cancelled or chose to reload
    // instead; an error when the write failed.
    Result<bool> save(const QString &editorText);
    // Something to save to: a skill, or the file of a removed one whose
    // unsaved text is still held.
    bool hasTarget() const { return m_skill || m_orphaned; }
    // The record went away while its text had unsaved edits.
    bool isOrphaned() const { return m_orphaned; }
    // The file the baseline came from, or was last written to.
    QString path() const { return m_path; }
    QString name() const { return m_skill ? m_skill->name() : m_name; }

    // Looks at the file again. Without unsaved edits a change made elsewhere
    // is loaded at once; with them, the notice says so and saving asks.
    void checkDisk();
    // The record left the store. Unsaved text is kept, with the file it came
    // from as where it goes; without unsaved text nothing is left to show.
    void releaseSkill();
    // True while the record is in its store (or has none).
    static bool isInStore(const Skill *skill);

    // In the editor's form: lines split by "\n" only.
    QString baseline() const { return m_baseline; }
    // The editor's form of a text turned back into the file's.
    QString toFile(const QString &editorText) const;
    LineEndings::Style lineEndings() const { return m_lineEndings; }
    std::optional<QChar> crStandIn() const { return m_crStandIn; }
    bool hasByteOrderMark() const { return m_byteOrderMark; }
    // What the user should know about the text shown; empty when nothing.
    QString notice() const { return m_notice; }

    bool isModified() const { return m_modified; }
    void setModified(bool modified);

    // Where a position in before lies in after, when after is before with
    // one stretch replaced: positions outside the stretch keep their text.
    static int followEdit(const QString &before, const QString &after, int position);

Q_SIGNALS:
    // The baseline was replaced; the editor shows it.
    void loaded();
    void modifiedChanged(bool modified);
    void noticeChanged();
    // hasTarget() or isOrphaned() changed.
    void targetChanged();

private:
    void adopt(const SkillFile::Loaded &file);
    void follow(Skill *skill);
    void filePathChanged();
    void skillsRemoved(const QList<Skill *> &skills);
    void watch();
    void diskEvent();
    void setNotice(const QString &text);
    QString movedNotice() const;
    Answer ask(Question question, const QString &text) const;
    static QString label(const QString &path);

    QPointer<Skill> m_skill;
    QPointer<ModelContext> m_context; // the store the skill lives in
    QString m_path;
    QString m_name; // the skill's, kept for when the record is gone
    QString m_baseline;
    LineEndings::Style m_lineEndings = LineEndings::Style::Lf;
    std::optional<QChar> m_crStandIn;
    bool m_byteOrderMark = false;
    SkillFile::Snapshot m_disk; // the bytes the baseline came from
    bool m_loadedFromFile = false;
    bool m_modified = false;
    bool m_orphaned = false;
    QString m_notice;
    Asker m_ask;
    QFileSystemWatcher m_watcher;
    QTimer m_settle; // a save by rename is several events; look once they settle
};
