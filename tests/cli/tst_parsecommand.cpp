#include "exitcode.h"
#include "fakehome.h"
#include "quirerun.h"

#include <QJsonDocument>
#include <QJsonObject>
#include <QTest>

#include <memory>

using namespace Qt::StringLiterals;

namespace {

QJsonObject jsonObject(const QByteArray &out)
{
    return QJsonDocument::fromJson(out).object(); // empty when not a JSON object
}

} // namespace

class ParseCommandTest final : public QObject
{
    Q_OBJECT

private slots:
    void init();
    void outcomes_data();
    void outcomes();
    void textSurvivesJson();
    void childProcess();

private: // NOLINT(readability-redundant-access-specifiers): QTest would run slots as tests
    // Runs "parse" in-process; arguments other than options are names in the home folder.
    QuireRun run(const QStringList &pattern) const;

    // parse never opens the store or settings; the fake home makes sure a
    // mistake would not touch real ones.
    std::unique_ptr<FakeHome> m_home;
    QString m_skill;
};

void ParseCommandTest::init()
{
    m_home = std::make_unique<FakeHome>(FakeHome::Store::Memory);
    m_skill = m_home->write(u"SKILL.md"_s,
        "---\nname: pdf-tools\ndescription: |\n  Work with PDF files.\n\n  Use when asked."
        "\ntools:\n  - Read\n  - Write\n---\n\n# PDF \xc3\xa9\xe6\x97\xa5\n"_ba);
}

QuireRun ParseCommandTest::run(const QStringList &pattern) const
{
    QStringList arguments { u"parse"_s };
    for (const QString &argument : pattern)
        arguments << (argument.startsWith(u'-') ? argument : m_home->path(argument));
    return runQuireInProcess(arguments);
}

// Every outcome: JSON on stdout for each style, nothing on stdout for errors.
void ParseCommandTest::outcomes_data()
{
    QTest::addColumn<QStringList>("pattern");
    QTest::addColumn<int>("code");
    // The name for a success, else part of the message.
    QTest::addColumn<QString>("expected");

    QTest::newRow("default") << QStringList { u"SKILL.md"_s } << int(ExitOk) << u"pdf-tools"_s;
    QTest::newRow("heading, option after the file")
        << QStringList { u"SKILL.md"_s, u"--style=heading"_s } << int(ExitOk) << u"PDF é日"_s;
    QTest::newRow("frontmatter then heading")
        << QStringList { u"--style=frontmatter-then-heading"_s, u"SKILL.md"_s } << int(ExitOk)
        << u"pdf-tools"_s;
    QTest::newRow("no file") << QStringList {} << int(ExitUsage) << u"no file given"_s;
    QTest::newRow("unknown option") << QStringList { u"--json"_s, u"SKILL.md"_s } << int(ExitUsage)
                                    << u"unknown option '--json'"_s;
    QTest::newRow("unknown style") << QStringList { u"--style=yaml"_s, u"SKILL.md"_s }
                                   << int(ExitUsage) << u"unknown style 'yaml'"_s;
    QTest::newRow("missing file") << QStringList { u"none.md"_s } << int(ExitUserError)
                                  << u"it does not exist."_s;
}

void ParseCommandTest::outcomes()
{
    QFETCH(QStringList, pattern);
    QFETCH(int, code);
    QFETCH(QString, expected);

    const QuireRun result = run(pattern);
    QCOMPARE(result.code, code);
    if (code != ExitOk) {
        QCOMPARE(result.out, QByteArray());
        QVERIFY2(result.err.contains(expected.toUtf8()), result.err.constData());
        QCOMPARE(result.err.contains("Usage: quire parse FILE"), code == ExitUsage);
        return;
    }
    QCOMPARE(result.err, QByteArray());
    QVERIFY(result.out.endsWith('\n'));
    const QJsonObject object = jsonObject(result.out);
    QCOMPARE(object.keys(),
        (QStringList { u"content"_s, u"description"_s, u"frontmatter"_s, u"name"_s }));
    QCOMPARE(object.value(u"name"_s).toString(), expected);
    const QJsonObject frontmatter = object.value(u"frontmatter"_s).toObject();
    if (expected == u"pdf-tools") { // the frontmatter was read
        QCOMPARE(object.value(u"description"_s).toString(),
            u"Work with PDF files.\n\nUse when asked."_s);
        QCOMPARE(object.value(u"content"_s).toString(), u"# PDF é日"_s);
        QCOMPARE(frontmatter.value(u"tools"_s).toString(), u"Read\nWrite"_s);
    } else {
        QVERIFY(object.value(u"content"_s).toString().startsWith(u"---\nname: pdf-tools"_s));
        QCOMPARE(frontmatter, QJsonObject());
    }
}

// Quotes, backslashes, control characters and separators must come back exactly.
void ParseCommandTest::textSurvivesJson()
{
    const QString body = u"a \"q\" \\ \t \x01 \x1f \u2028 \u00e9 \U0001F600 \0 end"_s;
    m_home->write(u"odd.md"_s, (u"---\nname: n\n---\n"_s + body).toUtf8());
    const QuireRun result = run({ u"odd.md"_s });
    QCOMPARE(result.code, int(ExitOk));
    QCOMPARE(jsonObject(result.out).value(u"content"_s).toString(), body);
}

// The real binary: its stdout must be UTF-8 whatever the locale.
void ParseCommandTest::childProcess()
{
    QProcessEnvironment environment = m_home->environment();
    environment.insert(u"LC_ALL"_s, u"C"_s);
    const QuireRun run = runQuire({ u"parse"_s, m_skill }, environment);
    QCOMPARE(run.code, int(ExitOk));
    const QJsonObject object = jsonObject(run.out);
    QCOMPARE(object.value(u"name"_s).toString(), u"pdf-tools"_s);
    QCOMPARE(object.value(u"content"_s).toString(), u"# PDF é日"_s);
}

QTEST_GUILESS_MAIN(ParseCommandTest)
#include "tst_parsecommand.moc"
