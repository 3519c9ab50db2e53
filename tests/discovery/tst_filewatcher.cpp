#include "filewatcher.h"

#include <QDir>
#include <QFile>
#include <QTemporaryDir>
#include <QTest>
#include <functional>
#include <memory>

using namespace Qt::StringLiterals;

// A change made to the fake home; receives the home's path.
using Change = std::function<void(const QString &home)>;
Q_DECLARE_METATYPE(Change)

namespace {

constexpr int eventTimeout = 5000;
// How long a change must stay unreported before we believe it never will be.
constexpr int silence = 600;

void writeFile(const QString &path, const QByteArray &bytes = "x\n")
{
    QFile file(path);
    QVERIFY2(file.open(QIODevice::WriteOnly | QIODevice::Append), qPrintable(path));
    file.write(bytes);
}

// What each callback call was given, and what the folder held at that moment.
struct Calls
{
    QStringList paths;
    QList<QStringList> entries;
};

FileWatcher::Callback recordInto(const std::shared_ptr<Calls> &calls)
{
    return [calls](const QString &path) {
        calls->paths.append(path);
        calls->entries.append(QDir(path).entryList(QDir::Files | QDir::NoDotAndDotDot));
    };
}

} // namespace

class FileWatcherTest final : public QObject
{
    Q_OBJECT

private slots:
    void init();
    void watchesOnlyWhatExists_data();
    void watchesOnlyWhatExists();
    void watchReplacesTheEarlierList();
    void reportsChangesToTheFolder_data();
    void reportsChangesToTheFolder();
    void ignoresOtherChanges_data();
    void ignoresOtherChanges();
    void deletedFolderIsNotWatchedAgain();
    void nothingRunsAfterWatchingEnds_data();
    void nothingRunsAfterWatchingEnds();
    void callbackMayDestroyTheWatcher();
    void lastChangeOfABurstIsReported();

private:
    QString path(const QString &relative) const { return m_home->filePath(relative); }

    std::unique_ptr<QTemporaryDir> m_home;
};

void FileWatcherTest::init()
{
    m_home = std::make_unique<QTemporaryDir>();
    QVERIFY(m_home->isValid());
    QVERIFY(QDir(m_home->path()).mkpath(u"watched/sub/subsub"_s));
    QVERIFY(QDir(m_home->path()).mkpath(u"other"_s));
    writeFile(path(u"watched/existing.md"_s));
    writeFile(path(u"watched/sub/deep.md"_s));
    writeFile(path(u"watched/sub/subsub/deeper.md"_s));
    QVERIFY(QFile::link(path(u"watched"_s), path(u"link"_s)));
    QVERIFY(QFile::link(path(u"gone"_s), path(u"dangling"_s)));
}

void FileWatcherTest::watchesOnlyWhatExists_data()
{
    QTest::addColumn<QStringList>("given");
    QTest::addColumn<QStringList>("watched");
    QTest::newRow("empty list") << QStringList() << QStringList();
    QTest::newRow("missing folder skipped, order kept") << QStringList { u"other"_s, u"missing"_s,
        u"watched"_s } << QStringList { u"other"_s, u"watched"_s };
    QTest::newRow("link to a folder") << QStringList { u"link"_s } << QStringList { u"link"_s };
    QTest::newRow("dangling link") << QStringList { u"dangling"_s } << QStringList();
}

void FileWatcherTest::watchesOnlyWhatExists()
{
    QFETCH(QStringList, given);
    QFETCH(QStringList, watched);
    QStringList givenPaths;
    for (const QString &name : std::as_const(given))
        givenPaths.append(path(name));
    QStringList watchedPaths;
    for (const QString &name : std::as_const(watched))
        watchedPaths.append(path(name));

    FileWatcher watcher([](const QString &) {});
    watcher.watch(givenPaths);
    QCOMPARE(watcher.watchedPaths(), watchedPaths);
}

