#include "fakehome.h"
#include "memorystore.h"
#include "modelcontext.h"
#include "skillrecords.h"

#include <QDir>
#include <QFile>
#include <QProcess>
#include <QSignalSpy>
#include <QStandardPaths>
#include <QTest>

#include <sqlite3.h>

using namespace Qt::StringLiterals;

class ModelContextTest final : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void init();
    void roundTripThroughDisk();
    void uniqueResolvedPath();
    void uniqueCollectionName();
    void nullifyOnBothEnds();
    void collectionOrderAndMembership();
    void batchedSignals();
    void refusesFilesThatAreNotQuireStores_data();
    void refusesFilesThatAreNotQuireStores();
    void refusesUnwritablePlaces();
    void defaultPathFollowsEnvironment();
    void readableBySqliteShell();
    void upgradesOlderStoreKeepingEverything();

private:
    QString storePath() const { return m_home->storePath(); }
    std::unique_ptr<ModelContext> openStore() { return openStoreAt(storePath()); }
    static Skill *makeSkill(const QString &path, const QString &name = u"s"_s)
    {
        Skill::Seed seed = skillSeed(path, name, ToolSource::Cursor);
        seed.content = u"body of "_s + name;
        seed.fileModifiedDate = QDateTime::fromMSecsSinceEpoch(1'769'860'800'123, Qt::UTC);
        return Skill::make(seed);
    }

    std::unique_ptr<FakeHome> m_home;
};

void ModelContextTest::init()
{
    m_home = std::make_unique<FakeHome>();
}

void ModelContextTest::roundTripThroughDisk()
{
    {
        auto store = openStore();
        QVERIFY(store);
        Skill *skill = makeSkill(u"/h/.cursor/rules/a.mdc"_s, u"Ünïcode 🎉"_s);
        skill->setFrontmatter({ { u"name"_s, u"a"_s }, { u"globs"_s, u"*.ts"_s } });
        skill->addInstallation(u"/p/.cursor/rules/a.mdc"_s, ToolSource::Claude);
        skill->setIsFavorite(true);
        skill->setFileSize(1234);
        skill->setFrontmatterData(std::nullopt);
        QVERIFY(store->insert(skill));
        QVERIFY(store->save());
        QVERIFY(skill->id() > 0);
    }
    auto store = openStore();
    QVERIFY(store);
    QCOMPARE(store->skillCount(), 1);
    Skill *skill = store->skillByResolvedPath(u"/h/.cursor/rules/a.mdc"_s);
    QVERIFY(skill);
    QCOMPARE(skill->name(), u"Ünïcode 🎉"_s);
    QCOMPARE(skill->content(), u"body of Ünïcode 🎉"_s); // loaded on first read
    QCOMPARE(skill->toolSourcesRaw(), u"claude,cursor"_s);
    QCOMPARE(skill->installedPaths().size(), 2);
    QVERIFY(!skill->frontmatterData().has_value()); // absent stays absent, not empty
    QVERIFY(skill->isFavorite());
    QCOMPARE(skill->fileSize(), 1234);
    QCOMPARE(skill->fileModifiedDate().toMSecsSinceEpoch(), 1'769'860'800'123);
    QVERIFY(!skill->lastOpened().isValid());

    // A body changed after a lazy load is written; one never read is kept.
    skill->setContent(u"new body"_s);
    QVERIFY(store->save());
    store.reset();
    store = openStore();
    QCOMPARE(store->skills().constFirst()->content(), u"new body"_s);
}

void ModelContextTest::uniqueResolvedPath()
{
    auto store = openStore();
    Skill *first = makeSkill(u"/a.md"_s);
    QVERIFY(store->insert(first));
    QVERIFY(store->save());

    std::unique_ptr<Skill> duplicate(makeSkill(u"/a.md"_s));
    const Status refused = store->insert(duplicate.get());
    QVERIFY(!refused);
    QCOMPARE(refused.error().code, Error::Conflict);

    // A rename onto a taken path fails the whole save and writes nothing.
    Skill *second = makeSkill(u"/b.md"_s, u"second"_s);
    QVERIFY(store->insert(second));
    QVERIFY(store->save());
    second->setName(u"renamed"_s);
    second->setResolvedPath(u"/a.md"_s);
    const Status saved = store->save();
    QVERIFY(!saved);
    QVERIFY2(saved.error().message.contains(u"/a.md"_s), qPrintable(saved.error().message));
    QVERIFY(store->hasChanges()); // still pending, nothing lost in memory
    store.reset();
    store = openStore();
    QCOMPARE(store->skillCount(), 2);
    QCOMPARE(store->skillByResolvedPath(u"/b.md"_s)->name(), u"second"_s);
}

