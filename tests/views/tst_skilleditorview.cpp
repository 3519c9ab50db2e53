#include "appstate.h"
#include "contentview.h"
#include "detailpane.h"
#include "editorfindbar.h"
#include "fakehome.h"
#include "memorystore.h"
#include "settingsstore.h"
#include "skill.h"
#include "skilldetailview.h"
#include "skilleditorview.h"

#include <QAction>
#include <QDir>
#include <QFile>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QSaveFile>
#include <QTest>

using namespace Qt::StringLiterals;
using Answer = SkillEditorView::Answer;
using Question = SkillEditorView::Question;

class SkillEditorViewTest final : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void init();
    void cleanup();
    void savesThroughSaveAction();
    void modifiedFollowsText();
    void failedSaveKeepsEdits();
    void reloadAnswerShowsTheirs();
    void unreadableFileAsks_data();
    void unreadableFileAsks();
    void leavingAsks_data();
    void leavingAsks();
    void findMovesSelection();
    void otherWindowSwitchingToCardAsks();
    void longFileArrivesInSlices();
    void removedSkillIsNeverSelectedAgain_data();
    void removedSkillIsNeverSelectedAgain();
    void reloadKeepsCaretWithItsText();

private:
    Skill *addSkill(const QString &name, const QByteArray &bytes);
    QString file(const QString &name) const { return m_home->path(name + u"/SKILL.md"_s); }
    static QByteArray bytes(const QString &path) { return FakeHome::read(path); }
    static void write(const QString &path, const QByteArray &bytes)
    {
        QFile out(path);
        QVERIFY(out.open(QIODevice::WriteOnly));
        out.write(bytes);
    }
    static void type(SkillEditorView &editor, const QString &text, int at = 0)
    {
        QTextCursor cursor(editor.textEdit()->document());
        cursor.setPosition(at);
        cursor.insertText(text);
    }

    std::unique_ptr<FakeHome> m_home;
    std::unique_ptr<ModelContext> m_store;
    QList<Question> m_asked;
    QStringList m_alerts;
};

void SkillEditorViewTest::init()
{
    m_home = std::make_unique<FakeHome>(FakeHome::Store::Memory);
    m_store = openMemoryStore();
    QVERIFY(m_store);
    m_asked.clear();
    m_alerts.clear();
}

void SkillEditorViewTest::cleanup()
{
    m_store.reset();
}

Skill *SkillEditorViewTest::addSkill(const QString &name, const QByteArray &content)
{
    m_home->write(name + u"/SKILL.md"_s, content);
    Skill::Seed seed;
    seed.filePath = file(name);
    seed.isDirectory = true;
    seed.name = name;
    seed.description = u"old description"_s;
    seed.content = u"stored body"_s;
    seed.fileSize = content.size();
    seed.fileModifiedDate = QDateTime(QDate(2026, 1, 2), QTime(3, 4));
    seed.tool = ToolSource::Claude;
    Skill *skill = Skill::make(seed);
    if (!m_store->insert(skill) || !m_store->save())
        return nullptr;
    return skill;
}

// Line endings and the byte order mark are the document's; here only that
// the widget never shows a carriage return and the window's Save command writes.
void SkillEditorViewTest::savesThroughSaveAction()
{
    const QByteArray before("\xEF\xBB\xBF---\r\nname: a\r\n---\r\nbody\r\n");
    Skill *skill = addSkill(u"a"_s, before);
    SkillEditorView editor(skill);
    QVERIFY(!editor.textEdit()->toPlainText().contains(u'\r'));
    QCOMPARE(editor.editorContent(), QString::fromUtf8(before).remove(QChar::ByteOrderMark));
    type(editor, u"Z"_s);
    const std::optional<SaveAction> save = editor.saveAction();
    QVERIFY(save);
    save->action();
    QCOMPARE(bytes(file(u"a"_s)), QByteArray("\xEF\xBB\xBFZ---\r\nname: a\r\n---\r\nbody\r\n"));
    QVERIFY(!editor.hasUnsavedChanges());
}

