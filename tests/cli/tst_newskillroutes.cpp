#include "fakehome.h"
#include "modelcontext.h"
#include "quirerun.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QTest>

using namespace Qt::StringLiterals;

// A skill made by `quire new` where the home or skills folder is reached
// through a symbolic link, as dotfile managers arrange it, must be the same
// record the scanner finds afterwards.
class NewSkillRoutesTest final : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void oneRecordThroughLinks_data();
    void oneRecordThroughLinks();
};

void NewSkillRoutesTest::oneRecordThroughLinks_data()
{
    QTest::addColumn<QString>("linked"); // under the fake home; "@home": the home; empty: none
    QTest::addColumn<QString>("tool");
    QTest::addColumn<QString>("file"); // what `quire new` writes, relative to $HOME
    QTest::newRow("no links") << QString() << u"claude"_s
                              << u".claude/skills/café-menü-日本/SKILL.md"_s;
    QTest::newRow("home is a link")
        << u"@home"_s << u"claude"_s << u".claude/skills/café-menü-日本/SKILL.md"_s;
    QTest::newRow("skills folder is a link")
        << u".claude/skills"_s << u"claude"_s << u".claude/skills/café-menü-日本/SKILL.md"_s;
    QTest::newRow("tool folder is a link, single file")
        << u".codex"_s << u"codex"_s << u".codex/AGENTS.md"_s;
}

void NewSkillRoutesTest::oneRecordThroughLinks()
{
    QFETCH(QString, linked);
    QFETCH(QString, tool);
    QFETCH(QString, file);

    FakeHome fake;
    QVERIFY(fake.isValid());
    // The real folders live elsewhere; the expected route goes through the link.
    const QString real = fake.root() + u"/dotfiles"_s;
    QString home = fake.path();
    if (linked == u"@home") {
        QVERIFY(QFile::rename(fake.path(), real));
        home = fake.root() + u"/linked-home"_s;
        QVERIFY(QFile::link(real, home));
        qputenv("HOME", QFile::encodeName(home)); // put back by FakeHome
    } else if (!linked.isEmpty()) {
        QVERIFY(QDir().mkpath(real));
        QVERIFY(QDir().mkpath(QFileInfo(fake.path(linked)).path()));
        QVERIFY(QFile::link(real, fake.path(linked)));
    }
    const QString route = home + u'/' + file;

    const QuireRun made = runQuireInProcess({ u"new"_s, u"Café Menü 日本"_s, u"--tool"_s, tool });
    QVERIFY2(made.code == 0, made.err.constData());
    QCOMPARE(QString::fromUtf8(made.out), route + u'\n');
    const QString resolved = QFileInfo(route).canonicalFilePath();
    QVERIFY(!resolved.isEmpty());
    QCOMPARE(resolved == route, linked.isEmpty());

    const auto check = [&](const char *step) {
        auto store = ModelContext::open(fake.storePath());
        QVERIFY(store);
        QVERIFY2(store.value()->skillCount() == 1, step);
        const Skill *skill = store.value()->skillByResolvedPath(resolved);
        QVERIFY2(skill, step);
        QCOMPARE(skill->filePath(), route);
        QCOMPARE(skill->installedPaths(), QStringList { route });
        // Bytes on disk: the name's accents and CJK take more than one byte each.
        QCOMPARE(skill->fileSize(), QFileInfo(resolved).size());
    };
    check("after new");
    QVERIFY(runQuireInProcess({ u"scan"_s }).code == 0);
    check("after a scan");

    QVERIFY(QFile::remove(route));
    QVERIFY(runQuireInProcess({ u"scan"_s, u"--prune"_s }).code == 0);
    auto store = ModelContext::open(fake.storePath());
    QVERIFY(store);
    QCOMPARE(store.value()->skillCount(), 0);
}

QTEST_GUILESS_MAIN(NewSkillRoutesTest)
#include "tst_newskillroutes.moc"