void ModelContextTest::uniqueCollectionName()
{
    auto store = openStore();
    auto work = SkillCollection::create(*store, u"Work"_s, u"star"_s);
    QVERIFY(work);
    Skill *skill = makeSkill(u"/a.md"_s);
    QVERIFY(store->insert(skill));
    QVERIFY(SkillCollection::toggleMembership(*store, *skill, *work.value(), false));

    // Creating it again keeps the one collection, its icon and its members.
    auto again = SkillCollection::create(*store, u"Work"_s, u"folder"_s);
    QVERIFY(again);
    QCOMPARE(again.value(), work.value());
    store.reset();
    store = openStore();
    QCOMPARE(store->collectionCount(), 1);
    SkillCollection *reopened = store->collectionByName(u"Work"_s);
    QCOMPARE(reopened->icon(), u"star"_s);
    QCOMPARE(reopened->skills().size(), 1);

    std::unique_ptr<SkillCollection> twin(SkillCollection::make(u"Work"_s, u"x"_s, 9));
    QVERIFY(!store->insert(twin.get()));
}

void ModelContextTest::nullifyOnBothEnds()
{
    {
        auto store = openStore();
        auto a = SkillCollection::create(*store, u"A"_s, u"star"_s).value();
        auto b = SkillCollection::create(*store, u"B"_s, u"star"_s).value();
        Skill *one = makeSkill(u"/1.md"_s);
        Skill *two = makeSkill(u"/2.md"_s);
        QVERIFY(store->insert(one));
        QVERIFY(store->insert(two));
        one->setCollections({ b, a });
        two->setCollections({ a });
        QVERIFY(store->save());
    }
    {
        auto store = openStore();
        Skill *one = store->skillByResolvedPath(u"/1.md"_s);
        QCOMPARE(one->collections().size(), 2);
        QCOMPARE(one->collections().first()->name(), u"B"_s); // membership order kept
        store->remove(store->collectionByName(u"A"_s));
        QCOMPARE(one->collections().size(), 1); // nullified at once, before the save
        store->remove(store->skillByResolvedPath(u"/2.md"_s));
        QVERIFY(store->save());
    }
    auto store = openStore();
    QCOMPARE(store->skillCount(), 1);
    QCOMPARE(store->collectionCount(), 1);
    QCOMPARE(store->collectionByName(u"B"_s)->skills().size(), 1);
    store->remove(store->skillByResolvedPath(u"/1.md"_s));
    QVERIFY(store->save());
    QCOMPARE(store->collectionByName(u"B"_s)->skills().size(), 0);
    store.reset();
    QCOMPARE(openStore()->collectionCount(), 1); // deleting a skill never deletes a collection
}

void ModelContextTest::collectionOrderAndMembership()
{
    auto store = openStore();
    for (const QString &name : { u"A"_s, u"B"_s, u"C"_s })
        QVERIFY(SkillCollection::create(*store, name, u"star"_s));
    QList<qint64> orders;
    for (SkillCollection *c : store->collectionsBySortOrder())
        orders.append(c->sortOrder());
    QCOMPARE(orders, (QList<qint64> { 0, 1, 2 }));

    QVERIFY(SkillCollection::remove(*store, store->collectionByName(u"A"_s)));
    auto d = SkillCollection::create(*store, u"D"_s, u"star"_s);
    QCOMPARE(d.value()->sortOrder(), 2); // never renumbered: shares C's order

    Skill *skill = makeSkill(u"/x.md"_s);
    QVERIFY(store->insert(skill));
    SkillCollection *c = store->collectionByName(u"C"_s);
    QSignalSpy badge(c, &SkillCollection::skillsChanged);
    QVERIFY(SkillCollection::toggleMembership(
        *store, *skill, *c, SkillCollection::isMember(*skill, u"C"_s)));
    QCOMPARE(c->skills().size(), 1);
    QVERIFY(SkillCollection::toggleMembership(
        *store, *skill, *c, SkillCollection::isMember(*skill, u"C"_s)));
    QCOMPARE(c->skills().size(), 0);
    QCOMPARE(badge.count(), 2);
}