void SkillEditorViewTest::modifiedFollowsText()
{
    SkillEditorView editor(addSkill(u"a"_s, "abc"));
    QVERIFY(!editor.hasUnsavedChanges());
    type(editor, u"x"_s, 1);
    QVERIFY(editor.hasUnsavedChanges());
    QCOMPARE(editor.editorContent(), u"axbc"_s);
    QTextCursor cursor(editor.textEdit()->document());
    cursor.setPosition(1);
    cursor.deleteChar();
    QVERIFY(!editor.hasUnsavedChanges());
    // Same length, other text.
    cursor.setPosition(0);
    cursor.setPosition(1, QTextCursor::KeepAnchor);
    cursor.insertText(u"z"_s);
    QVERIFY(editor.hasUnsavedChanges());
}

void SkillEditorViewTest::failedSaveKeepsEdits()
{
    Skill *skill = addSkill(u"a"_s, "one");
    SkillEditorView editor(skill);
    editor.setAsker([this](Question q, const QString &) {
        m_asked << q;
        return Answer::Proceed;
    });
    editor.setAlerter([this](const QString &title, const QString &message) {
        m_alerts << title + u": "_s + message;
    });
    type(editor, u"two "_s);
    // The skill's folder goes away: the temporary file has nowhere to go.
    QVERIFY(QDir(m_home->path(u"a"_s)).removeRecursively());
    QVERIFY(!editor.saveContent());
    QCOMPARE(m_alerts.size(), 1);
    QVERIFY(m_alerts.constFirst().startsWith(u"Save Error: Could not save"_s));
    QVERIFY(editor.hasUnsavedChanges());
    QCOMPARE(editor.editorContent(), u"two one"_s);
    QCOMPARE(m_asked, QList<Question> { Question::ChangedOnDisk });

    QVERIFY(QDir(m_home->path()).mkpath(u"a"_s));
    QVERIFY(editor.saveContent());
    QCOMPARE(bytes(file(u"a"_s)), QByteArray("two one"));
    QVERIFY(!editor.hasUnsavedChanges());
}

// The answers themselves are the document's; the widget shows what was reloaded.
void SkillEditorViewTest::reloadAnswerShowsTheirs()
{
    SkillEditorView editor(addSkill(u"a"_s, "base"));
    editor.setAsker([&](Question q, const QString &) {
        m_asked << q;
        return Answer::Alternative;
    });
    type(editor, u"mine "_s);
    write(file(u"a"_s), "theirs");
    editor.saveContent();
    QCOMPARE(m_asked, QList<Question> { Question::ChangedOnDisk });
    QCOMPARE(bytes(file(u"a"_s)), QByteArray("theirs"));
    QCOMPARE(editor.editorContent(), u"theirs"_s);
    QVERIFY(!editor.hasUnsavedChanges());
}

void SkillEditorViewTest::unreadableFileAsks_data()
{
    QTest::addColumn<Answer>("answer");
    QTest::addColumn<QByteArray>("onDisk");
    QTest::newRow("replace") << Answer::Proceed << QByteArray("stored body");
    QTest::newRow("cancel") << Answer::Cancel << QByteArray("---\nname: \xff\n---\n");
}

void SkillEditorViewTest::unreadableFileAsks()
{
    QFETCH(Answer, answer);
    QFETCH(QByteArray, onDisk);
    SkillEditorView editor(addSkill(u"a"_s, "---\nname: \xff\n---\n"));
    editor.setAsker([&](Question q, const QString &) {
        m_asked << q;
        return answer;
    });
    QCOMPARE(editor.editorContent(), u"stored body"_s);
    QVERIFY(editor.noticeText().contains(u"not valid UTF-8"_s));
    editor.saveContent();
    QCOMPARE(m_asked, QList<Question> { Question::ReplaceUnreadable });
    QCOMPARE(bytes(file(u"a"_s)), onDisk);
}

void SkillEditorViewTest::leavingAsks_data()
{
    QTest::addColumn<Answer>("answer");
    QTest::addColumn<bool>("moved");
    QTest::addColumn<QByteArray>("firstFile");
    QTest::newRow("save") << Answer::Proceed << true << QByteArray("edited a");
    QTest::newRow("discard") << Answer::Alternative << true << QByteArray("a");
    QTest::newRow("cancel") << Answer::Cancel << false << QByteArray("a");
}