void FileWatcherTest::watchReplacesTheEarlierList()
{
    const auto calls = std::make_shared<Calls>();
    FileWatcher watcher(recordInto(calls));
    const QStringList both { path(u"watched"_s), path(u"other"_s) };
    watcher.watch(both);
    watcher.watch(both);
    QCOMPARE(watcher.watchedPaths(), both);

    watcher.watch({ path(u"other"_s) });
    writeFile(path(u"watched/new.md"_s));
    writeFile(path(u"other/new.md"_s));
    QTRY_VERIFY_WITH_TIMEOUT(!calls->paths.isEmpty(), eventTimeout);
    QTest::qWait(silence);
    QCOMPARE(calls->paths, QStringList { path(u"other"_s) });
}

void FileWatcherTest::reportsChangesToTheFolder_data()
{
    QTest::addColumn<QString>("given");
    QTest::addColumn<Change>("change");
    const Change createFile = [](const QString &home) { writeFile(home + u"/watched/new.md"_s); };
    QTest::newRow("file created") << u"watched"_s << createFile;
    QTest::newRow("file removed") << u"watched"_s << Change([](const QString &home) {
        QVERIFY(QFile::remove(home + u"/watched/existing.md"_s));
    });
    QTest::newRow("file renamed") << u"watched"_s << Change([](const QString &home) {
        QVERIFY(QFile::rename(home + u"/watched/existing.md"_s, home + u"/watched/renamed.md"_s));
    });
    QTest::newRow("folder renamed") << u"watched"_s << Change([](const QString &home) {
        QVERIFY(QDir(home).rename(u"watched"_s, u"moved"_s));
    });
    QTest::newRow("folder replaced") << u"watched"_s << Change([](const QString &home) {
        QVERIFY(QDir(home).rename(u"watched"_s, u"moved"_s));
        QVERIFY(QDir(home).mkdir(u"watched"_s));
    });
    QTest::newRow("folder behind a link renamed") << u"link"_s << Change([](const QString &home) {
        QVERIFY(QDir(home).rename(u"watched"_s, u"moved"_s));
    });
    QTest::newRow("folder deleted") << u"watched"_s << Change([](const QString &home) {
        QVERIFY(QDir(home + u"/watched"_s).removeRecursively());
    });
    QTest::newRow("empty folder deleted")
        << u"other"_s << Change([](const QString &home) { QVERIFY(QDir(home).rmdir(u"other"_s)); });
    // The callback gets the spelling it was given, not a canonical one.
    QTest::newRow("given with a trailing slash") << u"watched/"_s << createFile;
    QTest::newRow("given with a dot segment") << u"other/../watched"_s << createFile;
    QTest::newRow("through a link") << u"link"_s << createFile;
}

void FileWatcherTest::reportsChangesToTheFolder()
{
    QFETCH(QString, given);
    QFETCH(Change, change);
    const QString watched = m_home->path() + u'/' + given;
    // A bystander that must stay quiet, unless the change is made to it.
    const QString bystander = given == u"other"_s ? path(u"watched"_s) : path(u"other"_s);
    const auto calls = std::make_shared<Calls>();
    FileWatcher watcher(recordInto(calls));
    watcher.watch({ bystander, watched });

    change(m_home->path());
    QTRY_VERIFY_WITH_TIMEOUT(!calls->paths.isEmpty(), eventTimeout);
    QTest::qWait(silence);
    QCOMPARE(QSet<QString>(calls->paths.cbegin(), calls->paths.cend()), QSet<QString> { watched });
}

void FileWatcherTest::ignoresOtherChanges_data()
{
    QTest::addColumn<Change>("change");
    QTest::newRow("file in a subfolder written")
        << Change([](const QString &home) { writeFile(home + u"/watched/sub/deep.md"_s); });
    QTest::newRow("file in a subfolder created")
        << Change([](const QString &home) { writeFile(home + u"/watched/sub/new.md"_s); });
    QTest::newRow("file two folders down written") << Change(
        [](const QString &home) { writeFile(home + u"/watched/sub/subsub/deeper.md"_s); });
    QTest::newRow("file created beside the folder")
        << Change([](const QString &home) { writeFile(home + u"/beside.md"_s); });
    QTest::newRow("folder beside renamed")
        << Change([](const QString &home) { QVERIFY(QDir(home).rename(u"other"_s, u"moved"_s)); });
}

