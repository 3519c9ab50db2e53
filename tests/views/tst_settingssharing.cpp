#include "discoverysession.h"
#include "fakehome.h"
#include "memorystore.h"
#include "quirerun.h"
#include "settingsstore.h"
#include "settingsview.h"

#include <QSignalSpy>
#include <QTest>

using namespace Qt::StringLiterals;

// The settings window and a window's discovery against a settings file that
// other processes read and write too.
class SettingsSharingTest final : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void windowNeverWritesWhatItCouldNotRead();
    void windowShowsSkippedEntries();
    void windowShowsAFailedWrite();
    void terminalAddReachesAWatchingSession();
};

// Which files cannot be read is the store's; here the window keeps its hands off.
void SettingsSharingTest::windowNeverWritesWhatItCouldNotRead()
{
    const QByteArray text = "[General]\ncustomScanPaths=/a, /caf\xe9\n"_ba;
    const QString reason = u"UTF-8"_s;
    const FakeHome home;
    QVERIFY(home.writeSettings(text));
    SettingsStore settings(home.settingsPath());
    SettingsView view(&settings, nullptr);
    QVERIFY2(view.message().contains(reason), qPrintable(view.message()));
    QCOMPARE(view.customPaths(), QStringList());

    // The empty list shown must not replace the one in the file.
    QSignalSpy notices(&settings, &SettingsStore::customScanPathsChanged);
    view.setFolderChooser([&home](QWidget *) { return home.path(); });
    view.addDirectory();
    view.removeDirectory(u"/a"_s);
    QCOMPARE(notices.count(), 0);
    QVERIFY(view.message().contains(reason));
    QCOMPARE(FakeHome::read(home.settingsPath()), text);
}

void SettingsSharingTest::windowShowsSkippedEntries()
{
    const FakeHome home;
    QVERIFY(home.writeSettings("[General]\ncustomScanPaths=/abs, rel/dir\n"));
    SettingsStore settings(home.settingsPath());
    SettingsView view(&settings, nullptr);
    QCOMPARE(view.customPaths(), QStringList { u"/abs"_s });
    QVERIFY2(view.message().contains(u"\"rel/dir\""_s), qPrintable(view.message()));
}

void SettingsSharingTest::windowShowsAFailedWrite()
{
    // The settings folder's place is taken by a file, so nothing can be written.
    const FakeHome home;
    const QString blocker = home.write(u"blocker"_s, "x");
    QVERIFY(!blocker.isEmpty());
    SettingsStore settings(blocker + u"/Quire.conf"_s);
    SettingsView view(&settings, nullptr);
    QVERIFY(view.message().isEmpty());
    QSignalSpy notices(&settings, &SettingsStore::customScanPathsChanged);
    view.setFolderChooser([&home](QWidget *) { return home.path(); });
    view.addDirectory();
    QCOMPARE(notices.count(), 0);
    QCOMPARE(view.customPaths(), QStringList());
    QVERIFY2(
        view.message().contains(u"Cannot write the settings file"_s), qPrintable(view.message()));
}

void SettingsSharingTest::terminalAddReachesAWatchingSession()
{
    const FakeHome home;
    const auto store = openMemoryStore();
    QVERIFY(store);
    SettingsStore settings(home.settingsPath());
    DiscoverySession session(store.get(), &settings);
    QSignalSpy finished(&session, &DiscoverySession::scanFinished);
    session.setUp();
    QVERIFY(finished.wait(5000));
    QCOMPARE(store->skillCount(), 0);

    QVERIFY(!home.write(u"work/p/.cursor/rules/r.md"_s, "---\nname: n\n---\n").isEmpty());
    QSignalSpy heard(&settings, &SettingsStore::customScanPathsChanged);
    const QuireRun added = home.quire({ u"dirs"_s, u"add"_s, home.path(u"work"_s) });
    QCOMPARE(added.code, 0);
    QTRY_COMPARE_WITH_TIMEOUT(store->skillCount(), 1, 5000);
    QCOMPARE(heard.count(), 1);
}

QTEST_MAIN(SettingsSharingTest)
#include "tst_settingssharing.moc"
