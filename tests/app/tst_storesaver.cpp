#include "discoverysession.h"
#include "fakehome.h"
#include "memorystore.h"
#include "modelcontext.h"
#include "quirerun.h"
#include "skillrecords.h"
#include "storesaver.h"

#include <QSignalSpy>
#include <QTest>

using namespace Qt::StringLiterals;

// Saves that fail are announced and can be retried; the window's scans
// save through the same place; the window follows what a terminal wrote.
class StoreSaverTest final : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void failureIsAnnouncedUntilRetrySucceeds();
    void scanSaveFailureIsAnnounced();
    void followsCommitsOfOtherProcesses();
};

void StoreSaverTest::failureIsAnnouncedUntilRetrySucceeds()
{
    const auto store = openMemoryStore();
    QVERIFY(store);
    Skill *skill = addSkill(*store, skillSeed(u"/s.md"_s));
    QVERIFY(skill);
    StoreSaver *saver = StoreSaver::of(store.get());
    QCOMPARE(StoreSaver::of(store.get()), saver); // one per store
    QVERIFY(saver->save());

    // A membership in a collection the store does not hold cannot be written.
    auto *stray = SkillCollection::make(u"Stray"_s, u"folder.fill"_s, 0, store.get());
    skill->setCollections({ stray });
    skill->setIsFavorite(true);
    QSignalSpy failed(saver, &StoreSaver::saveFailed);
    QSignalSpy recovered(saver, &StoreSaver::saveRecovered);
    QVERIFY(!saver->save());
    QCOMPARE(failed.size(), 1);
    QVERIFY(failed.constFirst().constFirst().toString().contains(u"Stray"_s));
    QVERIFY(saver->hasFailed());

    // A later success that leaves changes pending does not end the failure.
    QVERIFY(saver->report(Status()));
    QCOMPARE(recovered.size(), 0);

    QVERIFY(store->insert(stray));
    QVERIFY(saver->retry());
    QCOMPARE(recovered.size(), 1);
    QVERIFY(!saver->hasFailed());
    QVERIFY(!store->hasChanges());
}

void StoreSaverTest::scanSaveFailureIsAnnounced()
{
    FakeHome home(FakeHome::Store::Memory);
    const auto store = openMemoryStore();
    QVERIFY(store);
    Skill *skill = addSkill(*store, skillSeed(home.path(u"s.md"_s)));
    QVERIFY(skill && store->save());
    skill->setCollections({ SkillCollection::make(u"Stray"_s, u"folder.fill"_s, 0, store.get()) });
    home.write(u".cursor/rules/a.md"_s, "---\nname: a\n---\n");

    DiscoverySession session(store.get(), nullptr);
    QSignalSpy finished(&session, &DiscoverySession::scanFinished);
    QSignalSpy failed(StoreSaver::of(store.get()), &StoreSaver::saveFailed);
    session.setUp();
    QVERIFY(finished.wait(10000));
    QCOMPARE(failed.size(), 1);
}

void StoreSaverTest::followsCommitsOfOtherProcesses()
{
    FakeHome home;
    auto opened = ModelContext::open(home.storePath());
    QVERIFY(opened);
    const std::unique_ptr<ModelContext> window = std::move(opened.value());
    StoreSaver *saver = StoreSaver::of(window.get());
    saver->followOtherProcesses(20);
    QSignalSpy inserted(window.get(), &ModelContext::skillsInserted);

    const QuireRun made = home.quire({ u"new"_s, u"elsewhere"_s, u"--tool"_s, u"cursor"_s });
    QCOMPARE(made.code, 0);
    QVERIFY(inserted.wait(10000)); // no save, no scan here: the timer brings it in
    QCOMPARE(window->skillCount(), 1);
    QCOMPARE(window->skills().constFirst()->filePath(), QString::fromUtf8(made.out).trimmed());
}

QTEST_GUILESS_MAIN(StoreSaverTest)
#include "tst_storesaver.moc"