void FileWatcherTest::ignoresOtherChanges()
{
    QFETCH(Change, change);
    const auto calls = std::make_shared<Calls>();
    FileWatcher watcher(recordInto(calls));
    watcher.watch({ path(u"watched"_s) });

    change(m_home->path());
    QTest::qWait(silence);
    QCOMPARE(calls->paths, QStringList());

    // The silence above means something only while the watch is alive.
    writeFile(path(u"watched/new.md"_s));
    QTRY_COMPARE_WITH_TIMEOUT(calls->paths, QStringList { path(u"watched"_s) }, eventTimeout);
}

void FileWatcherTest::deletedFolderIsNotWatchedAgain()
{
    const auto calls = std::make_shared<Calls>();
    FileWatcher watcher(recordInto(calls));
    const QString watched = path(u"other"_s);
    watcher.watch({ watched });
    QVERIFY(QDir(m_home->path()).rmdir(u"other"_s));
    QTRY_VERIFY_WITH_TIMEOUT(!calls->paths.isEmpty(), eventTimeout);
    QTest::qWait(silence);
    calls->paths.clear();

    QVERIFY(QDir(m_home->path()).mkdir(u"other"_s));
    writeFile(path(u"other/new.md"_s));
    QTest::qWait(silence);
    QCOMPARE(calls->paths, QStringList());
    QCOMPARE(watcher.watchedPaths(), QStringList { watched });
}

void FileWatcherTest::nothingRunsAfterWatchingEnds_data()
{
    QTest::addColumn<bool>("destroy");
    QTest::addColumn<int>("delay");
    // Without a delay the event is still unread; with one, a callback is due.
    QTest::newRow("destroyed at once") << true << 0;
    QTest::newRow("destroyed while a callback is due") << true << 30;
    QTest::newRow("stopped at once") << false << 0;
    QTest::newRow("stopped while a callback is due") << false << 30;
}

void FileWatcherTest::nothingRunsAfterWatchingEnds()
{
    QFETCH(bool, destroy);
    QFETCH(int, delay);
    const auto called = std::make_shared<bool>(false);
    auto watcher = std::make_unique<FileWatcher>([called](const QString &) { *called = true; });
    watcher->watch({ path(u"watched"_s) });

    writeFile(path(u"watched/new.md"_s));
    if (delay > 0)
        QTest::qWait(delay);
    if (destroy)
        watcher.reset();
    else
        watcher->stopAll();
    QTest::qWait(silence);
    QVERIFY(!*called);
}

void FileWatcherTest::callbackMayDestroyTheWatcher()
{
    const auto calls = std::make_shared<QStringList>();
    // Carries on with what it captured and was given after destroying the
    // watcher, as a callback that replaces its watcher and then rescans would.
    auto owner = std::make_shared<std::unique_ptr<FileWatcher>>();
    *owner = std::make_unique<FileWatcher>([owner, calls](const QString &path) {
        owner->reset();
        calls->append(path);
    });
    (*owner)->watch({ path(u"watched"_s), path(u"other"_s) });

    writeFile(path(u"watched/new.md"_s));
    writeFile(path(u"other/new.md"_s));
    QTRY_VERIFY_WITH_TIMEOUT(!*owner, eventTimeout);
    QTest::qWait(silence);
    QCOMPARE(calls->size(), 1);
}

void FileWatcherTest::lastChangeOfABurstIsReported()
{
    const auto calls = std::make_shared<Calls>();
    FileWatcher watcher(recordInto(calls));
    watcher.watch({ path(u"other"_s) });

    // Spaced so that changes land both inside and across coalescing windows.
    QStringList created;
    for (int i = 0; i < 12; ++i) {
        created.append(u"file%1.md"_s.arg(i, 2, 10, QChar(u'0')));
        writeFile(path(u"other/"_s + created.last()));
        QTest::qWait(i % 3 == 0 ? 5 : 30);
    }
    QTRY_VERIFY_WITH_TIMEOUT(
        !calls->entries.isEmpty() && calls->entries.last() == created, eventTimeout);
}

QTEST_GUILESS_MAIN(FileWatcherTest)
#include "tst_filewatcher.moc"
