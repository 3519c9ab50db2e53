#include "commandline.h"
#include "exitcode.h"

#include <QFile>
#include <QJsonDocument>
#include <QJsonObject>
#include <QProcess>
#include <QTemporaryDir>
#include <QTest>

#include <memory>

using namespace Qt::StringLiterals;

namespace {

struct Run
{
    int code = -1;
    QString out;
    QString err;
};

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
    QString write(const QString &name, const QByteArray &bytes);
    // Runs "parse" in-process; arguments other than options are names in the temporary folder.
    Run run(const QStringList &pattern) const;

    std::unique_ptr<QTemporaryDir> m_dir;
    QString m_skill;
};

void ParseCommandTest::init()
{
    m_dir = std::make_unique<QTemporaryDir>();
    QVERIFY(m_dir->isValid());
    // parse never opens the store or settings; fake homes make sure a mistake would not touch real
    // ones.
    qputenv("HOME", QFile::encodeName(m_dir->path()));
    qputenv("XDG_DATA_HOME", QFile::encodeName(m_dir->filePath(u"data"_s)));
    qputenv("XDG_CONFIG_HOME", QFile::encodeName(m_dir->filePath(u"config"_s)));
    qputenv("QUIRE_STORE", ":memory:");
    m_skill = write(u"SKILL.md"_s,
        "---\nname: pdf-tools\ndescription: |\n  Work with PDF files.\n\n  Use when asked."
        "\ntools:\n  - Read\n  - Write\n---\n\n# PDF \xc3\xa9\xe6\x97\xa5\n"_ba);
}

QString ParseCommandTest::write(const QString &name, const QByteArray &bytes)
{
    QString path = m_dir->filePath(name);
    QFile file(path);
    if (!file.open(QIODevice::WriteOnly) || file.write(bytes) != bytes.size())
        qFatal("cannot write the test file");
    return path;
}

Run ParseCommandTest::run(const QStringList &pattern) const
{
    QStringList arguments { u"parse"_s };
    for (const QString &argument : pattern)
        arguments << (argument.startsWith(u'-') ? argument : m_dir->filePath(argument));
    Run result;
    QTextStream out(&result.out);
    QTextStream err(&result.err);
    result.code = CommandLine::run(arguments, out, err);
    return result;
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
    QTest::newRow("invalid UTF-8")
        << QStringList { u"bad.md"_s } << int(ExitUserError) << u"it is not valid UTF-8."_s;
    QTest::newRow("folder") << QStringList { u"."_s } << int(ExitUserError)
                            << u"it is a folder, not a file."_s;
}

void ParseCommandTest::outcomes()
{
    QFETCH(QStringList, pattern);
    QFETCH(int, code);
    QFETCH(QString, expected);

    write(u"bad.md"_s, "---\nname: caf\xe9\n---\n"_ba);
    const Run result = run(pattern);
    QCOMPARE(result.code, code);
    if (code != ExitOk) {
        QCOMPARE(result.out, QString());
        QVERIFY2(result.err.contains(expected), qPrintable(result.err));
        QCOMPARE(result.err.contains(u"Usage: quire parse FILE"_s), code == ExitUsage);
        return;
    }
    QCOMPARE(result.err, QString());
    QVERIFY(result.out.endsWith(u'\n'));
    const QJsonObject object = jsonObject(result.out.toUtf8());
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
    write(u"odd.md"_s, (u"---\nname: n\n---\n"_s + body).toUtf8());
    const Run result = run({ u"odd.md"_s });
    QCOMPARE(result.code, int(ExitOk));
    QCOMPARE(jsonObject(result.out.toUtf8()).value(u"content"_s).toString(), body);
}

// The real binary: its stdout must be UTF-8 whatever the locale.
void ParseCommandTest::childProcess()
{
    QProcess process;
    QProcessEnvironment environment = QProcessEnvironment::systemEnvironment();
    environment.insert(u"LC_ALL"_s, u"C"_s);
    process.setProcessEnvironment(environment);
    process.start(QStringLiteral(QUIRE_BINARY), QStringList { u"parse"_s, m_skill });
    QVERIFY(process.waitForFinished(60000));
    QCOMPARE(process.exitStatus(), QProcess::NormalExit);
    QCOMPARE(process.exitCode(), int(ExitOk));
    const QJsonObject object = jsonObject(process.readAllStandardOutput());
    QCOMPARE(object.value(u"name"_s).toString(), u"pdf-tools"_s);
    QCOMPARE(object.value(u"content"_s).toString(), u"# PDF é日"_s);
}

QTEST_GUILESS_MAIN(ParseCommandTest)
#include "tst_parsecommand.moc"
