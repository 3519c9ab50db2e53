#pragma once

#include "saveactionsource.h"
#include "skill.h"
#include "skilldocument.h"

#include <QPointer>
#include <QTimer>
#include <QWidget>

#include <functional>

class MarkdownHighlighter;
class EditorFindBar;
class QLabel;
class QPlainTextEdit;

// The whole text of a skill's file, frontmatter included, to read and change.
// It says when the text starts or stops differing from the file (the detail
// header shows "Modified"), saves with the window's Save command, and never
// drops what the user typed without asking.
class SkillEditorView final : public QWidget, public SaveActionSource
{
    Q_OBJECT

public:
    // The questions the editor may have to ask before it writes or lets go.
    using Question = SkillDocument::Question;
    using Answer = SkillDocument::Answer;
    using Asker = SkillDocument::Asker;
    using Alerter = std::function<void(const QString &title, const QString &message)>;

    explicit SkillEditorView(Skill *skill, QWidget *parent = nullptr);
    ~SkillEditorView() override;

    Skill *skill() const { return m_document->skill(); }
    SkillDocument *document() const { return m_document; }
    // Another skill: its file replaces the text. Ask confirmLeave() first.
    void setSkill(Skill *skill);

    void loadContent();
    // False when nothing was written: failed, or the user cancelled.
    bool saveContent();
    // Asks to save edits that are not saved; false means stay.
    bool confirmLeave();

    QString editorContent() const; // the text as it would be written
    QString fullFileContent() const; // the baseline: as last loaded or saved
    bool hasUnsavedChanges() const { return m_document->isModified(); }
    bool showingSaveError() const { return m_showingSaveError; }
    QString saveErrorMessage() const { return m_saveErrorMessage; }
    QString noticeText() const;

    QPlainTextEdit *textEdit() const { return m_text; }
    EditorFindBar *findBar() const { return m_findBar; }
    // A long file is still being shown, a slice per event-loop turn.
    bool isLoading() const { return !m_pending.isEmpty(); }
    void finishLoading();
    void showFind();

    std::optional<SaveAction> saveAction() const override;

    // Dialogs go through these, so tests can answer them.
    void setAsker(Asker asker) { m_ask = std::move(asker); }
    void setAlerter(Alerter alerter) { m_alert = std::move(alerter); }

Q_SIGNALS:
    void unsavedChangesChanged(bool hasUnsavedChanges);
    // Whether there is anything to save to changed: see saveAction().
    void saveAvailabilityChanged();

private:
    void textChanged();
    void documentLoaded();
    void modifiedChanged(bool modified);
    void showNotice();
    void replaceText(const QString &text);
    void appendSlice();
    void stopLoading();
    void restoreCaret();
    QString documentText() const;
    Answer ask(Question question, const QString &text);

    SkillDocument *m_document;
    QPlainTextEdit *m_text;
    MarkdownHighlighter *m_highlighter;
    EditorFindBar *m_findBar;
    QLabel *m_notice;

    bool m_showingSaveError = false;
    QString m_saveErrorMessage;
    bool m_replacing = false;
    QString m_pending; // the part of a long file not shown yet
    QTimer m_loadTimer;
    int m_restoreAnchor = 0;
    int m_restorePosition = 0;
    int m_restoreScroll = 0;

    Asker m_ask;
    Alerter m_alert;
};
