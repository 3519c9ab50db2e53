#include "fakehome.h"
#include "quirerun.h"

#include <QFileInfo>
#include <QProcess>
#include <QTest>

using namespace Qt::StringLiterals;

// Output that cannot be written is a failure: a script must never read a
// cut-off list as a whole one.
class OutputFailureTest final : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void initTestCase();
    void fullDisk_data();
    void fullDisk();
};

void OutputFailureTest::initTestCase()
{
    if (!QFileInfo(u"/dev/full"_s).isWritable())
        QSKIP("no /dev/full on this system");
}

void OutputFailureTest::fullDisk_data()
{
    QTest::addColumn<QStringList>("arguments");
    QTest::addColumn<bool>("repeatable"); // new makes a skill: a second run would fail anyway
    // Every command writes through one stream that is checked once at the end;
    // a list, a command that changes the store and text with no command behind it.
    QTest::newRow("list --json") << QStringList { u"list"_s, u"--json"_s } << true;
    QTest::newRow("new") << QStringList { u"new"_s, u"fresh"_s, u"--tool"_s, u"claude"_s } << false;
    QTest::newRow("--help") << QStringList { u"--help"_s } << true;
}

void OutputFailureTest::fullDisk()
{
    QFETCH(QStringList, arguments);
    QFETCH(bool, repeatable);
    const FakeHome home;
    QVERIFY(home.isValid());
    QVERIFY(!home.write(u".claude/skills/pdf/SKILL.md"_s,
                     "---\nname: pdf\ndescription: Work with PDF files.\nversion: 2\n---\n# PDF\n")
                 .isEmpty());
    QCOMPARE(home.quire({ u"scan"_s }).code, 0);

    // The same command succeeds when its output has somewhere to go.
    if (repeatable)
        QCOMPARE(home.quire(arguments).code, 0);

    QProcess process;
    process.setProcessEnvironment(home.environment());
    process.setStandardOutputFile(u"/dev/full"_s);
    process.start(quireBinary(), arguments);
    QVERIFY(process.waitForFinished(60'000));
    QCOMPARE(process.exitStatus(), QProcess::NormalExit);
    const QByteArray err = process.readAllStandardError();
    QCOMPARE(process.exitCode(), 1);
    QVERIFY2(err.contains("quire: could not write the output: "), err.constData());
}

QTEST_GUILESS_MAIN(OutputFailureTest)
#include "tst_outputfailure.moc"
