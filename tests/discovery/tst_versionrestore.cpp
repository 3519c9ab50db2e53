#include "fakehome.h"
#include "memorystore.h"
#include "settingsstore.h"
#include "skillscanner.h"
#include "versiondiff.h"
#include "versionrestore.h"

#include <QFile>
#include <QFileInfo>
#include <QTest>

using namespace Qt::StringLiterals;

// Versions as scans find them, written back through the conflict check, and
// the differences shown between them.
class VersionRestoreTest final : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void scansRecordChangesOnly();
    void restore_data();
    void restore();
    void unifiedDiff_data();
    void unifiedDiff();
    void changedWords();
};

namespace {

const QByteArray first = "---\nname: pdf\ndescription: Reads PDFs\n---\n\n# PDF\nFirst body.\n";
const QByteArray second = "---\nname: pdf\ndescription: Reads PDFs\n---\n\n# PDF\nSecond body.\n";

struct Scanned
{
    FakeHome home { FakeHome::Store::Memory };
    std::unique_ptr<ModelContext> store = openMemoryStore();
    SettingsStore settings { home.settingsPath() };
    SkillScanner scanner { store.get(), &settings };
    QString file;

    Scanned()
    {
        // Far from every file's time: no file counts as changed a moment ago.
        scanner.setClock([] { return QDateTime::currentDateTimeUtc().addDays(1); });
        file = QFileInfo(home.write(u".claude/skills/pdf/SKILL.md"_s, first)).canonicalFilePath();
        scanner.scanAll();
    }
    void rewrite(const QByteArray &bytes)
    {
        QFile out(file);
        if (out.open(QIODevice::WriteOnly | QIODevice::Truncate))
            out.write(bytes);
    }
    QStringList sources() const
    {
        QStringList out;
        const QList<SkillVersion> versions = store->history().versions(file).value();
        for (const SkillVersion &version : versions)
            out.append(SkillHistory::sourceText(version.source));
        return out;
    }
    qint64 versionId(int index) const
    {
        return store->history().versions(file).value().at(index).id;
    }
};

enum Before { Untouched, ChangedUnrecorded, Removed, RemovedAndReplaced };

} // namespace

void VersionRestoreTest::scansRecordChangesOnly()
{
    Scanned s;
    QVERIFY(s.store->history().versions(s.file).value().isEmpty());
    s.scanner.scanAll(); // nothing changed: nothing recorded
    QVERIFY(s.store->history().versions(s.file).value().isEmpty());

    s.rewrite(second);
    s.scanner.scanAll();
    QVERIFY(s.scanner.lastSave());
    QCOMPARE(s.sources(), (QStringList { u"Changed on disk"_s, u"Changed on disk"_s }));
    QCOMPARE(s.store->history().text(s.versionId(1)).value(), QString::fromUtf8(first));
    QCOMPARE(s.store->history().text(s.versionId(0)).value(), QString::fromUtf8(second));
    s.scanner.scanAll();
    QCOMPARE(s.sources().size(), 2);
}

void VersionRestoreTest::restore_data()
{
    QTest::addColumn<int>("before");
    QTest::addColumn<bool>("force");
    QTest::addColumn<bool>("restored");
    QTest::addColumn<QStringList>("sources"); // newest first, after the restore
    const QString disk = u"Changed on disk"_s;
    const QString back = u"Restored"_s;
    QTest::newRow("file as Quire last read it")
        << int(Untouched) << false << true << QStringList { back, disk, disk };
    QTest::newRow("unrecorded change: refused, file left")
        << int(ChangedUnrecorded) << false << false << QStringList { disk, disk };
    QTest::newRow("unrecorded change, forced: kept in the history first")
        << int(ChangedUnrecorded) << true << true << QStringList { back, disk, disk, disk };
    QTest::newRow("removed file written back")
        << int(Removed) << false << true << QStringList { back, disk, disk };
    QTest::newRow("removed, then a new file there: refused")
        << int(RemovedAndReplaced) << false << false << QStringList { disk, disk };
}

