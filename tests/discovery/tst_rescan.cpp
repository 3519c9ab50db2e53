#include "fakehome.h"
#include "memorystore.h"
#include "settingsstore.h"
#include "skill.h"
#include "skillscanner.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QTest>

#include <algorithm>

#include <sys/stat.h>

using namespace Qt::StringLiterals;

// A rescan trusts a file it has seen settled and unchanged, and reads again
// every other one. The scanner's clock is set from the file's own change time,
// so "a moment ago" and "long settled" never depend on how fast the test runs.
class RescanTest final : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void readAgainOnlyWhenNeeded_data();
    void readAgainOnlyWhenNeeded();
};

namespace {

enum Change { Nothing, SameSizeNewText, SecondRoute };

// The later of the file's modification and status-change times.
QDateTime lastChange(const QString &path)
{
    struct stat info
    {
    };
    if (::stat(QFile::encodeName(path).constData(), &info) != 0)
        return {};
    const auto ms
        = [](const struct timespec &t) { return qint64(t.tv_sec) * 1000 + t.tv_nsec / 1'000'000; };
    return QDateTime::fromMSecsSinceEpoch(std::max(ms(info.st_mtim), ms(info.st_ctim)), Qt::UTC);
}

} // namespace

void RescanTest::readAgainOnlyWhenNeeded_data()
{
    QTest::addColumn<int>("change");
    // Each scan's clock, in seconds after the file's last change: within two
    // seconds the file counts as changed a moment ago.
    QTest::addColumn<int>("firstAfter");
    QTest::addColumn<int>("secondAfter");
    QTest::addColumn<int>("read");
    QTest::addColumn<int>("unchanged");
    QTest::addColumn<QByteArray>("content");
    const QByteArray first = "First body.";
    QTest::newRow("settled and unchanged: skipped")
        << int(Nothing) << 3600 << 3600 << 0 << 1 << first;
    QTest::newRow("first read a moment after writing: read again")
        << int(Nothing) << 1 << 3600 << 1 << 0 << first;
    QTest::newRow("changed a moment before the rescan: read again")
        << int(Nothing) << 3600 << 1 << 1 << 0 << first;
    QTest::newRow("new text of the same size, old date put back: read again")
        << int(SameSizeNewText) << 3600 << 3600 << 1 << 0 << QByteArray("Other body.");
    QTest::newRow("second route to a settled file: both skipped, route kept")
        << int(SecondRoute) << 3600 << 3600 << 0 << 2 << first;
}

void RescanTest::readAgainOnlyWhenNeeded()
{
    QFETCH(int, change);
    QFETCH(int, firstAfter);
    QFETCH(int, secondAfter);
    QFETCH(int, read);
    QFETCH(int, unchanged);
    QFETCH(QByteArray, content);

    FakeHome home(FakeHome::Store::Memory);
    std::unique_ptr<ModelContext> store = openMemoryStore();
    QVERIFY(store);
    SettingsStore settings(home.settingsPath());
    const QByteArray header = "---\nname: pdf\ndescription: Reads PDFs\n---\n";
    const QString file = home.write(u".claude/skills/pdf/SKILL.md"_s, header + "First body.");
    QVERIFY(!file.isEmpty());
    QVERIFY(FakeHome::age(file));

    SkillScanner scanner(store.get(), &settings);
    scanner.setClock([&] { return lastChange(file).addSecs(firstAfter); });
    scanner.scanAll();
    QCOMPARE(scanner.counts().filesRead, 1);

    const QDateTime modified = QFileInfo(file).lastModified();
    QStringList routes { file };
    switch (change) {
    case SameSizeNewText: {
        QFile rewritten(file);
        QVERIFY(rewritten.open(QIODevice::WriteOnly | QIODevice::Truncate));
        QCOMPARE(rewritten.write(header + content), qint64(header.size() + content.size()));
        rewritten.close(); // written out first, or the close would move the date again
        QFile dated(file);
        QVERIFY(dated.open(QIODevice::ReadWrite));
        QVERIFY(dated.setFileTime(modified, QFileDevice::FileModificationTime));
        break;
    }
    case SecondRoute:
        QVERIFY(QDir().mkpath(home.path(u".agents/skills"_s)));
        QVERIFY(QFile::link(QFileInfo(file).path(), home.path(u".agents/skills/pdf"_s)));
        routes.prepend(home.path(u".agents/skills/pdf/SKILL.md"_s));
        break;
    default:
        break;
    }
    QCOMPARE(QFileInfo(file).lastModified(), modified);

    scanner.resetCounts();
    scanner.setClock([&] { return lastChange(file).addSecs(secondAfter); });
    scanner.scanAll();
    QVERIFY(scanner.lastSave());
    QCOMPARE(scanner.counts().filesRead, read);
    QCOMPARE(scanner.counts().unchanged, unchanged);

    QCOMPARE(store->skillCount(), 1);
    const Skill *skill = store->skillByResolvedPath(QFileInfo(file).canonicalFilePath());
    QVERIFY(skill);
    QCOMPARE(skill->content(), QString::fromUtf8(content));
    QStringList installed = skill->installedPaths();
    installed.sort();
    routes.sort();
    QCOMPARE(installed, routes);
}

QTEST_GUILESS_MAIN(RescanTest)
#include "tst_rescan.moc"
