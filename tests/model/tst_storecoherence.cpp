#include "fakehome.h"
#include "memorystore.h"
#include "modelcontext.h"
#include "quirerun.h"
#include "skillrecords.h"
#include "skillscanner.h"
#include "sqlitedatabase.h"

#include <QFile>
#include <QProcess>
#include <QSignalSpy>
#include <QTest>

#include <memory>

using namespace Qt::StringLiterals;

// One store file written by several processes: this test's context stands in
// for the window, `quire` children for the terminal.
class StoreCoherenceTest final : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void init();
    void cleanup();
    void saveAdoptsRowInsertedElsewhere();
    void refreshMergesOtherCommits();
    void localUnsavedFieldsWinOnlyWhereChanged();
    void rowRemovedElsewhereIsNotWrittenBack_data();
    void rowRemovedElsewhereIsNotWrittenBack();
    void recreatedCollectionStartsEmpty();
    void readerWaitsForWriter();
    void newSkillUnrecordedWhenStoreStaysLocked();

private:
    std::unique_ptr<ModelContext> open() const { return openStoreAt(m_home->storePath()); }
    QString newSkill(const QString &name, const QString &tool) const
    {
        const QuireRun run = m_home->quire({ u"new"_s, name, u"--tool"_s, tool });
        if (run.code != 0)
            qWarning() << run.err;
        return QString::fromUtf8(run.out).trimmed();
    }
    Skill *addSkill(ModelContext &store, const QString &relative, const QString &name) const
    {
        Skill::Seed seed = skillSeed(m_home->write(relative, "# " + name.toUtf8() + '\n'), name);
        seed.content = u"# "_s + name;
        seed.isGlobal = true;
        return ::addSkill(store, seed);
    }

    std::unique_ptr<FakeHome> m_home;
    std::unique_ptr<ModelContext> m_window;
};

void StoreCoherenceTest::init()
{
    m_home = std::make_unique<FakeHome>();
    QVERIFY(m_home->isValid());
    m_window = open();
    QVERIFY(m_window);
}

void StoreCoherenceTest::cleanup()
{
    m_window.reset();
    m_home.reset();
}

void StoreCoherenceTest::saveAdoptsRowInsertedElsewhere()
{
    const QString path = newSkill(u"from-terminal"_s, u"claude"_s);
    QVERIFY(!path.isEmpty());

    // What the window's scan does with a file it has not heard of yet.
    Skill::Seed seed;
    seed.filePath = path;
    seed.name = u"from-terminal"_s;
    seed.content = u"read by the window"_s;
    seed.tool = ToolSource::Claude;
    seed.isGlobal = true;
    Skill *seen = Skill::make(seed);
    QVERIFY(m_window->insert(seen));
    QVERIFY(addSkill(*m_window, u".claude/skills/by-hand/SKILL.md"_s, u"by-hand"_s));
    QSignalSpy inserted(m_window.get(), &ModelContext::skillsInserted);
    const Status saved = m_window->save();
    QVERIFY2(saved, qPrintable(saved ? QString() : saved.error().message));
    QVERIFY(seen->id() > 0);
    QCOMPARE(inserted.size(), 2); // the adopted row first, then the new one

    // Nothing stays pending: the window's later saves reach the file.
    seen->setIsFavorite(true);
    SkillCollection *work = SkillCollection::make(u"Work"_s, u"folder.fill"_s, 0);
    QVERIFY(m_window->insert(work));
    seen->setCollections({ work });
    QVERIFY(m_window->save());
    QVERIFY(!m_window->hasChanges());

    const auto reopened = open();
    QVERIFY(reopened);
    QCOMPARE(reopened->skillCount(), 2);
    Skill *stored = reopened->skillByResolvedPath(path);
    QVERIFY(stored);
    QCOMPARE(stored->content(), u"read by the window"_s);
    QVERIFY(stored->isFavorite());
    QCOMPARE(stored->collections().size(), 1);
    QCOMPARE(stored->collections().constFirst()->name(), u"Work"_s);
}

