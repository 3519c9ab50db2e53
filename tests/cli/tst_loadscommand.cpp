#include "fakehome.h"
#include "quirerun.h"

#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QTest>

using namespace Qt::StringLiterals;

// quire loads for three harnesses on one project: what each sees in load
// order, what it passes over, and its budgets.
class LoadsCommandTest final : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void initTestCase();
    void session_data();
    void session();
    void refusals_data();
    void refusals();
    void plainText();

private:
    std::unique_ptr<FakeHome> m_home;
};

void LoadsCommandTest::initTestCase()
{
    m_home = std::make_unique<FakeHome>();
    const QByteArray skill = "---\nname: %1\ndescription: Work with %1.\n---\n# Body\n";
    m_home->write(u".claude/skills/pdf/SKILL.md"_s, QByteArray(skill).replace("%1", "pdf"));
    m_home->write(
        u"work/app/.claude/skills/pdf/SKILL.md"_s, QByteArray(skill).replace("%1", "pdf"));
    m_home->write(
        u"work/app/.agents/skills/lint/SKILL.md"_s, QByteArray(skill).replace("%1", "lint"));
    m_home->write(u"work/app/AGENTS.md"_s, "# Agents\n" + QByteArray(40 * 1024, 'a'));
    m_home->write(u"work/app/CLAUDE.md"_s, "# Claude\n");
    m_home->write(u"work/app/.cursor/rules/ts.mdc"_s, "---\nglobs: src/**/*.ts\n---\nUse tabs.\n");
    m_home->write(u"work/app/.cursor/rules/notes.md"_s, "Plain notes.\n");
    QCOMPARE(m_home->quire({ u"dirs"_s, u"add"_s, m_home->path(u"work"_s) }).code, 0);
}

void LoadsCommandTest::session_data()
{
    QTest::addColumn<QString>("tool");
    QTest::addColumn<QStringList>("expected"); // "status kind name", in the order shown
    QTest::newRow("codex") << u"codex"_s
                           << QStringList { u"truncated instructions AGENTS.md"_s,
                                  u"loaded skill lint"_s };
    QTest::newRow("claude") << u"claude"_s
                            << QStringList { u"loaded instructions CLAUDE.md"_s,
                                   u"loaded skill pdf"_s, u"ignored instructions AGENTS.md"_s,
                                   u"shadowed skill pdf"_s };
    QTest::newRow("cursor") << u"cursor"_s
                            << QStringList { u"loaded instructions AGENTS.md"_s,
                                   u"loaded skill lint"_s, u"loaded skill pdf"_s,
                                   u"loaded rule ts"_s, u"shadowed skill pdf"_s,
                                   u"ignored rule notes"_s };
}

void LoadsCommandTest::session()
{
    QFETCH(QString, tool);
    QFETCH(QStringList, expected);
    const QuireRun run = m_home->quire(
        { u"loads"_s, tool, u"--project"_s, m_home->path(u"work/app"_s), u"--json"_s });
    QCOMPARE(run.code, 0);
    const QJsonObject document = QJsonDocument::fromJson(run.out).object();
    QCOMPARE(document.value(u"tool"_s).toString(), tool);
    QStringList got;
    for (const QJsonValue &value : document.value(u"items"_s).toArray()) {
        const QJsonObject item = value.toObject();
        const QString name = item.value(u"kind"_s).toString() == u"instructions"
            ? item.value(u"path"_s).toString().section(u'/', -1)
            : item.value(u"name"_s).toString();
        got << item.value(u"status"_s).toString() + u' ' + item.value(u"kind"_s).toString() + u' '
                + name;
    }
    QCOMPARE(got, expected);
    if (tool != u"codex")
        return;
    // The 32 KiB the project's AGENTS.md files share: over, and by how much.
    bool found = false;
    for (const QJsonValue &value : document.value(u"budgets"_s).toArray()) {
        const QJsonObject budget = value.toObject();
        if (budget.value(u"kind"_s) != u"instructions"_s)
            continue;
        found = true;
        QCOMPARE(budget.value(u"limit"_s).toInteger(), 32 * 1024);
        QCOMPARE(budget.value(u"used"_s).toInteger(), 40 * 1024 + 9);
        QVERIFY(budget.value(u"over"_s).toBool());
    }
    QVERIFY(found);
}

void LoadsCommandTest::refusals_data()
{
    QTest::addColumn<QStringList>("arguments");
    QTest::addColumn<int>("code");
    QTest::newRow("no tool") << QStringList { u"loads"_s } << 2;
    QTest::newRow("unknown tool") << QStringList { u"loads"_s, u"emacs"_s } << 1;
    QTest::newRow("a folder that is no project")
        << QStringList { u"loads"_s, u"codex"_s, u"--project"_s, QDir::tempPath() } << 1;
    QTest::newRow("no such folder")
        << QStringList { u"loads"_s, u"codex"_s, u"--project"_s, u"/no/such/place"_s } << 1;
}

void LoadsCommandTest::refusals()
{
    QFETCH(QStringList, arguments);
    QFETCH(int, code);
    const QuireRun run = m_home->quire(arguments);
    QCOMPARE(run.code, code);
    QVERIFY(run.out.isEmpty());
    QVERIFY(!run.err.isEmpty());
}

void LoadsCommandTest::plainText()
{
    const QuireRun run
        = m_home->quire({ u"loads"_s, u"codex"_s, u"--project"_s, m_home->path(u"work/app"_s) });
    QCOMPARE(run.code, 0);
    const QString out = QString::fromUtf8(run.out);
    QVERIFY2(out.contains(u"Cut at 32 KiB: the last 9 KiB are never read"_s), run.out);
    QVERIFY2(out.contains(u"OVER"_s), run.out);
}

QTEST_GUILESS_MAIN(LoadsCommandTest)
#include "tst_loadscommand.moc"
