#include "harnesstable.h"

#include <QSet>
#include <QTest>

using namespace Qt::StringLiterals;

namespace {

QString rawList(QList<ToolSource> tools)
{
    std::sort(tools.begin(), tools.end());
    QStringList raws;
    for (ToolSource tool : tools)
        raws.append(ToolSources::rawValue(tool));
    raws.removeDuplicates();
    return raws.join(u',');
}

// The harnesses reading one place, split by whether its files name them.
std::pair<QString, QString> readersOf(HarnessScope scope, const QString &path)
{
    QList<ToolSource> credited;
    QList<ToolSource> borrowing;
    for (const HarnessLocation &row : HarnessTable::locations()) {
        if (row.scope != scope || row.path != path || !row.ignoredBecause.isEmpty())
            continue;
        (row.credited ? credited : borrowing).append(row.tool);
    }
    return { rawList(credited), rawList(borrowing) };
}

int rankOf(ToolSource tool, HarnessScope scope, const QString &path)
{
    for (const HarnessLocation &row : HarnessTable::locationsOf(tool)) {
        if (row.scope == scope && row.path == path && row.ignoredBecause.isEmpty())
            return row.rank;
    }
    return -1;
}

} // namespace

class HarnessTableTest final : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void harnessOrder();
    void rowsAreUsable();
    void readers_data();
    void readers();
    void precedence_data();
    void precedence();
};

void HarnessTableTest::harnessOrder()
{
    // Stored raw values of the first eight keep their places; new ones come after amp.
    QStringList raws;
    for (ToolSource tool : ToolSources::all)
        raws.append(ToolSources::rawValue(tool));
    QCOMPARE(raws,
        QStringList({ u"claude"_s, u"cursor"_s, u"windsurf"_s, u"codex"_s, u"copilot"_s, u"aider"_s,
            u"amp"_s, u"gemini"_s, u"opencode"_s, u"kiro"_s, u"cline"_s, u"continue"_s, u"zed"_s,
            u"junie"_s, u"custom"_s }));
    QCOMPARE(ToolSources::displayName(ToolSource::Gemini), u"Gemini CLI"_s);
    for (const QString &raw : raws)
        QCOMPARE(ToolSources::rawValue(ToolSources::fromRaw(raw).value()), raw);
}

void HarnessTableTest::rowsAreUsable()
{
    QSet<ToolSource> targets;
    QSet<QString> seen;
    for (const HarnessLocation &row : HarnessTable::locations()) {
        const QString where = ToolSources::rawValue(row.tool) + u' ' + row.path;
        QVERIFY2(!row.path.isEmpty() && !row.path.startsWith(u'/') && !row.path.contains(u'~'),
            qPrintable(where));
        QVERIFY2(row.depth >= 1 && row.depth <= HarnessTable::walkDepth, qPrintable(where));
        QVERIFY2((row.shape == LocationShape::File) == row.names.isEmpty(), qPrintable(where));
        QVERIFY2(
            row.tool != ToolSource::Aider && row.tool != ToolSource::Custom, qPrintable(where));
        // Two rows of one harness for one place and shape would count its files twice.
        const QString key = where + u' ' + QString::number(int(row.scope)) + u' '
            + QString::number(int(row.shape)) + row.names.join(u',');
        QVERIFY2(!seen.contains(key), qPrintable(where));
        seen.insert(key);
        if (row.newSkillsHere) {
            QVERIFY2(!targets.contains(row.tool), qPrintable(where));
            targets.insert(row.tool);
            QVERIFY(row.scope == HarnessScope::Global && row.kind == SkillKind::Skill);
            QVERIFY(row.ignoredBecause.isEmpty());
        }
    }
    // Every harness with a skills folder can be given a new skill.
    for (ToolSource tool : ToolSources::all) {
        bool readsSkills = false;
        for (const HarnessLocation &row : HarnessTable::locationsOf(tool))
            readsSkills |= row.kind == SkillKind::Skill && row.scope == HarnessScope::Global
                && row.credited && row.ignoredBecause.isEmpty();
        QVERIFY2(HarnessTable::newSkillLocation(tool).has_value() == readsSkills,
            qPrintable(ToolSources::rawValue(tool)));
    }
}

