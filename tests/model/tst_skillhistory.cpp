#include "fakehome.h"
#include "memorystore.h"
#include "skillhistory.h"
#include "skillrecords.h"

#include <QTest>

using namespace Qt::StringLiterals;

// What the store keeps of each skill file's earlier texts: a version per
// replaced text with where it came from, each text once, thinned with age
// and under a size cap, and kept after the file is gone.
class SkillHistoryTest final : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void fileTextRebuilt_data();
    void fileTextRebuilt();
    void versionsFromEachSource();
    void identicalTextsStoredOnce();
    void retention_data();
    void retention();
    void capDropsOldestFirst();
    void removedFileKeepsItsText();
    void upgradedStoreStartsHistories();
};

namespace {

const QString path = u"/skills/pdf/SKILL.md"_s;

QStringList sources(const ModelContext &store, const QString &file = path)
{
    QStringList out;
    const QList<SkillVersion> versions = store.history().versions(file).value();
    for (const SkillVersion &version : versions)
        out.append(SkillHistory::sourceText(version.source));
    return out;
}

QString textOf(const ModelContext &store, int index, const QString &file = path)
{
    const auto versions = store.history().versions(file);
    if (!versions || versions.value().size() <= index)
        return u"<none>"_s;
    return store.history().text(versions.value().at(index).id).value();
}

// Sets a record's text as a scan or the editor would: body and whole text.
void setText(Skill *skill, const QString &text, std::optional<VersionSource> source = {})
{
    const qsizetype end = text.indexOf(u"---\n"_s, 4);
    skill->setContent(text.startsWith(u"---\n"_s) && end > 0 ? text.mid(end + 4).trimmed() : text);
    skill->setFileText(text);
    if (source)
        skill->setVersionSource(*source);
}

} // namespace

void SkillHistoryTest::fileTextRebuilt_data()
{
    QTest::addColumn<QString>("text");
    QTest::addColumn<QString>("body");
    QTest::newRow("frontmatter and blank lines around the body")
        << u"---\nname: pdf\n---\n\n\n# PDF\nUse it.\n\n"_s << u"# PDF\nUse it."_s;
    QTest::newRow("body is the whole text")
        << u"# Rules\r\nBe kind.\r\n"_s << u"# Rules\r\nBe kind.\r\n"_s;
    QTest::newRow("empty body") << u"---\nname: x\n---\n"_s << QString();
    QTest::newRow("body not found in the text") << u"---\nname: ü\n---\nA\n"_s << u"B"_s;
    QTest::newRow("characters beyond the BMP in the frame")
        << u"---\nname: 😀\n---\nbody 😀\n"_s << u"body 😀"_s;
}

void SkillHistoryTest::fileTextRebuilt()
{
    QFETCH(QString, text);
    QFETCH(QString, body);
    QCOMPARE(SkillHistory::compose(body, SkillHistory::frameOf(text, body)), text);
}

void SkillHistoryTest::versionsFromEachSource()
{
    auto store = openMemoryStore();
    QVERIFY(store);
    const QString v1 = u"---\nname: pdf\n---\nOne.\n"_s;
    const QString v2 = u"---\nname: pdf\n---\nTwo.\n"_s;
    const QString v3 = u"---\nname: pdf\ndescription: d\n---\nTwo.\n"_s;

    // A file a scan meets first starts no history: the record holds its text.
    Skill::Seed seed = skillSeed(path);
    seed.content = u"One."_s;
    seed.fileText = v1;
    Skill *skill = addSkill(*store, seed);
    QVERIFY(store->save());
    QCOMPARE(sources(*store), QStringList());

    setText(skill, v2, VersionSource::EditedInQuire);
    QVERIFY(store->save());
    QCOMPARE(sources(*store), (QStringList { u"Edited in Quire"_s, u"Changed on disk"_s }));
    QCOMPARE(textOf(*store, 1), v1); // the replaced text, frontmatter and all

    // Only the frontmatter changed: still a new text. No source: found on disk.
    setText(skill, v3);
    QVERIFY(store->save());
    QCOMPARE(sources(*store).first(), u"Changed on disk"_s);
    QCOMPARE(textOf(*store, 0), v3);

    // A save that leaves the text as it was records nothing, and the source
    // set for it does not stick to a later change.
    setText(skill, v3, VersionSource::Restored);
    skill->setIsFavorite(true);
    QVERIFY(store->save());
    QCOMPARE(sources(*store).size(), 3);
    setText(skill, v1);
    QVERIFY(store->save());
    QCOMPARE(sources(*store).first(), u"Changed on disk"_s);

    // A file Quire writes starts its history at once.
    Skill::Seed created = skillSeed(u"/skills/new/SKILL.md"_s);
    created.content = u"New."_s;
    created.fileText = u"---\nname: new\n---\nNew.\n"_s;
    Skill *made = addSkill(*store, created);
    made->setVersionSource(VersionSource::Created);
    QVERIFY(store->save());
    QCOMPARE(sources(*store, created.filePath), QStringList { u"Created"_s });
    QCOMPARE(textOf(*store, 0, created.filePath), created.fileText);

    // A write with no record to carry it.
    store->recordVersion(u"/gone/AGENTS.md"_s, u"Back."_s, VersionSource::Restored);
    QVERIFY(store->save());
    QCOMPARE(sources(*store, u"/gone/AGENTS.md"_s), QStringList { u"Restored"_s });
}

