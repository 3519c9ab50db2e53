#include "appstate.h"
#include "contentview.h"
#include "detailpane.h"
#include "fakehome.h"
#include "memorystore.h"
#include "modelcontext.h"
#include "settingsstore.h"
#include "skill.h"
#include "skilldetailview.h"
#include "skilldocument.h"
#include "skilleditorview.h"

#include <QAction>
#include <QDir>
#include <QFile>
#include <QPlainTextEdit>
#include <QSaveFile>
#include <QTest>

using namespace Qt::StringLiterals;
using Answer = SkillEditorView::Answer;
using Question = SkillEditorView::Question;

// The editor in its window when the store or the disk changes under it.
class EditorKeepsTextTest final : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void init();
    void cleanup();
    void removedSkillIsNeverSelectedAgain_data();
    void removedSkillIsNeverSelectedAgain();
    void reloadKeepsCaretWithItsText();

private:
    Skill *addSkill(const QString &name, const QByteArray &bytes);

    std::unique_ptr<FakeHome> m_home;
    std::unique_ptr<ModelContext> m_store;
    std::unique_ptr<SettingsStore> m_settings;
    std::unique_ptr<AppState> m_state;
};

void EditorKeepsTextTest::init()
{
    m_home = std::make_unique<FakeHome>(FakeHome::Store::Memory);
    m_store = openMemoryStore();
    QVERIFY(m_store);
    m_settings = std::make_unique<SettingsStore>(m_home->settingsPath());
    m_state = std::make_unique<AppState>();
    m_state->setDetailViewMode(DetailViewMode::Editor);
}

void EditorKeepsTextTest::cleanup()
{
    m_state.reset();
    m_store.reset();
    m_settings.reset();
    m_home.reset();
}

Skill *EditorKeepsTextTest::addSkill(const QString &name, const QByteArray &bytes)
{
    Skill::Seed seed;
    seed.filePath = m_home->write(name + u"/SKILL.md"_s, bytes);
    seed.name = name;
    seed.tool = ToolSource::Claude;
    Skill *skill = Skill::make(seed);
    if (!m_store->insert(skill) || !m_store->save())
        return nullptr;
    return skill;
}

void EditorKeepsTextTest::removedSkillIsNeverSelectedAgain_data()
{
    QTest::addColumn<bool>("edited");
    QTest::newRow("unsaved edits stay") << true;
    QTest::newRow("nothing unsaved: nothing shown") << false;
}

void EditorKeepsTextTest::removedSkillIsNeverSelectedAgain()
{
    QFETCH(bool, edited);
    Skill *removed = addSkill(u"a"_s, "a text");
    Skill *other = addSkill(u"b"_s, "b text");
    const QString path = removed->filePath();
    m_state->setSelectedSkill(removed);
    ContentView window(m_state.get(), m_store.get(), m_settings.get(), nullptr);
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
    QCOMPARE(m_state->selectedSkill(), nullptr);
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
    m_state->setSelectedSkill(other);
    QCOMPARE(asked, QList<Question> { Question::LeaveUnsaved });
    QCOMPARE(m_state->selectedSkill(), nullptr);

    // Save still does something: the text goes where it came from.
    editor->textEdit()->setFocus();
    QTRY_VERIFY(window.saveAction()->isEnabled());
    window.saveAction()->trigger();
    QFile saved(path);
    QVERIFY(saved.open(QIODevice::ReadOnly));
    QCOMPARE(saved.readAll(), QByteArray("my a text"));
    QVERIFY(!editor->hasUnsavedChanges());

    // Nothing unsaved now: the next skill is shown without a question.
    m_state->setSelectedSkill(other);
    QCOMPARE(m_state->selectedSkill(), other);
    QCOMPARE(asked.size(), 1);
    QCOMPARE(editor->editorContent(), u"b text"_s);
}

void EditorKeepsTextTest::reloadKeepsCaretWithItsText()
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

QTEST_MAIN(EditorKeepsTextTest)
#include "tst_editorkeepstext.moc"