void SkillEditorViewTest::leavingAsks()
{
    QFETCH(Answer, answer);
    QFETCH(bool, moved);
    QFETCH(QByteArray, firstFile);
    Skill *first = addSkill(u"a"_s, "a");
    Skill *second = addSkill(u"b"_s, "b");
    AppState state;
    state.setDetailViewMode(DetailViewMode::Editor);
    state.setSelectedSkill(first);
    DetailPane pane(&state, m_store.get());
    SkillEditorView *editor = pane.detailView()->editor();
    QVERIFY(editor);
    editor->setAsker([&](Question q, const QString &) {
        m_asked << q;
        return answer;
    });
    type(*editor, u"edited "_s);

    state.setSelectedSkill(second);
    QCOMPARE(m_asked, QList<Question> { Question::LeaveUnsaved });
    QCOMPARE(state.selectedSkill(), moved ? second : first);
    QCOMPARE(bytes(file(u"a"_s)), firstFile);
    QCOMPARE(editor->editorContent(), moved ? u"b"_s : u"edited a"_s);

    // The card switch asks the same way while edits are pending.
    if (!moved) {
        QVERIFY(!pane.detailView()->requestMode(DetailViewMode::Card, false));
        QCOMPARE(state.detailViewMode(), DetailViewMode::Editor);
        QVERIFY(!pane.confirmLeave()); // closing the window stays too
    }
}

void SkillEditorViewTest::findMovesSelection()
{
    SkillEditorView editor(addSkill(u"a"_s, "alpha beta alpha"));
    editor.showFind();
    QVERIFY(editor.findBar()->isVisibleTo(&editor));
    QTest::keyClicks(editor.findBar()->field(), u"alpha"_s);
    QCOMPARE(editor.textEdit()->textCursor().selectionStart(), 0);
    QTest::keyClick(editor.findBar()->field(), Qt::Key_Return);
    QCOMPARE(editor.textEdit()->textCursor().selectionStart(), 11);
    QTest::keyClick(editor.findBar()->field(), Qt::Key_Return); // wraps
    QCOMPARE(editor.textEdit()->textCursor().selectionStart(), 0);
    QTest::keyClicks(editor.findBar()->field(), u"x"_s);
    QCOMPARE(editor.findBar()->statusText(), u"Not found"_s);
    QTest::keyClick(editor.findBar()->field(), Qt::Key_Escape);
    QVERIFY(!editor.findBar()->isVisibleTo(&editor));
}

// Windows share the card/editor mode: a switch made in one must not throw
// away another's unsaved edits.
void SkillEditorViewTest::otherWindowSwitchingToCardAsks()
{
    Skill *skill = addSkill(u"a"_s, "a");
    AppState state;
    state.setDetailViewMode(DetailViewMode::Editor);
    SkillDetailView first(skill, &state, m_store.get());
    SkillDetailView second(skill, &state, m_store.get());
    second.editor()->setAsker([&](Question q, const QString &) {
        m_asked << q;
        return Answer::Cancel;
    });
    type(*second.editor(), u"kept "_s);

    QVERIFY(first.requestMode(DetailViewMode::Card, false)); // nothing unsaved in the first
    QCOMPARE(m_asked, QList<Question> { Question::LeaveUnsaved });
    QCOMPARE(state.detailViewMode(), DetailViewMode::Editor);
    QVERIFY(second.editor());
    QCOMPARE(second.editor()->editorContent(), u"kept a"_s);
    QVERIFY(first.editor());
}

void SkillEditorViewTest::longFileArrivesInSlices()
{
    QByteArray text = "---\r\nname: long\r\n---\r\n";
    for (int i = 0; i < 20000; ++i)
        text += "line " + QByteArray::number(i) + " with **bold** and `code`\r\n";
    SkillEditorView editor(addSkill(u"a"_s, text));
    QVERIFY(editor.isLoading());
    QVERIFY(editor.textEdit()->isReadOnly());
    // Whatever is not shown yet still counts: content, saving, the modified mark.
    QCOMPARE(editor.editorContent().toUtf8(), text);
    QVERIFY(!editor.hasUnsavedChanges());
    QTRY_VERIFY(!editor.isLoading());
    QVERIFY(!editor.textEdit()->isReadOnly());
    QCOMPARE(editor.textEdit()->document()->blockCount(), 20004);
    QVERIFY(!editor.textEdit()->document()->isUndoAvailable());

    editor.loadContent(); // saving in the middle of a load writes the whole file
    type(editor, u"x"_s, 0);
    QVERIFY(editor.isLoading());
    QVERIFY(editor.saveContent());
    QCOMPARE(bytes(file(u"a"_s)), "x" + text);
}

