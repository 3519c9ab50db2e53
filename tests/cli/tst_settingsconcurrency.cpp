#include "fakehome.h"
#include "quirerun.h"
#include "settingsstore.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QTest>

#include <thread>
#include <vector>

using namespace Qt::StringLiterals;

class SettingsConcurrencyTest final : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void removedEntriesStayRemoved();
    void untrustedFileIsNeverRewritten_data();
    void untrustedFileIsNeverRewritten();
    void relativeEntriesAreSkippedWithAWarning();
    void sameSizeRewriteIsRead();
};

namespace {

QStringList makeFolders(const FakeHome &home, const QString &prefix, int count)
{
    QStringList folders;
    for (int i = 0; i < count; ++i) {
        folders.append(home.path(u"%1-%2"_s.arg(prefix).arg(i)));
        QDir().mkpath(folders.last());
    }
    return folders;
}

// Every loop runs in its own thread, all at once, each command after the one before.
std::vector<std::vector<QuireRun>> runLoops(
    const std::vector<std::vector<QStringList>> &loops, const QProcessEnvironment &environment)
{
    std::vector<std::vector<QuireRun>> runs(loops.size());
    std::vector<std::thread> threads;
    for (std::size_t i = 0; i < loops.size(); ++i) {
        threads.emplace_back([&, i] {
            for (const QStringList &arguments : loops[i])
                runs[i].push_back(runQuire(arguments, environment));
        });
    }
    for (std::thread &thread : threads)
        thread.join();
    return runs;
}

std::vector<QStringList> commands(const QString &action, const QStringList &folders)
{
    std::vector<QStringList> loop;
    for (const QString &folder : folders)
        loop.push_back({ u"dirs"_s, action, folder });
    return loop;
}

QStringList sorted(QStringList list)
{
    list.sort();
    return list;
}

} // namespace

// Removes and adds race: a lost update shows as an entry back or one missing.
void SettingsConcurrencyTest::removedEntriesStayRemoved()
{
    const FakeHome home;
    const QStringList removed = makeFolders(home, u"old"_s, 10);
    const QStringList added = makeFolders(home, u"new"_s, 10);
    QVERIFY(SettingsStore(home.settingsPath()).setCustomScanPaths(removed));
    const auto runs = runLoops(
        { commands(u"remove"_s, removed), commands(u"add"_s, added) }, home.environment());
    for (const auto &loop : runs) {
        for (const QuireRun &run : loop)
            QVERIFY2(run.code == 0, run.err.constData());
    }
    QCOMPARE(sorted(SettingsStore(home.settingsPath()).customScanPaths()), sorted(added));
}

void SettingsConcurrencyTest::untrustedFileIsNeverRewritten_data()
{
    QTest::addColumn<QByteArray>("text"); // empty: Quire.conf is a folder
    QTest::addColumn<QByteArray>("reason");
    // QSettings would read the é as U+FFFD and write that back for good.
    QTest::newRow("not UTF-8") << "[General]\ncustomScanPaths=/a, /caf\xe9\n"_ba
                               << "UTF-8"_ba;
    QTest::newRow("unparsable line") << "[General]\ncustomScanPaths=/a\nhand typed note\n"_ba
                                     << "cannot read"_ba;
    QTest::newRow("a folder") << QByteArray() << "Cannot read"_ba;
}

void SettingsConcurrencyTest::untrustedFileIsNeverRewritten()
{
    QFETCH(QByteArray, text);
    QFETCH(QByteArray, reason);
    const FakeHome home;
    const QString folder = makeFolders(home, u"projects"_s, 1).constFirst();
    if (text.isEmpty())
        QVERIFY(QDir().mkpath(home.settingsPath()));
    else
        QVERIFY(home.writeSettings(text));

    for (const QStringList &arguments :
        { QStringList { u"dirs"_s, u"add"_s, folder }, QStringList { u"dirs"_s, u"list"_s } }) {
        const QuireRun run = home.quire(arguments);
        QCOMPARE(run.code, 1);
        QVERIFY2(run.err.contains(reason), run.err.constData());
        QVERIFY(run.out.isEmpty());
    }
    if (text.isEmpty())
        QVERIFY(QFileInfo(home.settingsPath()).isDir());
    else
        QCOMPARE(FakeHome::read(home.settingsPath()), text);
}

void SettingsConcurrencyTest::relativeEntriesAreSkippedWithAWarning()
{
    const FakeHome home;
    const QString folder = makeFolders(home, u"projects"_s, 1).constFirst();
    QVERIFY(home.writeSettings("[General]\ncustomScanPaths=/abs/one, rel/two, ~/three\n"));

    const QuireRun list = home.quire({ u"dirs"_s, u"list"_s });
    QCOMPARE(list.code, 0);
    QCOMPARE(list.out, "/abs/one\n"_ba);
    QCOMPARE(list.err.count("warning"), 2);
    QVERIFY(list.err.contains("\"rel/two\"") && list.err.contains("\"~/three\""));

    // The hand-typed entries keep their place until removed by their exact text.
    QCOMPARE(home.quire({ u"dirs"_s, u"add"_s, folder }).code, 0);
    QCOMPARE(home.quire({ u"dirs"_s, u"remove"_s, u"rel/two"_s }).code, 0);
    QVERIFY(FakeHome::read(home.settingsPath()).contains("customScanPaths=/abs/one, ~/three, "));
}

void SettingsConcurrencyTest::sameSizeRewriteIsRead()
{
    // Another process's rewrite of the same length within one tick of the
    // clock looks unchanged by size and time; the read must still see it.
    const FakeHome home;
    SettingsStore store(home.settingsPath());
    QVERIFY(store.setCustomScanPaths({ u"/one"_s }));
    QCOMPARE(store.customScanPaths(), QStringList { u"/one"_s });
    QFile file(home.settingsPath());
    const QDateTime written = QFileInfo(file).lastModified();
    QVERIFY(file.open(QIODevice::ReadWrite));
    const QByteArray other = file.readAll().replace("/one", "/two");
    QVERIFY(file.seek(0) && file.write(other) == other.size());
    QVERIFY(file.setFileTime(written, QFileDevice::FileModificationTime));
    file.close();
    QCOMPARE(store.customScanPaths(), QStringList { u"/two"_s });
}

QTEST_GUILESS_MAIN(SettingsConcurrencyTest)
#include "tst_settingsconcurrency.moc"
