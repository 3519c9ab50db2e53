#include "appstate.h"
#include "contentview.h"
#include "detailpane.h"
#include "modelcontext.h"
#include "saveactionslot.h"
#include "settingsstore.h"
#include "skill.h"
#include "skilldetailview.h"
#include "skilleditorview.h"
#include "skillfiltermodel.h"
#include "skilllistview.h"

#include <QAction>
#include <QDir>
#include <QFile>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QProcess>
#include <QTemporaryDir>
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
    std::unique_ptr<QTemporaryDir> m_home;
    std::unique_ptr<ModelContext> m_store;
    std::unique_ptr<SettingsStore> m_settings;
    AppState m_state;
};

void ContentViewTest::init()
{
    m_home = std::make_unique<QTemporaryDir>();
    qputenv("HOME", m_home->path().toUtf8());
    m_store = std::move(ModelContext::open(u":memory:"_s).value());
    m_settings = std::make_unique<SettingsStore>(m_home->filePath(u"quire.conf"_s));
}

void ContentViewTest::editorSaveRenamesEverywhere()
{
    const QString path = m_home->filePath(u"pdf/SKILL.md"_s);
    QVERIFY(QDir(m_home->path()).mkpath(u"pdf"_s));
    QFile file(path);
    QVERIFY(file.open(QIODevice::WriteOnly));
    file.write("---\nname: pdf\n---\nbody\n");
    file.close();
    Skill::Seed seed;
    seed.filePath = path;
    seed.name = u"pdf"_s;
    seed.tool = ToolSource::Claude;
    Skill *skill = Skill::make(seed);
    QVERIFY(m_store->insert(skill));
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
    Skill::Seed seed;
    seed.filePath = u"/x/a.md"_s;
    seed.name = u"a"_s;
    Skill *skill = Skill::make(seed);
    QVERIFY(m_store->insert(skill));
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
    const QString store = m_home->filePath(u"store.sqlite"_s);
    QFile file(store);
    QVERIFY(file.open(QIODevice::WriteOnly));
    file.write("not a database");
    file.close();
    QProcess quire;
    QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
    env.insert(u"QUIRE_STORE"_s, store);
    env.insert(u"QT_QPA_PLATFORM"_s, u"offscreen"_s);
    env.insert(u"HOME"_s, m_home->path());
    quire.setProcessEnvironment(env);
    quire.start(QStringLiteral(QUIRE_BINARY), {});
    QVERIFY(quire.waitForFinished(30000));
    QVERIFY(quire.exitCode() != 0);
    QVERIFY2(
        quire.readAllStandardError().contains("Could not create ModelContainer: "), "fatal text");
    QVERIFY(file.open(QIODevice::ReadOnly));
    QCOMPARE(file.readAll(), QByteArray("not a database"));
}

QTEST_MAIN(ContentViewTest)
#include "tst_contentview.moc"
