#include "exitcode.h"
#include "fakehome.h"
#include "modelcontext.h"
#include "quirerun.h"
#include "settingsstore.h"

#include <QFile>
#include <QTest>

#include <memory>

using namespace Qt::StringLiterals;

namespace {

QuireRun run(const QStringList &arguments)
{
    return runQuireInProcess(QStringList { u"new"_s } + arguments);
}

} // namespace

class NewCommandTest final : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void init() { m_home = std::make_unique<FakeHome>(); }
    void badUsage_data();
    void badUsage();
    void createsAndRefuses();
    void childProcessUsesTheDefaultTool();

private:
    std::unique_ptr<FakeHome> m_home;
};

void NewCommandTest::badUsage_data()
{
    QTest::addColumn<QStringList>("arguments");
    QTest::newRow("no name") << QStringList();
    QTest::newRow("unknown tool") << QStringList { u"a"_s, u"--tool"_s, u"Claude"_s };
}

void NewCommandTest::badUsage()
{
    QFETCH(QStringList, arguments);
    const QuireRun result = run(arguments);
    QCOMPARE(result.code, int(ExitUsage));
    QVERIFY(result.err.contains("quire new NAME"));
    QVERIFY(!QFile::exists(m_home->path(u".claude"_s)));
}

void NewCommandTest::createsAndRefuses()
{
    const QuireRun made = run({ u"Pdf Tools"_s, u"--tool"_s, u"cursor"_s });
    QCOMPARE(made.code, int(ExitOk));
    const QString path = m_home->path(u".cursor/skills/pdf-tools/SKILL.md"_s);
    QCOMPARE(QString::fromUtf8(made.out), path + u'\n');
    QVERIFY(QFile::exists(path));

    const QuireRun again = run({ u"pdf tools"_s, u"--tool"_s, u"cursor"_s });
    QCOMPARE(again.code, int(ExitUserError));
    QCOMPARE(again.err, QByteArray("quire new: A skill with this name already exists\n"));
    const QuireRun invalid = run({ u"--"_s, u"..."_s });
    QCOMPARE(invalid.code, int(ExitUserError));
    QCOMPARE(invalid.err,
        QByteArray("quire new: Invalid skill name: use letters, numbers, spaces or hyphens\n"));
    QVERIFY(invalid.out.isEmpty());

    auto store = ModelContext::open(ModelContext::defaultPath());
    QVERIFY(store);
    QCOMPARE(store.value()->skillCount(), 1);
    QCOMPARE(store.value()->skillByResolvedPath(path)->name(), u"Pdf Tools"_s);
}

void NewCommandTest::childProcessUsesTheDefaultTool()
{
    SettingsStore(SettingsStore::defaultPath()).setDefaultTool(ToolSource::Amp);
    const QuireRun made = m_home->quire({ u"new"_s, u"Notes"_s });
    QCOMPARE(made.code, int(ExitOk));
    QCOMPARE(QString::fromUtf8(made.out), m_home->path(u".config/amp/AGENTS.md"_s) + u'\n');
}

QTEST_GUILESS_MAIN(NewCommandTest)
#include "tst_newcommand.moc"
