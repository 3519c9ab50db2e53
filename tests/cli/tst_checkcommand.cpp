#include "corpus.h"
#include "fakehome.h"
#include "quirerun.h"

#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QTest>

using namespace Qt::StringLiterals;

// quire check and the needs-attention list, run as a user runs them: the
// real binary in a fake home.
class CheckCommandTest final : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void init() { m_home = std::make_unique<FakeHome>(); }
    void exitCodes_data();
    void exitCodes();
    void linesAndJsonAgree();
    void listFilter();
    void corpusAsHome();

private:
    QString home(const QString &relative) const { return m_home->path(relative); }

    std::unique_ptr<FakeHome> m_home;
};

void CheckCommandTest::exitCodes_data()
{
    QTest::addColumn<QByteArray>("skill"); // ~/.claude/skills/pdf/SKILL.md, or none
    QTest::addColumn<QStringList>("arguments");
    QTest::addColumn<int>("code");
    QTest::addColumn<int>("lines"); // on stdout
    const QByteArray valid = "---\nname: pdf\ndescription: Work with PDF files.\n---\n# PDF\n";
    QTest::newRow("no skills") << QByteArray() << QStringList { u"check"_s } << 0 << 0;
    QTest::newRow("a valid skill") << valid << QStringList { u"check"_s } << 0 << 0;
    QTest::newRow("a note is no error")
        << QByteArray(valid).replace("name: pdf", "name: pdf\nversion: 2")
        << QStringList { u"check"_s } << 0 << 1;
    QTest::newRow("an error") << QByteArray(valid).replace("name: pdf", "name: Pdf Tools")
                              << QStringList { u"check"_s } << 1 << 2;
    QTest::newRow("bad option") << valid << QStringList { u"check"_s, u"--yaml"_s } << 2 << 0;
    QTest::newRow("missing path") << valid << QStringList { u"check"_s, u"/no/such/place"_s } << 1
                                  << 0;
}

void CheckCommandTest::exitCodes()
{
    QFETCH(QByteArray, skill);
    QFETCH(QStringList, arguments);
    QFETCH(int, code);
    QFETCH(int, lines);
    if (!skill.isEmpty())
        m_home->write(u".claude/skills/pdf/SKILL.md"_s, skill);
    const QuireRun run = m_home->quire(arguments);
    QCOMPARE(run.code, code);
    QCOMPARE(int(run.out.count('\n')), lines);
    if (code == 2)
        QVERIFY(run.err.contains("Usage: quire check"));
}

void CheckCommandTest::linesAndJsonAgree()
{
    m_home->write(u".codex/skills/pdf/SKILL.md"_s, "---\nname: pdf\ndescription: A.\n---\n# PDF\n");
    m_home->write(
        u".agents/skills/pdf/SKILL.md"_s, "---\nname: pdf\ndescription: B.\n---\n# PDF\n");
    m_home->write(u".cursor/rules/go.mdc"_s, "---\nalwaysApply: maybe\n---\nUse gofmt.\n");

    const QuireRun text = m_home->quire({ u"check"_s });
    QCOMPARE(text.code, 1);
    const QList<QByteArray> lines = text.out.trimmed().split('\n');
    QCOMPARE(lines.size(), 5);
    QVERIFY(lines.contains("error: " + home(u".agents/skills/pdf/SKILL.md"_s).toUtf8()
        + ": duplicate.clash: Another Codex skill is also named “pdf” but reads "
          "differently: "
        + home(u".codex/skills/pdf/SKILL.md"_s).toUtf8() + '.'));
    QVERIFY(text.err.contains("3 skills checked: 3 errors, 2 warnings, 0 notes"));

    const QuireRun json = m_home->quire({ u"check"_s, u"--json"_s, home(u".cursor"_s) });
    QCOMPARE(json.code, 1);
    const QJsonObject document = QJsonDocument::fromJson(json.out).object();
    QCOMPARE(document.value(u"skillsChecked"_s).toInt(), 1);
    const QJsonArray findings = document.value(u"findings"_s).toArray();
    QStringList ids;
    for (const auto &finding : findings) {
        QCOMPARE(finding[u"path"_s].toString(), home(u".cursor/rules/go.mdc"_s));
        QVERIFY(!finding[u"fix"_s].toString().isEmpty());
        ids.append(finding[u"id"_s].toString());
    }
    QCOMPARE(ids,
        (QStringList { u"rule.alwaysApply.value"_s, u"location.unread"_s, u"rule.unapplied"_s }));
}

void CheckCommandTest::listFilter()
{
    m_home->write(u".claude/skills/good/SKILL.md"_s, "---\nname: good\ndescription: Fine.\n---\nx");
    m_home->write(u".claude/skills/bad/SKILL.md"_s, "---\nname: bad\n---\nx");
    QCOMPARE(m_home->quire({ u"scan"_s }).code, 0);
    const QuireRun run
        = m_home->quire({ u"list"_s, u"--json"_s, u"--filter"_s, u"needs-attention"_s });
    QCOMPARE(run.code, 0);
    const QJsonArray skills = QJsonDocument::fromJson(run.out).array();
    QCOMPARE(skills.size(), 1);
    QCOMPARE(skills.first()[u"name"_s].toString(), u"bad"_s);
}

void CheckCommandTest::corpusAsHome()
{
    const QString corpus = corpusPath();
    if (corpus.isEmpty())
        return;
    QProcessEnvironment environment = m_home->environment();
    environment.insert(u"HOME"_s, corpus + u"/home"_s);
    const QuireRun run = runQuire({ u"check"_s }, environment);
    QCOMPARE(run.code, 1); // it holds skills whose name is not their folder's
    QVERIFY(run.out.contains(
        ": skill.name.folder: The name “vercel-react-best-practices” is not its folder's name"));
    QVERIFY(run.out.contains("/.cursor/rules/go.mdc: location.unread: "));
}

QTEST_GUILESS_MAIN(CheckCommandTest)
#include "tst_checkcommand.moc"
