#include "commandline.h"
#include "exitcode.h"
#include "modelcontext.h"
#include "settingsstore.h"

#include <QFile>
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

Run run(const QStringList &arguments)
{
    Run result;
    QTextStream out(&result.out);
    QTextStream err(&result.err);
    result.code = CommandLine::run(QStringList { u"new"_s } + arguments, out, err);
    return result;
}

} // namespace

class NewCommandTest final : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void init();
    void badUsage_data();
    void badUsage();
    void createsAndRefuses();
    void childProcessUsesTheDefaultTool();

private:
    std::unique_ptr<QTemporaryDir> m_home;
};

void NewCommandTest::init()
{
    m_home = std::make_unique<QTemporaryDir>();
    QVERIFY(m_home->isValid());
    qputenv("HOME", QFile::encodeName(m_home->path()));
    qputenv("XDG_CONFIG_HOME", QFile::encodeName(m_home->filePath(u"config"_s)));
    qputenv("XDG_DATA_HOME", QFile::encodeName(m_home->filePath(u"data"_s)));
    qputenv("QUIRE_STORE", QFile::encodeName(m_home->filePath(u"store.sqlite"_s)));
}

void NewCommandTest::badUsage_data()
{
    QTest::addColumn<QStringList>("arguments");
    QTest::newRow("no name") << QStringList();
    QTest::newRow("unknown tool") << QStringList { u"a"_s, u"--tool"_s, u"Claude"_s };
}

void NewCommandTest::badUsage()
{
    QFETCH(QStringList, arguments);
    const Run result = run(arguments);
    QCOMPARE(result.code, int(ExitUsage));
    QVERIFY(result.err.contains(u"quire new NAME"_s));
    QVERIFY(!QFile::exists(m_home->filePath(u".claude"_s)));
}

void NewCommandTest::createsAndRefuses()
{
    const Run made = run({ u"Pdf Tools"_s, u"--tool"_s, u"cursor"_s });
    QCOMPARE(made.code, int(ExitOk));
    const QString path = m_home->filePath(u".cursor/skills/pdf-tools/SKILL.md"_s);
    QCOMPARE(made.out, path + u'\n');
    QVERIFY(QFile::exists(path));

    const Run again = run({ u"pdf tools"_s, u"--tool"_s, u"cursor"_s });
    QCOMPARE(again.code, int(ExitUserError));
    QCOMPARE(again.err, u"quire new: A skill with this name already exists\n"_s);
    const Run invalid = run({ u"--"_s, u"..."_s });
    QCOMPARE(invalid.code, int(ExitUserError));
    QCOMPARE(invalid.err, u"quire new: Invalid skill name\n"_s);
    QVERIFY(invalid.out.isEmpty());

    auto store = ModelContext::open(ModelContext::defaultPath());
    QVERIFY(store);
    QCOMPARE(store.value()->skillCount(), 1);
    QCOMPARE(store.value()->skillByResolvedPath(path)->name(), u"Pdf Tools"_s);
}

void NewCommandTest::childProcessUsesTheDefaultTool()
{
    SettingsStore(SettingsStore::defaultPath()).setDefaultTool(ToolSource::Amp);
    QProcess process; // inherits the fake home set up in init()
    process.start(QStringLiteral(QUIRE_BINARY), { u"new"_s, u"Notes"_s });
    QVERIFY(process.waitForFinished(60000));
    QCOMPARE(process.exitCode(), int(ExitOk));
    QCOMPARE(QString::fromUtf8(process.readAllStandardOutput()),
        m_home->filePath(u".config/amp/AGENTS.md"_s) + u'\n');
}

QTEST_GUILESS_MAIN(NewCommandTest)
#include "tst_newcommand.moc"
