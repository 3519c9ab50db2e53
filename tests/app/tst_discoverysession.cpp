#include "discoverysession.h"
#include "fakehome.h"
#include "filewatcher.h"
#include "memorystore.h"
#include "settingsstore.h"
#include "skillhealth.h"

#include <QDir>
#include <QFile>
#include <QSignalSpy>
#include <QTest>

using namespace Qt::StringLiterals;

// When scans run, with real folders and real folder events in a fake home.
class DiscoverySessionTest final : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void init();
    void firstScanWaitsForTheEventLoop();
    void watchesOnlyGlobalFoldersThatExistNow();
    void folderEventScansAndPrunes();
    void scanDirectoryChangeScansWithoutPruning();
    void settingUpAgainReplacesScannerAndWatcher();

private:
    QString home(const QString &relative) const { return m_home->path(relative); }
    void write(const QString &relative) const { m_home->write(relative, "---\nname: n\n---\n"); }

    std::unique_ptr<FakeHome> m_home;
    std::unique_ptr<ModelContext> m_store;
    std::unique_ptr<SettingsStore> m_settings;
};

void DiscoverySessionTest::init()
{
    m_home = std::make_unique<FakeHome>(FakeHome::Store::Memory);
    m_store = openMemoryStore();
    QVERIFY(m_store);
    m_settings = std::make_unique<SettingsStore>(m_home->settingsPath());
}

void DiscoverySessionTest::firstScanWaitsForTheEventLoop()
{
    write(u".cursor/rules/a.md"_s);
    DiscoverySession session(m_store.get(), m_settings.get());
    QSignalSpy finished(&session, &DiscoverySession::scanFinished);
    session.setUp();
    QCOMPARE(m_store->skillCount(), 0); // not yet: the watcher is set up first
    QVERIFY(finished.wait(5000));
    QCOMPARE(m_store->skillCount(), 1);
    // The findings follow the scan: a file in a folder Cursor never reads.
    QTRY_COMPARE(session.health()->attentionCount(), 1);
}

void DiscoverySessionTest::watchesOnlyGlobalFoldersThatExistNow()
{
    QVERIFY(QDir().mkpath(home(u".codex"_s)));
    DiscoverySession empty(m_store.get(), m_settings.get());
    empty.setUp();
    QCOMPARE(empty.watcher()->watchedPaths(), QStringList { home(u".codex"_s) });

    // A folder made later is neither watched nor a reason to scan.
    QSignalSpy finished(&empty, &DiscoverySession::scanFinished);
    QVERIFY(finished.wait(5000)); // the first scan
    write(u".claude/skills/x/SKILL.md"_s);
    QVERIFY(!finished.wait(700));
    QCOMPARE(m_store->skillCount(), 0);
}

void DiscoverySessionTest::folderEventScansAndPrunes()
{
    write(u".cursor/rules/a.md"_s);
    write(u".cursor/rules/b.md"_s);
    DiscoverySession session(m_store.get(), m_settings.get());
    QSignalSpy finished(&session, &DiscoverySession::scanFinished);
    session.setUp();
    QVERIFY(finished.wait(5000));
    QCOMPARE(m_store->skillCount(), 2);
    QVERIFY(QFile::remove(home(u".cursor/rules/a.md"_s)));
    QTRY_COMPARE_WITH_TIMEOUT(m_store->skillCount(), 1, 5000);
}

void DiscoverySessionTest::scanDirectoryChangeScansWithoutPruning()
{
    write(u"work/p/.cursor/rules/r.md"_s);
    DiscoverySession session(m_store.get(), m_settings.get());
    m_settings->setCustomScanPaths({ home(u"work"_s) }); // before set-up: ignored
    QCOMPARE(m_store->skillCount(), 0);
    QSignalSpy finished(&session, &DiscoverySession::scanFinished);
    session.setUp();
    QVERIFY(finished.wait(5000));
    QCOMPARE(m_store->skillCount(), 1);

    write(u"work2/q/.windsurf/rules/w.md"_s);
    m_settings->setCustomScanPaths({ home(u"work2"_s) });
    QCOMPARE(m_store->skillCount(), 2); // at once, and the removed directory's record stays
}

void DiscoverySessionTest::settingUpAgainReplacesScannerAndWatcher()
{
    QVERIFY(QDir().mkpath(home(u".cursor/rules"_s)));
    DiscoverySession session(m_store.get(), m_settings.get());
    QSignalSpy finished(&session, &DiscoverySession::scanFinished);
    session.setUp();
    session.setUp();
    QCOMPARE(session.watcher()->watchedPaths().size(), 1);
    QVERIFY(finished.wait(5000));
    QVERIFY(!finished.wait(500)); // the first set-up's queued scan was dropped
}

QTEST_GUILESS_MAIN(DiscoverySessionTest)
#include "tst_discoverysession.moc"
