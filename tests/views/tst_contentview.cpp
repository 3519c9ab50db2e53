#include "appstate.h"
#include "contentview.h"
#include "detailpane.h"
#include "modelcontext.h"
#include "saveactionslot.h"
#include "saveactionsource.h"
#include "settingsstore.h"

#include <QAction>
#include <QLineEdit>
#include <QProcess>
#include <QTemporaryDir>
#include <QTest>

using namespace Qt::StringLiterals;

namespace {

// Stands in for the editor: offers a save action while it has the focus.
class SavingEdit final : public QLineEdit, public SaveActionSource
{
public:
    using QLineEdit::QLineEdit;
    int saves = 0;
    std::optional<SaveAction> saveAction() const override
    {
        return SaveAction{[this] { ++const_cast<SavingEdit *>(this)->saves; }};
    }
};

} // namespace

class ContentViewTest final : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void init();
    void saveFollowsTheFocusedView();
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

void ContentViewTest::saveFollowsTheFocusedView()
{
    ContentView window(&m_state, m_store.get(), m_settings.get(), nullptr);
    auto *editor = new SavingEdit(&window);
    window.show();
    QVERIFY(QTest::qWaitForWindowActive(&window));
    QVERIFY(!window.saveAction()->isEnabled()); // nothing offers a save

    editor->setFocus();
    QTRY_VERIFY(window.saveAction()->isEnabled());
    QTest::keySequence(&window, QKeySequence::Save);
    QCOMPARE(editor->saves, 1);

    window.searchField()->setFocus();
    QTRY_VERIFY(!window.saveAction()->isEnabled());
    QTest::keySequence(&window, QKeySequence::Save);
    QCOMPARE(editor->saves, 1);
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
    QVERIFY2(quire.readAllStandardError().contains("Could not create ModelContainer: "), "fatal text");
    QVERIFY(file.open(QIODevice::ReadOnly));
    QCOMPARE(file.readAll(), QByteArray("not a database"));
}

QTEST_MAIN(ContentViewTest)
#include "tst_contentview.moc"
