#include "appstate.h"
#include "contentview.h"
#include "detailpane.h"
#include "fakehome.h"
#include "memorystore.h"
#include "quirerun.h"
#include "saveactionslot.h"
#include "settingsstore.h"
#include "skill.h"
#include "skilldetailview.h"
#include "skilleditorview.h"
#include "skillfiltermodel.h"
#include "skilllistview.h"
#include "skillrecords.h"

#include <QAction>
#include <QFile>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QTest>

using namespace Qt::StringLiterals;

class ContentViewTest final : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void init();
    void editorSaveRenamesEverywhere();
    void searchFieldAndDetailFollowTheState();
    void layoutIsRemembered();
    void brokenStoreStopsWithTheFatalText();

private:
    std::unique_ptr<FakeHome> m_home;
    std::unique_ptr<ModelContext> m_store;
    std::unique_ptr<SettingsStore> m_settings;
    AppState m_state;
};

void ContentViewTest::init()
{
    m_home = std::make_unique<FakeHome>(FakeHome::Store::Memory);
    m_store = openMemoryStore();
    QVERIFY(m_store);
    m_settings = std::make_unique<SettingsStore>(m_home->settingsPath());
}

void ContentViewTest::editorSaveRenamesEverywhere()
{
    const QString path = m_home->write(u"pdf/SKILL.md"_s, "---\nname: pdf\n---\nbody\n");
    Skill *skill = addSkill(*m_store, skillSeed(path));
    QVERIFY(skill);
    QVERIFY(m_store->save());

    m_state.setSelectedSkill(skill);
    m_state.setDetailViewMode(DetailViewMode::Editor);
    ContentView window(&m_state, m_store.get(), m_settings.get(), nullptr);
    window.show();
    QVERIFY(QTest::qWaitForWindowActive(&window));
    QVERIFY(!window.saveAction()->isEnabled()); // nothing that saves has the focus
    SkillEditorView *editor = window.detailPane()->detailView()->editor();
    QVERIFY(editor);
    editor->textEdit()->setFocus();
    QTRY_VERIFY(window.saveAction()->isEnabled());
    QTextCursor cursor = editor->textEdit()->textCursor();
    cursor.setPosition(int(qstrlen("---\nname: pdf")));
    cursor.insertText(u" tools"_s);
    QTest::keySequence(&window, QKeySequence::Save);

    QCOMPARE(skill->name(), u"pdf tools"_s);
    QCOMPARE(window.detailPane()->detailView()->title(), u"pdf tools"_s);
    const SkillFilterModel *rows = window.findChild<SkillListView *>()->filterModel();
    QTRY_COMPARE(rows->index(0, 0).data(Qt::DisplayRole).toString(), u"pdf tools"_s);
    QVERIFY(!editor->hasUnsavedChanges());

    window.searchField()->setFocus();
    QTRY_VERIFY(!window.saveAction()->isEnabled());
}

void ContentViewTest::searchFieldAndDetailFollowTheState()
{
    ContentView window(&m_state, m_store.get(), m_settings.get(), nullptr);
    QCOMPARE(window.searchField()->placeholderText(), u"Search skills..."_s);
    QTest::keyClicks(window.searchField(), u"pdf"_s);
    QCOMPARE(m_state.searchText(), u"pdf"_s);
    m_state.setSearchText(QString());
    QCOMPARE(window.searchField()->text(), QString());

    QVERIFY(window.detailPane()->showsPlaceholder());
    Skill *skill = addSkill(*m_store, skillSeed(u"/x/a.md"_s));
    QVERIFY(skill);
    QVERIFY(m_store->save());
    m_state.setSelectedSkill(skill);
    QVERIFY(!window.detailPane()->showsPlaceholder());
    m_store->remove(skill);
    QVERIFY(m_store->save());
    QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
    QVERIFY(window.detailPane()->showsPlaceholder()); // a deleted selection leaves nothing behind
    QVERIFY(window.minimumWidth() >= 900 && window.minimumHeight() >= 500);
}

void ContentViewTest::layoutIsRemembered()
{
    {
        ContentView window(&m_state, m_store.get(), m_settings.get(), nullptr);
        window.show();
        window.resize(1000, 640);
        QVERIFY(QTest::qWaitForWindowExposed(&window));
        window.close();
    }
    ContentView again(&m_state, m_store.get(), m_settings.get(), nullptr);
    QCOMPARE(again.size(), QSize(1000, 640));
}

void ContentViewTest::brokenStoreStopsWithTheFatalText()
{
    const QString store = m_home->write(u"store.sqlite"_s, "not a database");
    QProcessEnvironment env = m_home->environment();
    env.insert(u"QUIRE_STORE"_s, store);
    env.insert(u"QT_QPA_PLATFORM"_s, u"offscreen"_s);
    const QuireRun run = runQuire({}, env);
    QVERIFY(run.code != 0);
    QVERIFY2(run.err.contains("Could not create ModelContainer: "), run.err.constData());
    QFile file(store);
    QVERIFY(file.open(QIODevice::ReadOnly));
    QCOMPARE(file.readAll(), QByteArray("not a database"));
}

QTEST_MAIN(ContentViewTest)
#include "tst_contentview.moc"
