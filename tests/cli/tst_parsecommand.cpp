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
    QByteArray out;
    QString err;
};

QJsonObject jsonObject(const QByteArray &out)
{
    QJsonParseError error {};
    const QJsonDocument document = QJsonDocument::fromJson(out, &error);
    if (error.error != QJsonParseError::NoError || !document.isObject())
        return {};
    return document.object();
}

} // namespace

class ParseCommandTest final : public QObject
{
    Q_OBJECT

private slots:
    void init();
    void styles_data();
    void styles();
    void textSurvivesJson();
    void failures_data();
    void failures();
    void childProcess_data();
    void childProcess();

private: // NOLINT(readability-redundant-access-specifiers): QTest would run slots as tests
    QString write(const QString &name, const QByteArray &bytes);
    // Arguments after "parse"; "FILE" stands for the skill file, "DIR/" for the temporary folder.
    QStringList arguments(const QStringList &pattern) const;
    Run runInProcess(const QStringList &arguments);

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

QStringList ParseCommandTest::arguments(const QStringList &pattern) const
{
    QStringList result;
    for (const QString &argument : pattern) {
        if (argument == u"FILE")
            result << m_skill;
        else if (argument.startsWith(u"DIR/"))
            result << m_dir->filePath(argument.sliced(4));
        else
            result << argument;
    }
    return result;
}

Run ParseCommandTest::runInProcess(const QStringList &arguments)
{
    QString out;
    QString err;
    QTextStream outStream(&out);
    QTextStream errStream(&err);
    Run run;
    run.code = CommandLine::run(QStringList { u"parse"_s } + arguments, outStream, errStream);
    outStream.flush();
    errStream.flush();
    run.out = out.toUtf8();
    run.err = err;
    return run;
}

void ParseCommandTest::styles_data()
{
    QTest::addColumn<QStringList>("pattern");
    QTest::addColumn<QString>("name");
    QTest::addColumn<bool>("keysRead");

    QTest::newRow("default") << QStringList { u"FILE"_s } << u"pdf-tools"_s << true;
    QTest::newRow("frontmatter") << QStringList { u"--style"_s, u"frontmatter"_s, u"FILE"_s }
                                 << u"pdf-tools"_s << true;
    QTest::newRow("heading, option after the file")
        << QStringList { u"FILE"_s, u"--style=heading"_s } << u"PDF é日"_s << false;
    QTest::newRow("frontmatter then heading")
        << QStringList { u"--style=frontmatter-then-heading"_s, u"FILE"_s } << u"pdf-tools"_s
        << true;
}

void ParseCommandTest::styles()
{
    QFETCH(QStringList, pattern);
    QFETCH(QString, name);
    QFETCH(bool, keysRead);

    const Run run = runInProcess(arguments(pattern));
    QCOMPARE(run.code, int(ExitOk));
    QCOMPARE(run.err, QString());
    QVERIFY(run.out.endsWith('\n'));
    const QJsonObject object = jsonObject(run.out);
    QCOMPARE(object.keys(),
        (QStringList { u"content"_s, u"description"_s, u"frontmatter"_s, u"name"_s }));
    QCOMPARE(object.value(u"name"_s).toString(), name);
    if (keysRead) {
        QCOMPARE(object.value(u"description"_s).toString(),
            u"Work with PDF files.\n\nUse when asked."_s);
        QCOMPARE(object.value(u"content"_s).toString(), u"# PDF é日"_s);
        QCOMPARE(object.value(u"frontmatter"_s).toObject().value(u"tools"_s).toString(),
            u"Read\nWrite"_s);
    } else {
        QVERIFY(object.value(u"content"_s).toString().startsWith(u"---\nname: pdf-tools"_s));
        QCOMPARE(object.value(u"frontmatter"_s).toObject(), QJsonObject());
    }
}

// Quotes, backslashes, control characters and separators must come back exactly.
void ParseCommandTest::textSurvivesJson()
{
    const QString body = u"a \"q\" \\ \t \x01 \x1f \u2028 \u00e9 \U0001F600 \0 end"_s;
    const QString path = write(u"odd.md"_s, (u"---\nname: n\n---\n"_s + body).toUtf8());
    const Run run = runInProcess({ path });
    QCOMPARE(run.code, int(ExitOk));
    QCOMPARE(jsonObject(run.out).value(u"content"_s).toString(), body);
}

void ParseCommandTest::failures_data()
{
    QTest::addColumn<QStringList>("pattern");
    QTest::addColumn<int>("code");
    QTest::addColumn<QString>("message");

    QTest::newRow("no file") << QStringList {} << int(ExitUsage) << u"no file given"_s;
    QTest::newRow("two files") << QStringList { u"FILE"_s, u"FILE"_s } << int(ExitUsage)
                               << u"unexpected argument"_s;
    QTest::newRow("unknown option")
        << QStringList { u"--json"_s, u"FILE"_s } << int(ExitUsage) << u"unknown option '--json'"_s;
    QTest::newRow("unknown style") << QStringList { u"--style"_s, u"yaml"_s, u"FILE"_s }
                                   << int(ExitUsage) << u"unknown style 'yaml'"_s;
    QTest::newRow("style names are exact") << QStringList { u"--style=Heading"_s, u"FILE"_s }
                                           << int(ExitUsage) << u"unknown style 'Heading'"_s;
    QTest::newRow("style without value")
        << QStringList { u"FILE"_s, u"--style"_s } << int(ExitUsage) << u"--style needs a value"_s;
    QTest::newRow("missing file") << QStringList { u"DIR/none.md"_s } << int(ExitUserError)
                                  << u"it does not exist."_s;
    QTest::newRow("invalid UTF-8")
        << QStringList { u"DIR/bad.md"_s } << int(ExitUserError) << u"it is not valid UTF-8."_s;
    QTest::newRow("folder") << QStringList { u"DIR/"_s } << int(ExitUserError)
                            << u"it is a folder, not a file."_s;
}

void ParseCommandTest::failures()
{
    QFETCH(QStringList, pattern);
    QFETCH(int, code);
    QFETCH(QString, message);

    write(u"bad.md"_s, "---\nname: caf\xe9\n---\n"_ba);
    const Run run = runInProcess(arguments(pattern));
    QCOMPARE(run.code, code);
    QCOMPARE(run.out, QByteArray());
    QVERIFY2(run.err.contains(message), qPrintable(run.err));
    if (code == ExitUsage)
        QVERIFY(run.err.contains(u"Usage: quire parse FILE"_s));
}

void ParseCommandTest::childProcess_data()
{
    QTest::addColumn<QStringList>("pattern");
    QTest::addColumn<int>("code");

    QTest::newRow("success") << QStringList { u"FILE"_s } << int(ExitOk);
    QTest::newRow("user error") << QStringList { u"DIR/none.md"_s } << int(ExitUserError);
    QTest::newRow("bad usage") << QStringList { u"--style=toml"_s, u"FILE"_s } << int(ExitUsage);
}

// The real binary: its stdout must be UTF-8 whatever the locale, and empty on failure.
void ParseCommandTest::childProcess()
{
    QFETCH(QStringList, pattern);
    QFETCH(int, code);

    QProcess process;
    QProcessEnvironment environment = QProcessEnvironment::systemEnvironment();
    environment.insert(u"LC_ALL"_s, u"C"_s);
    process.setProcessEnvironment(environment);
    process.start(QStringLiteral(QUIRE_BINARY), QStringList { u"parse"_s } + arguments(pattern));
    QVERIFY(process.waitForFinished(60000));
    QCOMPARE(process.exitStatus(), QProcess::NormalExit);
    QCOMPARE(process.exitCode(), code);
    const QByteArray out = process.readAllStandardOutput();
    if (code != ExitOk) {
        QCOMPARE(out, QByteArray());
        QVERIFY(!process.readAllStandardError().isEmpty());
        return;
    }
    const QJsonObject object = jsonObject(out);
    QCOMPARE(object.value(u"name"_s).toString(), u"pdf-tools"_s);
    QCOMPARE(object.value(u"content"_s).toString(), u"# PDF é日"_s);
}

QTEST_GUILESS_MAIN(ParseCommandTest)
#include "tst_parsecommand.moc"