void HarnessTableTest::readers_data()
{
    QTest::addColumn<HarnessScope>("scope");
    QTest::addColumn<QString>("path");
    QTest::addColumn<QString>("credited");
    QTest::addColumn<QString>("borrowing");
    const HarnessScope g = HarnessScope::Global;
    const HarnessScope p = HarnessScope::Project;
    QTest::newRow("~/.agents/skills is not Claude Code's")
        << g << u".agents/skills"_s << u"windsurf,codex,copilot,gemini,opencode,cline,zed"_s
        << QString();
    QTest::newRow("~/.claude/skills, borrowed by three")
        << g << u".claude/skills"_s << u"claude"_s << u"cursor,copilot,opencode"_s;
    QTest::newRow("project AGENTS.md, Claude Code only as a fallback")
        << p << u"AGENTS.md"_s
        << u"cursor,windsurf,codex,copilot,amp,opencode,kiro,cline,continue,zed"_s << u"claude"_s;
    QTest::newRow(".agents/skills in a project")
        << p << u".agents/skills"_s
        << u"cursor,windsurf,codex,copilot,amp,gemini,opencode,cline,zed"_s << QString();
    QTest::newRow("~/.cursor/rules is read by nobody")
        << g << u".cursor/rules"_s << QString() << QString();
    QTest::newRow("Gemini commands") << g << u".gemini/commands"_s << u"gemini"_s << QString();
}

void HarnessTableTest::readers()
{
    QFETCH(HarnessScope, scope);
    QFETCH(QString, path);
    QFETCH(QString, credited);
    QFETCH(QString, borrowing);
    const auto [named, others] = readersOf(scope, path);
    QCOMPARE(named, credited);
    QCOMPARE(others, borrowing);
}

void HarnessTableTest::precedence_data()
{
    QTest::addColumn<ToolSource>("tool");
    QTest::addColumn<QString>("winner");
    QTest::addColumn<HarnessScope>("winnerScope");
    QTest::addColumn<QString>("loser");
    QTest::addColumn<HarnessScope>("loserScope");
    const HarnessScope g = HarnessScope::Global;
    const HarnessScope p = HarnessScope::Project;
    QTest::newRow("claude: personal over project")
        << ToolSource::Claude << u".claude/skills"_s << g << u".claude/skills"_s << p;
    QTest::newRow("gemini: workspace over user")
        << ToolSource::Gemini << u".gemini/skills"_s << p << u".agents/skills"_s << g;
    QTest::newRow("gemini: the alias wins inside a tier")
        << ToolSource::Gemini << u".agents/skills"_s << g << u".gemini/skills"_s << g;
    QTest::newRow("gemini: project commands over user")
        << ToolSource::Gemini << u".gemini/commands"_s << p << u".gemini/commands"_s << g;
    QTest::newRow("codex: the override first")
        << ToolSource::Codex << u"AGENTS.override.md"_s << p << u"AGENTS.md"_s << p;
    QTest::newRow("opencode: AGENTS.md before CLAUDE.md")
        << ToolSource::OpenCode << u"AGENTS.md"_s << p << u"CLAUDE.md"_s << p;
    QTest::newRow("zed: .rules first of all")
        << ToolSource::Zed << u".rules"_s << p << u".cursorrules"_s << p;
    QTest::newRow("kiro: workspace skills win")
        << ToolSource::Kiro << u".kiro/skills"_s << p << u".kiro/skills"_s << g;
}

void HarnessTableTest::precedence()
{
    QFETCH(ToolSource, tool);
    QFETCH(QString, winner);
    QFETCH(HarnessScope, winnerScope);
    QFETCH(QString, loser);
    QFETCH(HarnessScope, loserScope);
    const int winning = rankOf(tool, winnerScope, winner);
    const int losing = rankOf(tool, loserScope, loser);
    QVERIFY(winning >= 0 && losing >= 0);
    QVERIFY(winning < losing);
}

QTEST_GUILESS_MAIN(HarnessTableTest)
#include "tst_harnesstable.moc"