void SkillHistoryTest::identicalTextsStoredOnce()
{
    auto store = openMemoryStore();
    QVERIFY(store);
    Skill::Seed seed = skillSeed(path);
    seed.content = u"A"_s;
    Skill *skill = addSkill(*store, seed);
    QVERIFY(store->save());
    const QString big = QString(u"lorem ipsum "_s).repeated(2000);
    setText(skill, big);
    QVERIFY(store->save());
    const qint64 afterFirst = store->history().spaceUsed().value();
    QVERIFY(afterFirst > 0);
    QVERIFY(afterFirst < big.size() / 4); // compressed

    setText(skill, u"A"_s);
    QVERIFY(store->save());
    setText(skill, big);
    QVERIFY(store->save());
    const auto versions = store->history().versions(path).value();
    QCOMPARE(versions.size(), 4);
    QCOMPARE(versions.at(0).hash, versions.at(2).hash);
    QCOMPARE(versions.at(0).hash, SkillHistory::hashOf(big));
    QCOMPARE(versions.at(0).size, qint64(big.toUtf8().size()));
    QCOMPARE(store->history().spaceUsed().value(), afterFirst); // nothing new stored
}

void SkillHistoryTest::retention_data()
{
    // Ages in days of the versions recorded, oldest first; then which of
    // them remain (by index) once a new version is recorded now.
    QTest::addColumn<QList<double>>("ages");
    QTest::addColumn<QList<int>>("kept");
    QTest::newRow("everything within 30 days stays")
        << QList<double> { 29.5, 29.4, 10, 1 } << QList<int> { 0, 1, 2, 3 };
    QTest::newRow("older: the newest of each day stays")
        << QList<double> { 40.3, 40.2, 40.1, 39.6, 35 } << QList<int> { 2, 3, 4 };
    QTest::newRow("older than a year goes") << QList<double> { 400, 366, 300 } << QList<int> { 2 };
}

void SkillHistoryTest::retention()
{
    QFETCH(QList<double>, ages);
    QFETCH(QList<int>, kept);
    auto store = openMemoryStore();
    QVERIFY(store);
    // Days start at midnight UTC; noon keeps fractions of a day inside one.
    const QDateTime now = QDateTime(QDate(2026, 6, 1), QTime(23, 0), Qt::UTC);
    QList<QString> texts;
    for (int i = 0; i < ages.size(); ++i) {
        store->setClock([&] { return now.addMSecs(-qint64(ages.at(i) * 86'400'000)); });
        texts.append(u"text %1"_s.arg(i));
        store->recordVersion(path, texts.last(), VersionSource::ChangedOnDisk);
        QVERIFY(store->save());
    }
    store->setClock([&] { return now; });
    store->recordVersion(path, u"now"_s, VersionSource::EditedInQuire);
    QVERIFY(store->save());

    QStringList expected { u"now"_s };
    for (int i = int(kept.size()) - 1; i >= 0; --i)
        expected.append(texts.at(kept.at(i)));
    QStringList remaining;
    const QList<SkillVersion> versions = store->history().versions(path).value();
    for (const SkillVersion &version : versions)
        remaining.append(store->history().text(version.id).value());
    QCOMPARE(remaining, expected);
}

