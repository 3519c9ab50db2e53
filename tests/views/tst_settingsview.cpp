#include "appstate.h"
#include "buildinfo.h"
#include "contentview.h"
#include "discoverysession.h"
#include "fakehome.h"
#include "memorystore.h"
#include "settingsstore.h"
#include "settingsview.h"

#include <QComboBox>
#include <QSignalSpy>
#include <QTest>
#include <QTreeWidget>

#include <memory>

using namespace Qt::StringLiterals;

class SettingsViewTest final : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void init();
    void addTwiceIsOneEntryAndOneNotice();
    void removeAlwaysNotifies();
    void showingReloadsTheList();
    void versionText_data();
    void versionText();
    void defaultHarnessOutlivesTheWindow();
    void addedDirectoryIsScannedAtOnce();

private:
    QString settingsPath() const { return m_home->settingsPath(); }

    std::unique_ptr<FakeHome> m_home;
    std::unique_ptr<SettingsStore> m_settings;
};

void SettingsViewTest::init()
{
    m_settings.reset();
    m_home = std::make_unique<FakeHome>(FakeHome::Store::Memory);
    m_settings = std::make_unique<SettingsStore>(settingsPath());
}

void SettingsViewTest::addTwiceIsOneEntryAndOneNotice()
{
    SettingsView view(m_settings.get(), nullptr);
    QSignalSpy notices(m_settings.get(), &SettingsStore::customScanPathsChanged);
    QString chosen;
    view.setFolderChooser([&chosen](QWidget *) { return chosen; });
    QCOMPARE(view.customPaths(), QStringList()); // nothing stored yet

    view.addDirectory(); // cancelled
    QCOMPARE(notices.count(), 0);
    chosen = u"/Users/a/dev"_s;
    view.addDirectory();
    view.addDirectory();
    QCOMPARE(notices.count(), 1);
    QCOMPARE(m_settings->customScanPaths(), QStringList { chosen });
    chosen = u"/Users/a/other"_s;
    view.addDirectory();
    QCOMPARE(SettingsStore(settingsPath()).customScanPaths(),
        (QStringList { u"/Users/a/dev"_s, u"/Users/a/other"_s }));
    QCOMPARE(view.findChild<QTreeWidget *>()->topLevelItemCount(), 2);
}

void SettingsViewTest::removeAlwaysNotifies()
{
    m_settings->setCustomScanPaths({ u"/a"_s, u"/b"_s, u"/c"_s });
    SettingsView view(m_settings.get(), nullptr);
    QSignalSpy notices(m_settings.get(), &SettingsStore::customScanPathsChanged);
    view.removeDirectory(u"/b"_s);
    QCOMPARE(m_settings->customScanPaths(), (QStringList { u"/a"_s, u"/c"_s }));
    QCOMPARE(notices.count(), 1);
    view.removeDirectory(u"/nowhere"_s);
    QCOMPARE(notices.count(), 2);
    QCOMPARE(m_settings->customScanPaths(), (QStringList { u"/a"_s, u"/c"_s }));
}

void SettingsViewTest::showingReloadsTheList()
{
    SettingsView view(m_settings.get(), nullptr);
    SettingsStore(settingsPath()).setCustomScanPaths({ u"/from/a/terminal"_s });
    view.show();
    QVERIFY(QTest::qWaitForWindowExposed(&view));
    QCOMPARE(view.customPaths(), QStringList { u"/from/a/terminal"_s });
    QCOMPARE(view.findChild<QTreeWidget *>()->topLevelItem(0)->text(0), u"/from/a/terminal"_s);
}

void SettingsViewTest::versionText_data()
{
    QTest::addColumn<QString>("version");
    QTest::addColumn<QString>("build");
    QTest::addColumn<QString>("text");
    QTest::newRow("both") << u"1.4"_s << u"27"_s << u"1.4 (27)"_s;
    QTest::newRow("neither") << QString() << QString() << u"? (?)"_s;
    QTest::newRow("no build") << u"1.4"_s << QString() << u"1.4 (?)"_s;
    QTest::newRow("blank version") << u" "_s << u"27"_s << u"? (27)"_s;
}

void SettingsViewTest::versionText()
{
    QFETCH(QString, version);
    QFETCH(QString, build);
    QFETCH(QString, text);
    QCOMPARE(BuildInfo::versionText(version, build), text);
    QCoreApplication::setApplicationVersion(version);
    SettingsView view(m_settings.get(), nullptr);
    QCOMPARE(
        view.versionLine(), u"v"_s + BuildInfo::versionText(version, BuildInfo::buildNumber()));
}

void SettingsViewTest::defaultHarnessOutlivesTheWindow()
{
    {
        SettingsView view(m_settings.get(), nullptr);
        QCOMPARE(view.defaultTool(), ToolSource::Claude);
        auto *picker = view.findChild<QComboBox *>();
        picker->setFocus();
        picker->setCurrentIndex(picker->findText(u"Windsurf"_s));
        Q_EMIT picker->activated(picker->currentIndex());
    }
    QCOMPARE(SettingsStore(settingsPath()).defaultTool(), ToolSource::Windsurf);
    SettingsView reopened(m_settings.get(), nullptr);
    QCOMPARE(reopened.defaultTool(), ToolSource::Windsurf);
}

void SettingsViewTest::addedDirectoryIsScannedAtOnce()
{
    const QString projects = m_home->path(u"Development"_s);
    m_home->write(u"Development/app/.claude/skills/deploy/SKILL.md"_s,
        "---\nname: deploy\ndescription: Ships it\n---\nbody\n");

    AppState state;
    auto store = openMemoryStore();
    QVERIFY(store);
    ContentView window(&state, store.get(), m_settings.get(), nullptr);
    // Listening before the window shows: its first scan follows its first paint.
    QSignalSpy scanned(window.discovery(), &DiscoverySession::scanFinished);
    window.show();
    QTRY_VERIFY(window.discovery()->scanner());
    QTRY_COMPARE(scanned.count(), 1); // the first scan, before the directory is known
    QCOMPARE(store->skillCount(), 0);

    SettingsView view(m_settings.get(), nullptr);
    view.setFolderChooser([&projects](QWidget *) { return projects; });
    view.addDirectory();
    QCOMPARE(store->skillCount(), 1); // no wait: the notice runs the scan
    QCOMPARE(store->skills().first()->name(), u"deploy"_s);
}

QTEST_MAIN(SettingsViewTest)
#include "tst_settingsview.moc"
