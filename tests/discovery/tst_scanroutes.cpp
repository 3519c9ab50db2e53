#include "fakehome.h"
#include "memorystore.h"
#include "settingsstore.h"
#include "skill.h"
#include "skillscanner.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QTest>

using namespace Qt::StringLiterals;

// A project's files are recorded under their real paths, whichever step of
// the way to them is a link: the scan directory, the project or a tool folder.
// And a scan that saves as it reads stores what a scan with one save stores.
class ScanRoutesTest final : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void resolvedThroughLinks_data();
    void resolvedThroughLinks();
    void savesAsItReads();
};

void ScanRoutesTest::resolvedThroughLinks_data()
{
    // Links as (where, relative to the home; target, relative to the home).
    QTest::addColumn<QStringList>("links");
    QTest::addColumn<QString>("scanDirectory");
    QTest::addColumn<QString>("route");
    QTest::newRow("no link") << QStringList() << u"work"_s
                             << u"work/app/.claude/skills/pdf/SKILL.md"_s;
    QTest::newRow("scan directory is a link") << QStringList { u"dirs"_s, u"work"_s } << u"dirs"_s
                                              << u"dirs/app/.claude/skills/pdf/SKILL.md"_s;
    QTest::newRow("project is a link")
        << QStringList { u"projects/app"_s, u"work/app"_s } << u"projects"_s
        << u"projects/app/.claude/skills/pdf/SKILL.md"_s;
    QTest::newRow("first step of the tool folder is a link")
        << QStringList { u"work/other/.claude"_s, u"work/app/.claude"_s } << u"work"_s
        << u"work/other/.claude/skills/pdf/SKILL.md"_s;
    QTest::newRow("last step of the tool folder is a link")
        << QStringList { u"work/other/.cursor/rules"_s, u"rules"_s } << u"work"_s
        << u"work/other/.cursor/rules/style.mdc"_s;
}

void ScanRoutesTest::resolvedThroughLinks()
{
    QFETCH(QStringList, links);
    QFETCH(QString, scanDirectory);
    QFETCH(QString, route);

    FakeHome home(FakeHome::Store::Memory);
    std::unique_ptr<ModelContext> store = openMemoryStore();
    QVERIFY(store);
    QVERIFY(!home.write(u"work/app/.claude/skills/pdf/SKILL.md"_s, "---\nname: pdf\n---\nBody.")
                 .isEmpty());
    QVERIFY(!home.write(u"rules/style.mdc"_s, "---\ndescription: tabs\n---\nUse tabs.").isEmpty());
    QVERIFY(QDir().mkpath(home.path(u"work/other"_s)));
    for (qsizetype i = 0; i + 1 < links.size(); i += 2) {
        const QString where = home.path(links.at(i));
        QVERIFY(QDir().mkpath(QFileInfo(where).path()));
        QVERIFY(QFile::link(home.path(links.at(i + 1)), where));
    }
    SettingsStore settings(home.settingsPath());
    QVERIFY(settings.setCustomScanPaths({ home.path(scanDirectory) }));

    SkillScanner scanner(store.get(), &settings);
    scanner.scanAll();
    QVERIFY(scanner.lastSave());

    const QString routePath = home.path(route);
    const QString real = QFileInfo(routePath).canonicalFilePath();
    QVERIFY(!real.isEmpty());
    const Skill *skill = store->skillByResolvedPath(real);
    QVERIFY2(skill, qPrintable(real));
    QVERIFY(skill->installedPaths().contains(routePath));
    QVERIFY(!skill->isGlobal());
}

void ScanRoutesTest::savesAsItReads()
{
    FakeHome home;
    QStringList bodies;
    for (int i = 0; i < 5; ++i) {
        bodies.append(u"Body %1."_s.arg(i).repeated(10 + i));
        QVERIFY(
            !home.write(u".claude/skills/s%1/SKILL.md"_s.arg(i),
                     "---\nname: s" + QByteArray::number(i) + "\n---\n" + bodies.last().toUtf8())
                 .isEmpty());
    }
    SettingsStore settings(home.settingsPath());
    {
        std::unique_ptr<ModelContext> store = openStoreAt(home.storePath());
        QVERIFY(store);
        SkillScanner scanner(store.get(), &settings);
        scanner.setSaveEvery(1); // a save after every file, each body let go
        scanner.scanAll();
        QVERIFY(scanner.lastSave());
        QVERIFY(!store->hasChanges());
        for (int i = 0; i < 5; ++i) {
            const Skill *skill = store->skillByResolvedPath(
                QFileInfo(home.path(u".claude/skills/s%1/SKILL.md"_s.arg(i))).canonicalFilePath());
            QVERIFY(skill);
            QCOMPARE(skill->content(), bodies.at(i)); // read back from the store
        }
    }
    std::unique_ptr<ModelContext> reopened = openStoreAt(home.storePath());
    QVERIFY(reopened);
    QCOMPARE(reopened->skillCount(), 5);
    for (const Skill *skill : reopened->skills())
        QVERIFY(bodies.contains(skill->content()));
}

QTEST_GUILESS_MAIN(ScanRoutesTest)
#include "tst_scanroutes.moc"
