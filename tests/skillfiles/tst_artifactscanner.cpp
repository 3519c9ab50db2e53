#include "artifactcache.h"
#include "artifactscanner.h"

#include <QDir>
#include <QFile>
#include <QTemporaryDir>
#include <QTest>

#include <fcntl.h>
#include <sys/stat.h>

using namespace Qt::StringLiterals;

using Category = SkillArtifact::Category;

namespace {

void touch(const QString &root, const QString &relative)
{
    const QString path = root + u'/' + relative;
    QVERIFY(QDir().mkpath(QFileInfo(path).path()));
    QFile file(path);
    QVERIFY(file.open(QIODevice::WriteOnly));
}

QStringList relativePaths(const QList<SkillArtifact> &artifacts)
{
    QStringList paths;
    for (const SkillArtifact &artifact : artifacts)
        paths.append(artifact.relativePath);
    return paths;
}

} // namespace

class ArtifactScannerTest final : public QObject
{
    Q_OBJECT

private slots:
    void classification_data();
    void classification();
    void listing_data();
    void listing();
    void linksFollowedOncePerRealFolder();
    void sortedByCategoryKeepingWalkOrder();
    void rescanReusesOnlyAnUnchangedWalk_data();
    void rescanReusesOnlyAnUnchangedWalk();
};

void ArtifactScannerTest::classification_data()
{
    QTest::addColumn<QString>("relativePath");
    QTest::addColumn<Category>("category");
    QTest::addColumn<QString>("extension");
    QTest::newRow("folder rule before extension")
        << u"scripts/build.md"_s << Category::Script << u"md"_s;
    QTest::newRow("script extension") << u"tools/run.py"_s << Category::Script << u"py"_s;
    QTest::newRow("upper-case extension") << u"Tool.PY"_s << Category::Script << u"py"_s;
    QTest::newRow("config extension") << u"docs/api.json"_s << Category::Config << u"json"_s;
    QTest::newRow("prefs contains ref") << u"prefs/theme.txt"_s << Category::Reference << u"txt"_s;
    QTest::newRow("ref before rule") << u"rules/ref/a.md"_s << Category::Reference << u"md"_s;
    QTest::newRow("no extension in References")
        << u"References/notes"_s << Category::Reference << QString();
    QTest::newRow("rule folder before config extension")
        << u"a/rules/x.yaml"_s << Category::Rule << u"yaml"_s;
    QTest::newRow("top-level file") << u"README.md"_s << Category::Other << u"md"_s;
    QTest::newRow("last dot only") << u"archive.tar.GZ"_s << Category::Other << u"gz"_s;
    QTest::newRow("file name is not the folder") << u"script.txt"_s << Category::Other << u"txt"_s;
}

void ArtifactScannerTest::classification()
{
    QFETCH(QString, relativePath);
    QFETCH(Category, category);
    QFETCH(QString, extension);
    QTemporaryDir dir;
    touch(dir.path(), u"SKILL.md"_s);
    touch(dir.path(), relativePath);

    const QList<SkillArtifact> artifacts
        = ArtifactScanner::scanArtifacts(dir.filePath(u"SKILL.md"_s));
    QCOMPARE(artifacts.size(), 1);
    QCOMPARE(artifacts[0].relativePath, relativePath);
    QCOMPARE(artifacts[0].name, relativePath.section(u'/', -1));
    QCOMPARE(artifacts[0].path, dir.path() + u'/' + relativePath);
    QCOMPARE(artifacts[0].category, category);
    QCOMPARE(artifacts[0].fileExtension, extension);
}

void ArtifactScannerTest::listing_data()
{
    QTest::addColumn<QString>("skillFile");
    QTest::addColumn<QStringList>("files");
    QTest::addColumn<QStringList>("expected"); // all of category Other here, so in walk order
    QTest::newRow("skill file alone")
        << u"SKILL.md"_s << QStringList { u"SKILL.md"_s } << QStringList();
    QTest::newRow("missing folder") << u"gone/SKILL.md"_s << QStringList() << QStringList();
    QTest::newRow("hidden names skipped, hidden folders walked")
        << u"SKILL.md"_s
        << QStringList { u"SKILL.md"_s, u".DS_Store"_s, u".git/HEAD"_s, u".git/config"_s,
               u"docs/.hidden"_s }
        << QStringList { u".git/HEAD"_s, u".git/config"_s };
    QTest::newRow("skill file name below the top is listed")
        << u"AGENTS.md"_s << QStringList { u"AGENTS.md"_s, u"SKILL.md"_s, u"sub/AGENTS.md"_s }
        << QStringList { u"SKILL.md"_s, u"sub/AGENTS.md"_s };
}

void ArtifactScannerTest::listing()
{
    QFETCH(QString, skillFile);
    QFETCH(QStringList, files);
    QFETCH(QStringList, expected);
    QTemporaryDir dir;
    for (const QString &file : files)
        touch(dir.path(), file);
    QCOMPARE(relativePaths(ArtifactScanner::scanArtifacts(dir.filePath(skillFile))), expected);
}