void SkillEditorViewTest::removedSkillIsNeverSelectedAgain_data()
{
    QTest::addColumn<bool>("edited");
    QTest::newRow("unsaved edits stay") << true;
    QTest::newRow("nothing unsaved: nothing shown") << false;
}

void SkillEditorViewTest::removedSkillIsNeverSelectedAgain()
{
    QFETCH(bool, edited);
    Skill *removed = addSkill(u"a"_s, "a text");
    Skill *other = addSkill(u"b"_s, "b text");
    const QString path = removed->filePath();
    AppState state;
    state.setDetailViewMode(DetailViewMode::Editor);
    state.setSelectedSkill(removed);
    SettingsStore settings(m_home->settingsPath());
    ContentView window(&state, m_store.get(), &settings, nullptr);
    window.show();
    QVERIFY(QTest::qWaitForWindowActive(&window));
    SkillEditorView *editor = window.detailPane()->detailView()->editor();
    QVERIFY(editor);
    QList<Question> asked;
    editor->setAsker([&](Question question, const QString &) {
        asked << question;
        return Answer::Cancel;
    });
    editor->textEdit()->setFocus();
    QTRY_VERIFY(window.saveAction()->isEnabled());
    if (edited)
        QTest::keyClicks(editor->textEdit(), u"my "_s);

    // A prune: the file went, the record goes with the next save.
    QVERIFY(QFile::remove(path));
    m_store->remove(removed);
    QVERIFY(m_store->save());
    QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
    QCOMPARE(state.selectedSkill(), nullptr);
    QVERIFY(asked.isEmpty());

    if (!edited) {
        QVERIFY(window.detailPane()->showsPlaceholder());
        QTRY_VERIFY(!window.saveAction()->isEnabled());
        return;
    }
    QVERIFY(!window.detailPane()->showsPlaceholder());
    QCOMPARE(editor->editorContent(), u"my a text"_s);
    QVERIFY(editor->hasUnsavedChanges());
    QVERIFY(!editor->noticeText().isEmpty());

    // Staying with the text never brings the removed record back.
    state.setSelectedSkill(other);
    QCOMPARE(asked, QList<Question> { Question::LeaveUnsaved });
    QCOMPARE(state.selectedSkill(), nullptr);

    // Save still does something: the text goes where it came from.
    editor->textEdit()->setFocus();
    QTRY_VERIFY(window.saveAction()->isEnabled());
    window.saveAction()->trigger();
    QFile saved(path);
    QVERIFY(saved.open(QIODevice::ReadOnly));
    QCOMPARE(saved.readAll(), QByteArray("my a text"));
    QVERIFY(!editor->hasUnsavedChanges());

    // Nothing unsaved now: the next skill is shown without a question.
    state.setSelectedSkill(other);
    QCOMPARE(state.selectedSkill(), other);
    QCOMPARE(asked.size(), 1);
    QCOMPARE(editor->editorContent(), u"b text"_s);
}

void SkillEditorViewTest::reloadKeepsCaretWithItsText()
{
    Skill *skill = addSkill(u"a"_s, "one\ntwo\n");
    SkillEditorView editor(skill);
    QTextCursor cursor = editor.textEdit()->textCursor();
    cursor.setPosition(5); // after "t" of "two"
    editor.textEdit()->setTextCursor(cursor);

    QSaveFile out(skill->filePath()); // another program, replacing by rename
    QVERIFY(out.open(QIODevice::WriteOnly));
    out.write("zero\none\ntwo\n");
    QVERIFY(out.commit());
    QTRY_COMPARE(editor.editorContent(), u"zero\none\ntwo\n"_s);
    QVERIFY(!editor.hasUnsavedChanges());
    QCOMPARE(editor.textEdit()->textCursor().position(), 10);
}

QTEST_MAIN(SkillEditorViewTest)
#include "tst_skilleditorview.moc"
