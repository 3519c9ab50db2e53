#include "filewatcher.h"

#include <QDir>
#include <QFile>
#include <QTemporaryDir>
#include <QTest>

#include <memory>

using namespace Qt::StringLiterals;

namespace {

constexpr int eventTimeout = 5000;
// How long a change must stay unreported before we believe it never will be.
constexpr int silence = 600;

void writeFile(const QString &path)
{
    QFile file(path);
    QVERIFY2(file.open(QIODevice::WriteOnly | QIODevice::Append), qPrintable(path));
    file.write("x\n");
}

FileWatcher::Callback recordInto(const std::shared_ptr<QStringList> &calls)
{
    return [calls](const QString &path) { calls->append(path); };
}

} // namespace

class FileWatcherTest final : public QObject
{
    Q_OBJECT

private slots:
    void init();
    void watchesOnlyWhatExists();
    void reportsChangesToTheFolder_data();
    void reportsChangesToTheFolder();
    void ignoresOtherChangesAndReplacedPaths();
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
    QVERIFY(QFile::link(path(u"watched"_s), path(u"link"_s)));
    QVERIFY(QFile::link(path(u"gone"_s), path(u"dangling"_s)));
}

void FileWatcherTest::watchesOnlyWhatExists()
{
    FileWatcher watcher([](const QString &) {});
    watcher.watch({ path(u"other"_s), path(u"missing"_s), path(u"link"_s), path(u"dangling"_s),
        path(u"watched"_s) });
    QCOMPARE(watcher.watchedPaths(),
        (QStringList { path(u"other"_s), path(u"link"_s), path(u"watched"_s) }));
}

enum Change { Create, Rename, Delete };

void FileWatcherTest::reportsChangesToTheFolder_data()
{
    QTest::addColumn<QString>("given");
    QTest::addColumn<int>("change");
    QTest::newRow("file created") << u"watched"_s << int(Create);
    // The callback gets the spelling it was given, not a canonical one.
    QTest::newRow("given with a trailing slash") << u"watched/"_s << int(Create);
    QTest::newRow("folder renamed") << u"watched"_s << int(Rename);
    QTest::newRow("folder behind a link renamed") << u"link"_s << int(Rename);
    QTest::newRow("folder deleted") << u"watched"_s << int(Delete);
}

void FileWatcherTest::reportsChangesToTheFolder()
{
    QFETCH(QString, given);
    QFETCH(int, change);
    const QString watched = m_home->path() + u'/' + given;
    const auto calls = std::make_shared<QStringList>();
    FileWatcher watcher(recordInto(calls));
    watcher.watch({ path(u"other"_s), watched }); // the other folder must stay quiet

    if (change == Create)
        writeFile(path(u"watched/new.md"_s));
    else if (change == Rename)
        QVERIFY(QDir(m_home->path()).rename(u"watched"_s, u"moved"_s));
    else
        QVERIFY(QDir(path(u"watched"_s)).removeRecursively());
    QTRY_VERIFY_WITH_TIMEOUT(!calls->isEmpty(), eventTimeout);
    QTest::qWait(silence);
    QCOMPARE(QSet<QString>(calls->cbegin(), calls->cend()), QSet<QString> { watched });
}

void FileWatcherTest::ignoresOtherChangesAndReplacedPaths()
{
    const auto calls = std::make_shared<QStringList>();
    FileWatcher watcher(recordInto(calls));
    watcher.watch({ path(u"watched"_s), path(u"other"_s) });
    watcher.watch({ path(u"watched"_s) });
    QCOMPARE(watcher.watchedPaths(), QStringList { path(u"watched"_s) });

    writeFile(path(u"other/new.md"_s));
    writeFile(path(u"watched/sub/new.md"_s));
    writeFile(path(u"watched/sub/subsub/deeper.md"_s));
    writeFile(path(u"beside.md"_s));
    QTest::qWait(silence);
    QCOMPARE(*calls, QStringList());

    // The silence above means something only while the watch is alive.
    writeFile(path(u"watched/new.md"_s));
    QTRY_COMPARE_WITH_TIMEOUT(*calls, QStringList { path(u"watched"_s) }, eventTimeout);
}

void FileWatcherTest::nothingRunsAfterWatchingEnds()
{
    const auto calls = std::make_shared<QStringList>();
    std::unique_ptr<FileWatcher> watchers[4];
    for (int i = 0; i < 4; ++i) {
        QVERIFY(QDir(m_home->path()).mkdir(QString::number(i)));
        watchers[i] = std::make_unique<FileWatcher>(recordInto(calls));
        watchers[i]->watch({ path(QString::number(i)) });
    }
    // Watchers 0 and 1 end while a callback is due, 2 and 3 before the event is read.
    writeFile(path(u"0/new.md"_s));
    writeFile(path(u"1/new.md"_s));
    QTest::qWait(30);
    writeFile(path(u"2/new.md"_s));
    writeFile(path(u"3/new.md"_s));
    watchers[0].reset();
    watchers[1]->stopAll();
    watchers[2].reset();
    watchers[3]->stopAll();
    QTest::qWait(silence);
    QCOMPARE(*calls, QStringList());
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
    // What the folder held at each call.
    auto seen = std::make_shared<QList<QStringList>>();
    FileWatcher watcher(
        [seen](const QString &path) { seen->append(QDir(path).entryList(QDir::Files)); });
    watcher.watch({ path(u"other"_s) });

    // Spaced so that changes land both inside and across coalescing windows.
    QStringList created;
    for (int i = 0; i < 12; ++i) {
        created.append(u"file%1.md"_s.arg(i, 2, 10, QChar(u'0')));
        writeFile(path(u"other/"_s + created.last()));
        QTest::qWait(i % 3 == 0 ? 5 : 30);
    }
    QTRY_VERIFY_WITH_TIMEOUT(!seen->isEmpty() && seen->last() == created, eventTimeout);
}

QTEST_GUILESS_MAIN(FileWatcherTest)
#include "tst_filewatcher.moc"
