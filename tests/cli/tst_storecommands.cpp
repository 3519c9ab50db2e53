#include "fakehome.h"
#include "quirerun.h"

#include <QFile>
#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QRegularExpression>
#include <QTest>

using namespace Qt::StringLiterals;

// scan, list and show, run as a user runs them: the real binary in a fake home.
class StoreCommandsTest final : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void init();
    void scanListShowPrune();
    void filtersAndSearch_data();
    void filtersAndSearch();
    void errors_data();
    void errors();

private:
    QJsonArray list(const QStringList &extra = {}) const;
    QString home(const QString &relative) const { return m_home->path(relative); }

    std::unique_ptr<FakeHome> m_home;
};

void StoreCommandsTest::init()
{
    m_home = std::make_unique<FakeHome>();
    m_home->write(u".claude/skills/pdf/SKILL.md"_s,
        "---\nname: pdf-tools\ndescription: Work with PDF files.\nlicense: MIT\n---\n\n# PDF\nRead "
        "me.\n");
    m_home->write(u".cursor/rules/style.mdc"_s, "---\nglobs: *.ts\n---\nUse tabs.");
    m_home->write(u"work/app/.github/copilot-instructions.md"_s, "# App rules\nCafé au lait");
}

QJsonArray StoreCommandsTest::list(const QStringList &extra) const
{
    const QuireRun run = m_home->quire(QStringList { u"list"_s, u"--json"_s } + extra);
    if (run.code != 0)
        qWarning() << run.err;
    return QJsonDocument::fromJson(run.out).array();
}

void StoreCommandsTest::scanListShowPrune()
{
    QCOMPARE(m_home->quire({ u"dirs"_s, u"add"_s, home(u"work"_s) }).code, 0);
    QVERIFY(QDir().mkpath(home(u"work/app/.claude"_s)));
    QVERIFY(QFile::link(home(u".claude/skills"_s), home(u"work/app/.claude/skills"_s)));
    const QuireRun scan = m_home->quire({ u"scan"_s });
    QCOMPARE(scan.code, 0);
    QVERIFY2(scan.out.contains("New skills: 3"), scan.out.constData());

    const QJsonArray skills = list();
    QCOMPARE(skills.size(), 3);
    QStringList names;
    for (const QJsonValue value : skills)
        names.append(value[u"name"_s].toString());
    QCOMPARE(
        names, (QStringList { u"App rules"_s, u"pdf-tools"_s, u"style"_s })); // code-point order

    const QJsonObject pdf = skills.at(1).toObject();
    QCOMPARE(pdf[u"skillDescription"_s].toString(), u"Work with PDF files."_s);
    QCOMPARE(pdf[u"content"_s].toString(), u"# PDF\nRead me."_s);
    QCOMPARE(pdf[u"frontmatter"_s].toObject()[u"license"_s].toString(), u"MIT"_s);
    QCOMPARE(pdf[u"toolSourcesRaw"_s].toString(), u"claude"_s);
    QCOMPARE(pdf[u"installedPaths"_s].toArray().size(), 2); // the project route through the link
    QVERIFY(pdf[u"isGlobal"_s].toBool());
    QVERIFY(pdf[u"isDirectory"_s].toBool());
    QVERIFY(pdf[u"lastOpened"_s].isNull());
    QVERIFY(pdf[u"projectName"_s].isNull());
    QCOMPARE(pdf[u"collections"_s].toArray().size(), 0);
    const QString date = pdf[u"fileModifiedDate"_s].toString();
    QVERIFY2(QRegularExpression(u"^\\d{4}-\\d\\d-\\d\\dT\\d\\d:\\d\\d:\\d\\d\\.\\d{3}Z$"_s)
                 .match(date)
                 .hasMatch(),
        qPrintable(date));
    QCOMPARE(skills.at(0)[u"projectName"_s].toString(), u"app"_s);

    // Any route names the record.
    const QuireRun show = m_home->quire(
        { u"show"_s, home(u"work/app/.claude/skills/pdf/SKILL.md"_s), u"--json"_s });
    QCOMPARE(show.code, 0);
    QCOMPARE(QJsonDocument::fromJson(show.out).object(), pdf);

    QVERIFY(QFile::remove(home(u".cursor/rules/style.mdc"_s)));
    QVERIFY(QFile::remove(home(u"work/app/.claude/skills"_s)));
    QCOMPARE(list().size(), 3); // nothing is deleted before a prune
    const QuireRun prune = m_home->quire({ u"scan"_s, u"--prune"_s });
    QCOMPARE(prune.code, 0);
    QVERIFY2(prune.out.contains("Skills removed: 1"), prune.out.constData());
    const QJsonArray after = list();
    QCOMPARE(after.size(), 2);
    QCOMPARE(after.at(1)[u"installedPaths"_s].toArray().size(), 1);
}

