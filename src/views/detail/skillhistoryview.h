#pragma once

#include "skillhistory.h"

#include <QList>
#include <QPointer>
#include <QWidget>

class ModelContext;
class Skill;

class QLabel;
class QListWidget;
class QPushButton;
class QTextEdit;

// The "History" presentation of a skill: its file's versions, newest first,
// with where each came from and how old it is; the selected one's difference
// to the current text, line by line with the changed words marked; and
// "Restore this version". Also shows the history of a file that is gone.
class SkillHistoryView final : public QWidget
{
    Q_OBJECT

public:
    SkillHistoryView(Skill *skill, ModelContext *context, QWidget *parent = nullptr);

    void setSkill(Skill *skill);
    // A file with no record any more, by its resolved path.
    void setRemovedFile(const QString &path);
    QString path() const { return m_path; }

    // Reads the versions again, keeping the selection where it can.
    void reload();
    QListWidget *versionList() const { return m_list; }
    QTextEdit *diffView() const { return m_diff; }
    QPushButton *restoreButton() const { return m_restore; }
    // Writes the selected version back; asks before overwriting a change
    // nobody recorded. False when nothing was written.
    bool restoreSelected();

Q_SIGNALS:
    // A version was written back to its file.
    void restored(const QString &path);

private:
    void showSelected();
    QString currentText() const;

    QPointer<Skill> m_skill;
    QPointer<ModelContext> m_context;
    QString m_path;
    QList<SkillVersion> m_versions;
    QLabel *m_heading;
    QListWidget *m_list;
    QTextEdit *m_diff;
    QPushButton *m_restore;
};