void ModelContextTest::batchedSignals()
{
    auto store = openStore();
    QSignalSpy inserted(store.get(), &ModelContext::skillsInserted);
    QSignalSpy changed(store.get(), &ModelContext::skillsChanged);
    QSignalSpy removed(store.get(), &ModelContext::skillsRemoved);
    for (int i = 0; i < 50; ++i)
        QVERIFY(store->insert(makeSkill(u"/%1.md"_s.arg(i))));
    QCOMPARE(inserted.count(), 0); // nothing is announced before it is on disk
    QVERIFY(store->save());
    QCOMPARE(inserted.count(), 1);
    QCOMPARE(inserted.first().first().value<QList<Skill *>>().size(), 50);

    const QList<Skill *> all = store->skills();
    all.at(0)->setName(u"changed"_s);
    all.at(1)->setName(all.at(1)->name()); // equal write: not a change
    QVERIFY(store->save());
    QCOMPARE(changed.count(), 1);
    QCOMPARE(changed.first().first().value<QList<Skill *>>(), QList<Skill *> { all.at(0) });

    QPointer<Skill> gone = all.at(2);
    store->remove(gone);
    QVERIFY(store->save());
    QCOMPARE(removed.count(), 1);
    QVERIFY(gone); // announced while alive ...
    QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
    QVERIFY(!gone); // ... and deleted later
}

void ModelContextTest::refusesFilesThatAreNotQuireStores_data()
{
    QTest::addColumn<QByteArray>("setupSql");
    QTest::addColumn<QByteArray>("rawBytes");
    QTest::addColumn<QString>("reason");
    QTest::newRow("random bytes") << QByteArray() << QByteArray("\x01\x02 not a database at all")
                                  << u"not an SQLite database"_s;
    QTest::newRow("another program's database")
        << QByteArray("CREATE TABLE notes(x); INSERT INTO notes VALUES (1);") << QByteArray()
        << u"another program"_s;
    QTest::newRow("newer schema") << QByteArray(
        "CREATE TABLE meta(key, value); PRAGMA application_id = "
        + QByteArray::number(ModelContext::applicationId) + "; PRAGMA user_version = 20000;")
                                  << QByteArray() << u"newer version"_s;
}

void ModelContextTest::refusesFilesThatAreNotQuireStores()
{
    QFETCH(QByteArray, setupSql);
    QFETCH(QByteArray, rawBytes);
    QFETCH(QString, reason);
    if (!setupSql.isEmpty()) {
        sqlite3 *db = nullptr;
        QCOMPARE(sqlite3_open(storePath().toUtf8().constData(), &db), SQLITE_OK);
        QCOMPARE(sqlite3_exec(db, setupSql.constData(), nullptr, nullptr, nullptr), SQLITE_OK);
        sqlite3_close(db);
    } else {
        QFile file(storePath());
        QVERIFY(file.open(QIODevice::WriteOnly));
        file.write(rawBytes);
    }
    QFile file(storePath());
    QVERIFY(file.open(QIODevice::ReadOnly));
    const QByteArray before = file.readAll();
    file.close();

    auto opened = ModelContext::open(storePath());
    QVERIFY(!opened);
    QVERIFY2(opened.error().message.contains(reason), qPrintable(opened.error().message));
    QVERIFY(opened.error().message.contains(storePath()));
    QVERIFY(file.open(QIODevice::ReadOnly));
    QCOMPARE(file.readAll(), before); // byte for byte as it was
}