void StoreCoherenceTest::refreshMergesOtherCommits()
{
    QSignalSpy inserted(m_window.get(), &ModelContext::skillsInserted);
    QSignalSpy removed(m_window.get(), &ModelContext::skillsRemoved);
    QVERIFY(m_window->refresh());
    QCOMPARE(inserted.size(), 0); // nothing committed elsewhere: nothing announced

    const QString path = newSkill(u"notes"_s, u"cursor"_s);
    QVERIFY(!path.isEmpty());
    QVERIFY(m_window->refresh());
    QCOMPARE(inserted.size(), 1);
    Skill *notes = m_window->skillByResolvedPath(path);
    QVERIFY(notes);
    QCOMPARE(inserted.constFirst().constFirst().value<QList<Skill *>>(), QList<Skill *> { notes });
    QVERIFY(notes->content().contains(u"notes"_s)); // the body is read from the store

    QVERIFY(QFile::remove(path));
    const QuireRun prune = m_home->quire({ u"scan"_s, u"--prune"_s });
    QCOMPARE(prune.code, 0);
    QVERIFY(m_window->refresh());
    QCOMPARE(removed.size(), 1);
    QCOMPARE(removed.constFirst().constFirst().value<QList<Skill *>>(), QList<Skill *> { notes });
    QVERIFY(!m_window->skillByResolvedPath(path));
    QCOMPARE(m_window->skillCount(), 0);
}

void StoreCoherenceTest::localUnsavedFieldsWinOnlyWhereChanged()
{
    Skill *skill = addSkill(*m_window, u"notes/a.md"_s, u"a"_s);
    QVERIFY(skill);
    QVERIFY(m_window->save());

    // Another process marks it, renames it and files it in a collection.
    {
        const auto other = open();
        QVERIFY(other);
        Skill *there = other->skillByResolvedPath(skill->resolvedPath());
        QVERIFY(there);
        there->setIsFavorite(true);
        there->setName(u"renamed"_s);
        there->setContent(u"new body"_s);
        SkillCollection *work = SkillCollection::make(u"Work"_s, u"folder.fill"_s, 0);
        QVERIFY(other->insert(work));
        there->setCollections({ work });
        QVERIFY(other->save());
    }

    (void)skill->content(); // the window shows the body: it must follow too
    skill->setSkillDescription(u"typed here"_s); // unsaved in the window
    QSignalSpy changed(m_window.get(), &ModelContext::skillsChanged);
    QSignalSpy collectionsInserted(m_window.get(), &ModelContext::collectionsInserted);
    QSignalSpy nameChanged(skill, &Skill::nameChanged);
    QVERIFY(m_window->refresh());
    QCOMPARE(collectionsInserted.size(), 1);
    QCOMPARE(changed.size(), 1);
    QCOMPARE(nameChanged.size(), 1);
    QVERIFY(skill->isFavorite());
    QCOMPARE(skill->name(), u"renamed"_s);
    QCOMPARE(skill->content(), u"new body"_s);
    QCOMPARE(skill->collections().size(), 1);
    QCOMPARE(m_window->collectionByName(u"Work"_s)->skills(), QList<Skill *> { skill });
    QCOMPARE(skill->skillDescription(), u"typed here"_s);
    QVERIFY(m_window->hasChanges());

    QVERIFY(m_window->save());
    const auto reopened = open();
    QVERIFY(reopened);
    Skill *stored = reopened->skillByResolvedPath(skill->resolvedPath());
    QCOMPARE(stored->skillDescription(), u"typed here"_s);
    QCOMPARE(stored->name(), u"renamed"_s);
    QVERIFY(stored->isFavorite());
    QCOMPARE(stored->collections().size(), 1);
}

void StoreCoherenceTest::rowRemovedElsewhereIsNotWrittenBack_data()
{
    QTest::addColumn<bool>("byScan");
    QTest::newRow("save") << false;
    // A scan merges before it reads folders; the loss must still reach its result.
    QTest::newRow("scan") << true;
}

void StoreCoherenceTest::rowRemovedElsewhereIsNotWrittenBack()
{
    QFETCH(bool, byScan);
    Skill *skill = addSkill(*m_window, u"notes/gone.md"_s, u"gone"_s);
    Skill *kept = addSkill(*m_window, u"notes/kept.md"_s, u"kept"_s);
    QVERIFY(skill && kept);
    QVERIFY(m_window->save());
    const QString path = skill->resolvedPath();

    QVERIFY(QFile::remove(path));
    QCOMPARE(m_home->quire({ u"scan"_s, u"--prune"_s }).code, 0);

    // The window changes both before it has heard of the removal.
    skill->setIsFavorite(true);
    kept->setIsFavorite(true);
    QSignalSpy removed(m_window.get(), &ModelContext::skillsRemoved);
    SkillScanner scanner(m_window.get(), nullptr);
    if (byScan)
        scanner.scanAll();
    const Status saved = byScan ? scanner.lastSave() : m_window->save();
    QVERIFY(!saved); // the change to the removed one went nowhere: not a success
    QCOMPARE(saved.error().code, Error::Conflict);
    QVERIFY(saved.error().message.contains(path));
    QCOMPARE(removed.size(), 1);
    QVERIFY(!m_window->hasChanges());
    QVERIFY(!m_window->skillByResolvedPath(path));

    const auto reopened = open();
    QVERIFY(reopened);
    QCOMPARE(reopened->skillCount(), 1); // not brought back, not silently "updated"
    QVERIFY(reopened->skillByResolvedPath(kept->resolvedPath())->isFavorite());
}

