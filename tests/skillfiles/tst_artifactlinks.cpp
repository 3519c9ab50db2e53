#include "artifactscanner.h"

#include <QDir>
#include <QFile>
#include <QTemporaryDir>
#include <QTest>

using namespace Qt::StringLiterals;

// Which files behind symbolic links count as a skill folder's own.
class ArtifactLinksTest final : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void linksInTheSkillFolder_data();
    void linksInTheSkillFolder();
};

void ArtifactLinksTest::linksInTheSkillFolder_data()
{
    // The link is made at skill/<link>; its target is as written (relative
    // targets resolve from the link's folder). Expected relative paths, sorted.
    QTest::addColumn<QString>("link");
    QTest::addColumn<QString>("target");
    QTest::addColumn<QStringList>("expected");
    const QString own = u"docs/guide.md"_s;
    QTest::newRow("no link") << QString() << QString() << QStringList { own };
    QTest::newRow("folder outside, absolute") << u"ext"_s << u"@/outside"_s << QStringList { own };
    QTest::newRow("folder outside, relative") << u"ext"_s << u"../outside"_s << QStringList { own };
    QTest::newRow("folder outside, deeper in the skill")
        << u"docs/ext"_s << u"../../outside/deep"_s << QStringList { own };
    QTest::newRow("parent holding the skill") << u"up"_s << u".."_s << QStringList { own };
    QTest::newRow("file system root") << u"root"_s << u"/"_s << QStringList { own };
    QTest::newRow("inside folder, listed once by its real path")
        << u"alias"_s << u"docs"_s << QStringList { own };
    QTest::newRow("inside folder, from a subfolder")
        << u"docs/sub/up"_s << u"../../docs"_s << QStringList { own };
    QTest::newRow("loop to the skill folder") << u"docs/loop"_s << u".."_s << QStringList { own };
    QTest::newRow("loop to itself") << u"self"_s << u"self"_s << QStringList { own };
    QTest::newRow("file inside") << u"latest.md"_s << u"docs/guide.md"_s
                                 << QStringList { own, u"latest.md"_s };
    QTest::newRow("file outside: the link is an entry of the folder")
        << u"LICENSE"_s << u"../outside/notes.md"_s << QStringList { u"LICENSE"_s, own };
    QTest::newRow("dangling") << u"gone.md"_s << u"../nothing"_s << QStringList { own };
}

void ArtifactLinksTest::linksInTheSkillFolder()
{
    QFETCH(QString, link);
    QFETCH(QString, target);
    QFETCH(QStringList, expected);

    QTemporaryDir dir;
    QVERIFY(dir.isValid());
    for (const QString &file : { u"skill/SKILL.md"_s, u"skill/docs/guide.md"_s,
             u"outside/notes.md"_s, u"outside/deep/more.md"_s }) {
        QVERIFY(QDir().mkpath(QFileInfo(dir.filePath(file)).path()));
        QFile touched(dir.filePath(file));
        QVERIFY(touched.open(QIODevice::WriteOnly));
    }
    if (!link.isEmpty()) {
        const QString at = dir.filePath(u"skill/"_s + link);
        QVERIFY(QDir().mkpath(QFileInfo(at).path()));
        const QString to = target.startsWith(u'@') ? dir.path() + target.mid(1) : target;
        QVERIFY(QFile::link(to, at));
    }
    // The skill folder itself reached through a link, as dotfile managers set it up.
    QVERIFY(QFile::link(dir.filePath(u"skill"_s), dir.filePath(u"route"_s)));

    for (const QString &folder : { dir.filePath(u"skill"_s), dir.filePath(u"route"_s) }) {
        QStringList found;
        for (const SkillArtifact &artifact :
            ArtifactScanner::scanArtifacts(folder + u"/SKILL.md"_s)) {
            found.append(artifact.relativePath);
            QCOMPARE(artifact.path, folder + u'/' + artifact.relativePath);
        }
        found.sort();
        QCOMPARE(found, expected);
    }
}

QTEST_GUILESS_MAIN(ArtifactLinksTest)
#include "tst_artifactlinks.moc"
