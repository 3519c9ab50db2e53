#include "fakehome.h"
#include "settingsstore.h"

#include <QFile>
#include <QSignalSpy>
#include <QTest>

using namespace Qt::StringLiterals;

class SettingsStoreTest final : public QObject
{
    Q_OBJECT

private slots:
    void roundTrip_data();
    void roundTrip();
    void storedText_data();
    void storedText();
    void everyWritePostsAfterWriting();
    void defaultPathFollowsXdgConfigHome();
};

void SettingsStoreTest::roundTrip_data()
{
    QTest::addColumn<QStringList>("paths");
    QTest::newRow("none") << QStringList();
    QTest::newRow("one") << QStringList { u"/home/me/code"_s };
    QTest::newRow("one with a comma") << QStringList { u"/home/me/a, b"_s };
    QTest::newRow("one that looks typed") << QStringList { u"/@Invalid()"_s };
    QTest::newRow("many") << QStringList { u"/a"_s, u"/with space/x"_s, u"/comma,inside"_s,
        u"/quote\"s'"_s, u"/ünï/コード"_s, u"/semi;colon"_s, u"/eq=sign"_s, u"/back\\slash"_s,
        u"/trailing "_s, u"/@at"_s, u"/#hash"_s };
}

void SettingsStoreTest::roundTrip()
{
    QFETCH(QStringList, paths);
    const FakeHome home;
    const QString written = home.path(u"written/Quire.conf"_s);
    {
        SettingsStore store(written);
        QVERIFY(store.setCustomScanPaths(paths));
    }
    // A copy under a new name is read from disk, as another process would, not
    // from the in-process cache QSettings keeps per file.
    const QString copy = home.path(u"copy.conf"_s);
    QVERIFY(QFile::copy(written, copy));
    QCOMPARE(SettingsStore(copy).customScanPaths(), paths);
    QCOMPARE(SettingsStore(written).customScanPaths(), paths);
}

void SettingsStoreTest::storedText_data()
{
    QTest::addColumn<QByteArray>("text");
    QTest::addColumn<QStringList>("expected");
    QTest::newRow("no file") << QByteArray() << QStringList();
    QTest::newRow("other keys only") << "[General]\nother=1\n"_ba << QStringList();
    QTest::newRow("number") << "[General]\ncustomScanPaths=5\n"_ba << QStringList();
    QTest::newRow("word") << "[General]\ncustomScanPaths=true\n"_ba << QStringList();
    QTest::newRow("empty text") << "[General]\ncustomScanPaths=\n"_ba << QStringList();
    QTest::newRow("typed number")
        << "[General]\ncustomScanPaths=@Variant(\\0\\0\\0\\x2\\0\\0\\0\\x5)\n"_ba << QStringList();
    QTest::newRow("bytes") << "[General]\ncustomScanPaths=@ByteArray(/a)\n"_ba << QStringList();
    QTest::newRow("bare absolute path")
        << "[General]\ncustomScanPaths=/a/b\n"_ba << QStringList { u"/a/b"_s };
    QTest::newRow("list") << "[General]\ncustomScanPaths=/a, \"/b,c\"\n"_ba
                          << QStringList { u"/a"_s, u"/b,c"_s };
}

void SettingsStoreTest::storedText()
{
    QFETCH(QByteArray, text);
    QFETCH(QStringList, expected);
    const FakeHome home;
    const QString path
        = text.isEmpty() ? home.path(u"Quire.conf"_s) : home.write(u"Quire.conf"_s, text);
    QCOMPARE(SettingsStore(path).customScanPaths(), expected);
}

void SettingsStoreTest::everyWritePostsAfterWriting()
{
    const FakeHome home;
    const QString path = home.path(u"Quire.conf"_s);
    SettingsStore store(path);
    QSignalSpy spy(&store, &SettingsStore::customScanPathsChanged);
    QByteArray onDiskAtPost;
    connect(&store, &SettingsStore::customScanPathsChanged, this, [&] {
        QFile file(path);
        if (file.open(QIODevice::ReadOnly))
            onDiskAtPost = file.readAll();
    });

    store.setCustomScanPaths({ u"/one/folder"_s });
    QCOMPARE(spy.count(), 1);
    QVERIFY(onDiskAtPost.contains("/one/folder"));
    store.setCustomScanPaths({ u"/one/folder"_s });
    QCOMPARE(spy.count(), 2);
    store.setCustomScanPaths({});
    QCOMPARE(spy.count(), 3);
    QVERIFY(!onDiskAtPost.contains("/one/folder"));
}

void SettingsStoreTest::defaultPathFollowsXdgConfigHome()
{
    const FakeHome home;
    QCOMPARE(SettingsStore::defaultPath(), home.settingsPath());
}

QTEST_GUILESS_MAIN(SettingsStoreTest)
#include "tst_settingsstore.moc"