void StoreCoherenceTest::recreatedCollectionStartsEmpty()
{
    Skill *skill = addSkill(*m_window, u"notes/a.md"_s, u"a"_s);
    SkillCollection *old = SkillCollection::make(u"Old"_s, u"folder.fill"_s, 0);
    QVERIFY(skill && m_window->insert(old));
    skill->setCollections({ old });
    QVERIFY(m_window->save());
    const qint64 oldId = old->id();

    QVERIFY(SkillCollection::remove(*m_window, old));
    const auto made = SkillCollection::create(*m_window, u"New"_s, u"star.fill"_s);
    QVERIFY(made);
    QCOMPARE(made.value()->id(), oldId); // the row id is reused
    QVERIFY(made.value()->skills().isEmpty());

    const auto reopened = open();
    QVERIFY(reopened);
    QVERIFY(reopened->collectionByName(u"New"_s)->skills().isEmpty());
    QVERIFY(reopened->skillByResolvedPath(skill->resolvedPath())->collections().isEmpty());
}

void StoreCoherenceTest::readerWaitsForWriter()
{
    QVERIFY(addSkill(*m_window, u"notes/a.md"_s, u"a"_s));
    QVERIFY(m_window->save());
    m_window.reset(); // only a lone connection can take the file for itself

    // A connection that keeps every other one out until it closes.
    auto locker = SqliteDatabase::open(m_home->storePath(), SqliteDatabase::Mode::ReadWrite);
    QVERIFY(locker);
    QVERIFY(locker.value().exec(u"PRAGMA locking_mode = EXCLUSIVE"_s));
    const Status locked
        = locker.value().exec(u"BEGIN EXCLUSIVE; UPDATE meta SET value = value; COMMIT"_s);
    QVERIFY2(locked, qPrintable(locked ? QString() : locked.error().message));

    QProcess list;
    list.setProcessEnvironment(m_home->environment());
    list.start(quireBinary(), { u"list"_s });
    QVERIFY(list.waitForStarted());
    QTest::qWait(800);
    locker.value() = SqliteDatabase(); // closing lets the reader in
    if (list.state() != QProcess::NotRunning)
        QVERIFY(list.waitForFinished(60000));
    QCOMPARE(QString::fromUtf8(list.readAllStandardError()), QString());
    QCOMPARE(list.exitCode(), 0);
    QVERIFY(list.readAllStandardOutput().contains("a"));
}

void StoreCoherenceTest::newSkillUnrecordedWhenStoreStaysLocked()
{
    auto locker = SqliteDatabase::open(m_home->storePath(), SqliteDatabase::Mode::ReadWrite);
    QVERIFY(locker);
    QVERIFY(locker.value().exec(u"BEGIN IMMEDIATE"_s)); // readers go on, writers wait

    const QuireRun run = m_home->quire({ u"new"_s, u"late"_s, u"--tool"_s, u"claude"_s });
    QVERIFY(locker.value().exec(u"ROLLBACK"_s));
    const QString path = m_home->path(u".claude/skills/late/SKILL.md"_s);
    QCOMPARE(run.code, 1);
    QCOMPARE(QString::fromUtf8(run.out), path + u'\n');
    QVERIFY(QFile::exists(path));
    const QString err = QString::fromUtf8(run.err);
    QVERIFY2(err.contains(u"Created "_s + path) && err.contains(u"next scan will record it"_s),
        qPrintable(err));
    QVERIFY2(!err.contains(u"try again"_s), qPrintable(err));

    // As promised: the next scan records it.
    QCOMPARE(m_home->quire({ u"scan"_s }).code, 0);
    QVERIFY(m_window->refresh());
    QVERIFY(m_window->skillByResolvedPath(path));
}

QTEST_GUILESS_MAIN(StoreCoherenceTest)
#include "tst_storecoherence.moc"