void ArtifactScannerTest::linksFollowedOncePerRealFolder()
{
    // Links to folders, inside or out, are not walked: inside ones reach
    // nothing new or loop, outside ones are not the skill's. Links to files are.
    QTemporaryDir dir;
    const QString skill = dir.filePath(u"skill"_s);
    const QString outside = dir.filePath(u"outside"_s);
    for (const QString &file : { u"skill/SKILL.md"_s, u"skill/tools/run.py"_s,
             u"outside/notes.md"_s, u"outside/deep/more.md"_s, u"lone.sh"_s, u"sibling.txt"_s })
        touch(dir.path(), file);
    const QList<std::pair<QString, QString>> links = {
        { skill, u"skill/loop"_s },
        { dir.path(), u"skill/up"_s },
        { u"/"_s, u"skill/root"_s },
        { skill + u"/tools"_s, u"skill/a-tools"_s }, // walked before the real folder
        { skill + u"/tools"_s, u"skill/tools/again"_s },
        { outside, u"skill/ext"_s },
        { outside, u"skill/ext2"_s },
        { outside + u"/deep"_s, u"skill/z-deep"_s },
        { outside, u"outside/self"_s },
        { skill, u"outside/back"_s },
        { outside, u"outside/deep/up"_s },
        { dir.filePath(u"lone.sh"_s), u"skill/linked.sh"_s },
        { dir.filePath(u"nothing"_s), u"skill/dangling.txt"_s },
        { skill, u"route"_s },
    };
    for (const auto &[target, link] : links)
        QVERIFY2(QFile::link(target, dir.filePath(link)), qPrintable(link));

    // Reached through a linked route, paths keep the route.
    const QString route = dir.filePath(u"route"_s);
    const QList<SkillArtifact> artifacts = ArtifactScanner::scanArtifacts(route + u"/SKILL.md"_s);
    QCOMPARE(relativePaths(artifacts), (QStringList { u"linked.sh"_s, u"tools/run.py"_s }));
    QCOMPARE(artifacts[0].path, route + u"/linked.sh"_s);
}

void ArtifactScannerTest::sortedByCategoryKeepingWalkOrder()
{
    // Depth first, each folder by name; more than sixteen rows per category, so
    // an unstable sort would show.
    QTemporaryDir dir;
    touch(dir.path(), u"SKILL.md"_s);
    QStringList config;
    QStringList other;
    for (const QString &prefix : { u"a/"_s, u"b"_s, u"c/"_s }) {
        for (int i = 10; i < 20; ++i) {
            config.append(prefix + QString::number(i) + u".json"_s);
            other.append(prefix + QString::number(i) + u".txt"_s);
            touch(dir.path(), config.last());
            touch(dir.path(), other.last());
        }
    }
    touch(dir.path(), u"run.sh"_s);
    touch(dir.path(), u"rules/r.md"_s);
    touch(dir.path(), u"refs/x.md"_s);

    const QString skillFile = dir.filePath(u"SKILL.md"_s);
    const QList<SkillArtifact> first = ArtifactScanner::scanArtifacts(skillFile);
    QCOMPARE(relativePaths(first),
        (config + other + QStringList { u"refs/x.md"_s, u"rules/r.md"_s, u"run.sh"_s }));
    // Ids are made afresh on every scan.
    QVERIFY(first[0].id != first[1].id);
    QVERIFY(first[0].id != ArtifactScanner::scanArtifacts(skillFile)[0].id);
}

void ArtifactScannerTest::rescanReusesOnlyAnUnchangedWalk_data()
{
    QTest::addColumn<int>("change");
    QTest::addColumn<QStringList>("expected");
    const QStringList before { u"deep/a.txt"_s };
    QTest::newRow("nothing changed") << 0 << before;
    QTest::newRow("file added two levels down")
        << 1 << QStringList { u"deep/a.txt"_s, u"deep/more/b.txt"_s };
    QTest::newRow("file added behind a link to an outside folder") << 2 << before;
    QTest::newRow("dangling link comes alive")
        << 3 << QStringList { u"deep/a.txt"_s, u"late.txt"_s };
}

void ArtifactScannerTest::rescanReusesOnlyAnUnchangedWalk()
{
    QFETCH(int, change);
    QFETCH(QStringList, expected);
    QTemporaryDir dir;
    const QString skill = dir.filePath(u"skill"_s);
    const QString outside = dir.filePath(u"outside"_s);
    touch(skill, u"SKILL.md"_s);
    touch(skill, u"deep/a.txt"_s);
    QVERIFY(QDir().mkpath(skill + u"/deep/more"_s));
    touch(outside, u"x.txt"_s);
    QVERIFY(QFile::link(outside, skill + u"/linked"_s));
    QVERIFY(QFile::link(dir.filePath(u"later.txt"_s), skill + u"/late.txt"_s));
    // Folders last changed a while ago: their walk may be reused.
    const struct timespec old[2] = { { 1'600'000'000, 0 }, { 1'600'000'000, 0 } };
    for (const QString &folder : { skill, skill + u"/deep"_s, skill + u"/deep/more"_s, outside })
        QCOMPARE(::utimensat(AT_FDCWD, QFile::encodeName(folder).constData(), old, 0), 0);

    ArtifactCache &cache = ArtifactCache::shared();
    const QString skillFile = skill + u"/SKILL.md"_s;
    ArtifactScanner::refresh(skillFile, cache);
    const QList<SkillArtifact> first = cache.artifactsForPath(skillFile);
    QCOMPARE(relativePaths(first), (QStringList { u"deep/a.txt"_s }));

    switch (change) {
    case 1:
        touch(skill, u"deep/more/b.txt"_s);
        break;
    case 2:
        touch(outside, u"y.txt"_s);
        break;
    case 3:
        touch(dir.path(), u"later.txt"_s);
        break;
    default:
        break;
    }
    ArtifactScanner::refresh(skillFile, cache);
    QStringList found = relativePaths(cache.artifactsForPath(skillFile));
    found.sort();
    QCOMPARE(found, expected);
    QVERIFY(cache.artifactsForPath(skillFile).constFirst().id != first.constFirst().id);
}

QTEST_GUILESS_MAIN(ArtifactScannerTest)
#include "tst_artifactscanner.moc"