// What matches is the query's; here that both options reach it.
void StoreCommandsTest::filtersAndSearch_data()
{
    QTest::addColumn<QStringList>("arguments");
    QTest::addColumn<QStringList>("names");
    QTest::newRow("tool filter") << QStringList { u"--filter"_s, u"tool:cursor"_s }
                                 << QStringList { u"style"_s };
    QTest::newRow("accented search")
        << QStringList { u"--search"_s, u"CAFÉ"_s } << QStringList { u"App rules"_s };
    QTest::newRow("kind filter") << QStringList { u"--filter"_s, u"kind:rule"_s }
                                 << QStringList { u"style"_s };
}

void StoreCommandsTest::filtersAndSearch()
{
    QFETCH(QStringList, arguments);
    QFETCH(QStringList, names);
    QCOMPARE(m_home->quire({ u"dirs"_s, u"add"_s, home(u"work"_s) }).code, 0);
    QCOMPARE(m_home->quire({ u"scan"_s }).code, 0);
    QStringList found;
    for (const QJsonValue value : list(arguments))
        found.append(value[u"name"_s].toString());
    QCOMPARE(found, names);
}

void StoreCommandsTest::errors_data()
{
    QTest::addColumn<QStringList>("arguments");
    QTest::addColumn<int>("code");
    QTest::addColumn<QString>("message");
    QTest::addColumn<bool>("badStore");
    QTest::newRow("unknown command")
        << QStringList { u"frobnicate"_s } << 2 << u"unknown command"_s << false;
    QTest::newRow("scan with junk")
        << QStringList { u"scan"_s, u"--now"_s } << 2 << u"Usage"_s << false;
    QTest::newRow("list without filter value")
        << QStringList { u"list"_s, u"--filter"_s } << 2 << u"Usage"_s << false;
    QTest::newRow("unknown tool") << QStringList { u"list"_s, u"--filter"_s, u"tool:Cursor"_s } << 1
                                  << u"unknown filter"_s << false;
    QTest::newRow("unknown kind") << QStringList { u"list"_s, u"--filter"_s, u"kind:skills"_s } << 1
                                  << u"unknown filter"_s << false;
    QTest::newRow("show nothing there")
        << QStringList { u"show"_s, u"/nowhere.md"_s } << 1 << u"no skill"_s << false;
    QTest::newRow("show two paths")
        << QStringList { u"show"_s, u"/a"_s, u"/b"_s } << 2 << u"Usage"_s << false;
    QTest::newRow("open with a bad option")
        << QStringList { u"open"_s, u"--bogus"_s } << 2 << u"unknown option"_s << false;
    QTest::newRow("open with a bad filter") << QStringList { u"open"_s, u"--filter"_s, u"tool:x"_s }
                                            << 2 << u"unknown filter"_s << false;
    QTest::newRow("store is not a store")
        << QStringList { u"list"_s } << 1 << u"not a Quire store"_s << true;
    QTest::newRow("scan into a bad store")
        << QStringList { u"scan"_s } << 1 << u"not a Quire store"_s << true;
}

void StoreCommandsTest::errors()
{
    QFETCH(QStringList, arguments);
    QFETCH(int, code);
    QFETCH(QString, message);
    QFETCH(bool, badStore);
    QProcessEnvironment environment = m_home->environment();
    const QString store = m_home->write(u"notes.txt"_s, "my notes, not a database");
    if (badStore)
        environment.insert(u"QUIRE_STORE"_s, store);
    const QuireRun run = runQuire(arguments, environment);
    QCOMPARE(run.code, code);
    QVERIFY(run.out.isEmpty());
    QVERIFY2(QString::fromUtf8(run.err).contains(message), run.err.constData());
    if (badStore) {
        QFile file(store);
        QVERIFY(file.open(QIODevice::ReadOnly));
        QCOMPARE(file.readAll(), QByteArray("my notes, not a database"));
    }
}

QTEST_GUILESS_MAIN(StoreCommandsTest)
#include "tst_storecommands.moc"