void SkillHistoryTest::capDropsOldestFirst()
{
    auto store = openMemoryStore();
    QVERIFY(store);
    const QDateTime now = QDateTime::currentDateTimeUtc();
    // Texts that do not compress, so each takes about its size.
    auto noise = [](int seed) {
        QString text;
        quint32 x = quint32(seed) * 2654435761U + 1;
        for (int i = 0; i < 4000; ++i) {
            x = x * 1664525U + 1013904223U;
            text.append(QChar(u'a' + (x >> 24) % 26));
        }
        return text;
    };
    const QStringList files { u"/a.md"_s, u"/b.md"_s };
    qint64 oldest = 0;
    for (int i = 0; i < 6; ++i) {
        store->setClock([&] { return now.addSecs(i); });
        store->recordVersion(files.at(i % 2), noise(i), VersionSource::ChangedOnDisk);
        QVERIFY(store->save());
        if (i == 0)
            oldest = store->history().spaceUsed().value();
    }
    const qint64 full = store->history().spaceUsed().value();
    store->setHistoryCap(full - oldest + 64); // room for all but the oldest
    store->setClock([&] { return now.addSecs(10); });
    store->recordVersion(u"/c.md"_s, u"small"_s, VersionSource::Created);
    QVERIFY(store->save());
    QCOMPARE(store->history().versions(files.at(0)).value().size(), 2); // the oldest went
    QCOMPARE(store->history().versions(files.at(1)).value().size(), 3);
    QVERIFY(store->history().spaceUsed().value() <= store->historyCap());

    // A cap nothing fits under still keeps every file's newest version.
    store->setHistoryCap(1);
    store->recordVersion(u"/c.md"_s, u"smaller"_s, VersionSource::EditedInQuire);
    QVERIFY(store->save());
    for (const QString &file : { files.at(0), files.at(1), u"/c.md"_s })
        QCOMPARE(store->history().versions(file).value().size(), 1);
    QCOMPARE(textOf(*store, 0, files.at(1)), noise(5));
}

void SkillHistoryTest::removedFileKeepsItsText()
{
    auto store = openMemoryStore();
    QVERIFY(store);
    const QString text = u"---\nname: pdf\n---\nNever changed.\n"_s;
    Skill::Seed seed = skillSeed(path);
    seed.content = u"Never changed."_s;
    seed.fileText = text;
    Skill *skill = addSkill(*store, seed);
    Skill *other = addSkill(*store, skillSeed(u"/skills/other/SKILL.md"_s));
    QVERIFY(store->save());
    QCOMPARE(store->history().removedFiles().value().size(), 0);

    store->remove(skill);
    QVERIFY(store->save());
    QCOMPARE(textOf(*store, 0), text);
    const auto removed = store->history().removedFiles().value();
    QCOMPARE(removed.size(), 1);
    QCOMPARE(removed.first().path, path);
    QVERIFY(store->skillByResolvedPath(other->resolvedPath()));
}

void SkillHistoryTest::upgradedStoreStartsHistories()
{
    FakeHome home;
    QVERIFY(writeOlderStore(home.storePath(), u"1.0.0"_s));
    auto store = openStoreAt(home.storePath());
    QVERIFY(store);
    const QList<Skill *> skills = store->skillsByName();
    QCOMPARE(skills.size(), 2);
    QVERIFY(skills[0]->isFavorite());
    QCOMPARE(store->collectionsBySortOrder().size(), 2);
    QCOMPARE(store->collectionsBySortOrder().first()->skills(), skills);

    // A record written before histories existed knows only its body, which
    // then stands for the replaced text.
    const QString before = skills[0]->content();
    setText(skills[0], u"# Brag sheet\n\nNew text."_s, VersionSource::EditedInQuire);
    QVERIFY(store->save());
    QCOMPARE(sources(*store, skills[0]->resolvedPath()),
        (QStringList { u"Edited in Quire"_s, u"Changed on disk"_s }));
    QCOMPARE(textOf(*store, 1, skills[0]->resolvedPath()), before);
}

QTEST_GUILESS_MAIN(SkillHistoryTest)
#include "tst_skillhistory.moc"