void VersionRestoreTest::restore()
{
    QFETCH(int, before);
    QFETCH(bool, force);
    QFETCH(bool, restored);
    QFETCH(QStringList, sources);

    Scanned s;
    s.rewrite(second);
    s.scanner.scanAll();
    const qint64 wanted = s.versionId(1); // the first text
    const QByteArray third = "# Someone else's text\n";
    if (before == ChangedUnrecorded)
        s.rewrite(third);
    if (before == Removed || before == RemovedAndReplaced) {
        QVERIFY(QFile::remove(s.file));
        s.scanner.pruneMissingSkills();
        QVERIFY(!s.store->skillByResolvedPath(s.file));
        QCOMPARE(s.store->history().removedFiles().value().size(), 1);
        if (before == RemovedAndReplaced)
            s.rewrite(third);
    }
    const QByteArray onDisk = FakeHome::read(s.file);

    const Status status = VersionRestore::restore(*s.store, s.file, wanted,
        force ? VersionRestore::Mode::KeepChangedAndRestore : VersionRestore::Mode::RefuseChanged);
    QCOMPARE(bool(status), restored);
    QCOMPARE(s.sources(), sources);
    if (!restored) {
        QCOMPARE(status.error().code, Error::Conflict);
        QCOMPARE(FakeHome::read(s.file), onDisk);
        return;
    }
    QCOMPARE(FakeHome::read(s.file), first);
    if (const Skill *skill = s.store->skillByResolvedPath(s.file))
        QCOMPARE(skill->content(), u"# PDF\nFirst body."_s);
    if (force)
        QCOMPARE(s.store->history().text(s.versionId(1)).value(), QString::fromUtf8(third));
    // The next scan finds the restored text already recorded.
    s.scanner.scanAll();
    QCOMPARE(s.sources(), sources);
    QVERIFY(s.store->skillByResolvedPath(s.file));
    QVERIFY(s.store->history().removedFiles().value().isEmpty());
}

void VersionRestoreTest::unifiedDiff_data()
{
    QTest::addColumn<QString>("before");
    QTest::addColumn<QString>("after");
    QTest::addColumn<QString>("diff");
    QTest::newRow("same text: nothing") << u"a\nb\n"_s << u"a\nb\n"_s << QString();
    QTest::newRow("one line changed") << u"a\nb\nc\n"_s << u"a\nB\nc\n"_s
                                      << u"--- old\n+++ new\n@@ -1,3 +1,3 @@\n a\n-b\n+B\n c\n"_s;
    QTest::newRow("line break added at the end")
        << u"a"_s << u"a\n"_s
        << u"--- old\n+++ new\n@@ -1,1 +1,1 @@\n-a\n\\ No newline at end of file\n+a\n"_s;
    QTest::newRow("from nothing") << QString() << u"x\n"_s
                                  << u"--- old\n+++ new\n@@ -0,0 +1,1 @@\n+x\n"_s;
}

void VersionRestoreTest::unifiedDiff()
{
    QFETCH(QString, before);
    QFETCH(QString, after);
    QFETCH(QString, diff);
    QCOMPARE(VersionDiff::unified(before, after, u"old"_s, u"new"_s), diff);
}

void VersionRestoreTest::changedWords()
{
    const auto [removed, added]
        = VersionDiff::changedWords(u"Use it for PDF files."_s, u"Use it for all PDF forms."_s);
    QCOMPARE(removed, (QList<VersionDiff::Span> { { 15, 5 } })); // "files"
    QCOMPARE(added, (QList<VersionDiff::Span> { { 11, 4 }, { 19, 5 } })); // "all ", "forms"
}

QTEST_GUILESS_MAIN(VersionRestoreTest)
#include "tst_versionrestore.moc"