void ModelContextTest::refusesUnwritablePlaces()
{
    if (geteuid() == 0)
        QSKIP("root writes everywhere");
    {
        QVERIFY(openStore());
    }
    QFile::setPermissions(storePath(), QFile::ReadOwner);
    auto readOnly = ModelContext::open(storePath());
    QVERIFY(!readOnly);
    QVERIFY2(
        readOnly.error().message.contains(u"read-only"_s), qPrintable(readOnly.error().message));

    const QString locked = m_home->path(u"locked"_s);
    QVERIFY(QDir().mkdir(locked));
    QFile::setPermissions(locked, QFile::ReadOwner | QFile::ExeOwner);
    auto missing = ModelContext::open(locked + u"/deeper/store.sqlite"_s);
    QVERIFY(!missing);
    QVERIFY2(
        missing.error().message.contains(u"Cannot create"_s), qPrintable(missing.error().message));
    QFile::setPermissions(locked, QFile::ReadOwner | QFile::WriteOwner | QFile::ExeOwner);
}

void ModelContextTest::defaultPathFollowsEnvironment()
{
    qunsetenv("QUIRE_STORE"); // the fake home puts it back
    QCOMPARE(ModelContext::defaultPath(), m_home->root() + u"/data/Quire/store.sqlite"_s);
    qputenv("QUIRE_STORE", ":memory:");
    QCOMPARE(ModelContext::defaultPath(), u":memory:"_s);
    auto memory = ModelContext::open(ModelContext::defaultPath());
    QVERIFY(memory);
    QVERIFY(memory.value()->insert(makeSkill(u"/m.md"_s)));
    QVERIFY(memory.value()->save());
}

void ModelContextTest::readableBySqliteShell()
{
    const QString shell = QStandardPaths::findExecutable(u"sqlite3"_s);
    if (shell.isEmpty())
        QSKIP("no sqlite3 shell");
    {
        auto store = openStore();
        QVERIFY(store->insert(makeSkill(u"/a.md"_s, u"alpha"_s)));
        QVERIFY(store->save());
    }
    QProcess process;
    process.start(shell,
        { storePath(),
            u"PRAGMA user_version; SELECT value FROM meta WHERE key = "
            "'schemaVersion'; SELECT name FROM skill;"_s });
    QVERIFY(process.waitForFinished());
    QCOMPARE(QString::fromUtf8(process.readAllStandardOutput()),
        u"%1\n%2\nalpha\n"_s.arg(ModelContext::schemaUserVersion)
            .arg(QLatin1StringView(ModelContext::schemaVersion)));
}

void ModelContextTest::upgradesOlderStoreKeepingEverything()
{
    QVERIFY(writeOlderStore(storePath(), u"1.0.0"_s));
    auto store = openStore();
    QVERIFY(store);
    const QList<Skill *> skills = store->skillsByName();
    QCOMPARE(skills.size(), 2);
    QCOMPARE(skills[0]->name(), u"brag-sheet"_s);
    QVERIFY(skills[0]->isFavorite());
    QCOMPARE(skills[0]->lastOpened(), QDateTime::fromMSecsSinceEpoch(1'767'225'600'000, Qt::UTC));
    QCOMPARE(skills[0]->content(), u"# Brag sheet\n\nWrite down what you shipped, with links."_s);
    QCOMPARE(skills[1]->frontmatter().value(u"globs"_s), u"src/**/*.ts"_s);
    // Kinds told by the file's name until the next scan says more.
    QCOMPARE(skills[0]->kind(), SkillKind::Skill);
    QCOMPARE(skills[1]->kind(), SkillKind::Rule);
    const QList<SkillCollection *> collections = store->collectionsBySortOrder();
    QCOMPARE(collections.size(), 2);
    QCOMPARE(collections[0]->skills(), skills);
    QVERIFY(collections[1]->skills().isEmpty());
    store.reset();

    // Upgraded once, for good: the file now says the newest schema.
    auto db = SqliteDatabase::open(storePath(), SqliteDatabase::Mode::ReadWrite);
    QVERIFY(db);
    QCOMPARE(
        db.value().queryInt(u"PRAGMA user_version"_s).value(), ModelContext::schemaUserVersion);
    QCOMPARE(
        db.value()
            .queryInt(
                u"SELECT count(*) FROM meta WHERE key = 'schemaVersion' AND value = '%1'"_s.arg(
                    QLatin1StringView(ModelContext::schemaVersion)))
            .value(),
        1);
}

QTEST_GUILESS_MAIN(ModelContextTest)
#include "tst_modelcontext.moc"
