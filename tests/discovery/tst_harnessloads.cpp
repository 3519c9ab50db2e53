#include "fakehome.h"
#include "harnessloads.h"
#include "memorystore.h"
#include "skillrecords.h"

#include <QTest>

using namespace Qt::StringLiterals;

// Rows from the harness research: where each harness reads, which file wins
// a clash, and where its limits cut. Paths are below a fake home; those under
// work/app are the project a session starts in.
class HarnessLoadsTest final : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void init();
    void readers_data();
    void readers();
    void fate_data();
    void fate();

private:
    // Frontmatter as "key=value;key=value"; bytes, when given, are written to disk.
    Skill *add(const QString &relative, const QString &frontmatter = {}, qint64 size = 100,
        const QByteArray &bytes = {});
    QList<const Skill *> all() const;

    std::unique_ptr<FakeHome> m_home;
    std::unique_ptr<ModelContext> m_store;
};

void HarnessLoadsTest::init()
{
    m_home = std::make_unique<FakeHome>(FakeHome::Store::Memory);
    m_store = openMemoryStore();
    QVERIFY(m_store);
}

Skill *HarnessLoadsTest::add(
    const QString &relative, const QString &frontmatter, qint64 size, const QByteArray &bytes)
{
    const QString path = bytes.isEmpty() ? m_home->path(relative) : m_home->write(relative, bytes);
    Skill::Seed seed = skillSeed(path);
    seed.isGlobal = !relative.startsWith(u"work/");
    seed.fileSize = bytes.isEmpty() ? size : bytes.size();
    for (const QString &pair : frontmatter.split(u';', Qt::SkipEmptyParts))
        seed.frontmatter.insert(pair.section(u'=', 0, 0), pair.section(u'=', 1));
    seed.description = seed.frontmatter.value(u"description"_s);
    return addSkill(*m_store, seed);
}

QList<const Skill *> HarnessLoadsTest::all() const
{
    const QList<Skill *> skills = m_store->skills();
    return { skills.cbegin(), skills.cend() };
}

void HarnessLoadsTest::readers_data()
{
    QTest::addColumn<QString>("path");
    QTest::addColumn<QString>("expected"); // harnesses that read it, in table order
    QTest::newRow("~/.agents/skills: many, and not Claude Code")
        << u".agents/skills/pdf/SKILL.md"_s
        << u"windsurf,codex,copilot,gemini,opencode,cline,zed"_s;
    QTest::newRow("project .agents/skills adds Cursor and Amp")
        << u"work/app/.agents/skills/pdf/SKILL.md"_s
        << u"cursor,windsurf,codex,copilot,amp,gemini,opencode,cline,zed"_s;
    QTest::newRow("~/.claude/skills is borrowed by three")
        << u".claude/skills/pdf/SKILL.md"_s << u"claude,cursor,copilot,opencode"_s;
    QTest::newRow("project AGENTS.md")
        << u"work/app/AGENTS.md"_s
        << u"claude,cursor,windsurf,codex,copilot,amp,opencode,kiro,cline,continue,zed"_s;
    QTest::newRow("AGENTS.md inside .codex of a project")
        << u"work/app/.codex/AGENTS.md"_s << QString();
    QTest::newRow("~/.cursor/rules") << u".cursor/rules/go.mdc"_s << QString();
    QTest::newRow("a plain .md in .cursor/rules") << u"work/app/.cursor/rules/go.md"_s << QString();
    QTest::newRow("nested .cursor/rules, read by Cursor only")
        << u"work/app/.cursor/rules/web/api/go.mdc"_s << u"cursor"_s;
    QTest::newRow("Gemini commands in TOML")
        << u".gemini/commands/git/commit.toml"_s << u"gemini"_s;
}

void HarnessLoadsTest::readers()
{
    QFETCH(QString, path);
    QFETCH(QString, expected);
    const Skill *skill = add(path);
    HarnessLoads loads(m_home->path());
    loads.compute(all());
    QStringList readers;
    for (const HarnessLoad &load : loads.of(skill)) {
        if (load.status != LoadStatus::Ignored)
            readers.append(ToolSources::rawValue(load.tool));
    }
    QCOMPARE(readers.join(u','), expected);
    // Whatever no harness reads still says who looked and why not.
    QVERIFY(!loads.of(skill).isEmpty());
}

void HarnessLoadsTest::fate_data()
{
    QTest::addColumn<QStringList>("others");
    QTest::addColumn<QString>("path");
    QTest::addColumn<QString>("frontmatter");
    QTest::addColumn<QByteArray>("bytes"); // written when not empty
    QTest::addColumn<qint64>("size");
    QTest::addColumn<QString>("tool");
    QTest::addColumn<QString>("expected"); // "status how: words"
    const QString pdf = u".claude/skills/pdf/SKILL.md"_s;
    const QString agents = u"work/app/AGENTS.md"_s;
    const qint64 small = 100;
    const QByteArray none;
    // Precedence on equal names.
    QTest::newRow("Claude Code: personal beats project")
        << QStringList { pdf } << u"work/app/.claude/skills/pdf/SKILL.md"_s << QString() << none
        << small << u"claude"_s << u"shadowed description: Shadowed by ~/.claude/skills/pdf"_s;
    QTest::newRow("Gemini CLI: workspace beats user")
        << QStringList { u"work/app/.gemini/skills/pdf/SKILL.md"_s }
        << u".gemini/skills/pdf/SKILL.md"_s << QString() << none << small << u"gemini"_s
        << u"shadowed description: Shadowed by ~/work/app/.gemini/skills/pdf"_s;
    QTest::newRow("Gemini CLI: the .agents alias wins among the user's")
        << QStringList { u".agents/skills/pdf/SKILL.md"_s } << u".gemini/skills/pdf/SKILL.md"_s
        << QString() << none << small << u"gemini"_s
        << u"shadowed description: Shadowed by ~/.agents/skills/pdf"_s;
    QTest::newRow("Kiro: workspace wins")
        << QStringList { u"work/app/.kiro/skills/pdf/SKILL.md"_s } << u".kiro/skills/pdf/SKILL.md"_s
        << QString() << none << small << u"kiro"_s
        << u"shadowed description: Shadowed by ~/work/app/.kiro/skills/pdf"_s;
    QTest::newRow("Codex keeps equal names side by side")
        << QStringList { u".agents/skills/pdf/SKILL.md"_s } << u".codex/skills/pdf/SKILL.md"_s
        << QString() << none << small << u"codex"_s
        << u"loaded description: Loaded when its description fits the task"_s;
    QTest::newRow("Codex: the override file wins")
        << QStringList { u"work/app/AGENTS.override.md"_s } << agents << QString() << none << small
        << u"codex"_s << u"shadowed always: Shadowed by ~/work/app/AGENTS.override.md"_s;
    QTest::newRow("Claude Code reads AGENTS.md without a CLAUDE.md")
        << QStringList() << agents << QString() << none << small << u"claude"_s
        << u"loaded fallback: Loaded as a fallback"_s;
    QTest::newRow("Claude Code skips AGENTS.md beside a CLAUDE.md")
        << QStringList { u"work/app/CLAUDE.md"_s } << agents << QString() << none << small
        << u"claude"_s
        << u"ignored fallback: Not read: Claude Code reads AGENTS.md only when there is no CLAUDE.md"_s;
    QTest::newRow("OpenCode skips CLAUDE.md beside an AGENTS.md")
        << QStringList { agents } << u"work/app/CLAUDE.md"_s << QString() << none << small
        << u"opencode"_s
        << u"ignored fallback: Not read: OpenCode reads CLAUDE.md only when there is no AGENTS.md"_s;
    QTest::newRow("Zed: the first file of its list only")
        << QStringList { u"work/app/.rules"_s } << agents << QString() << none << small << u"zed"_s
        << u"shadowed always: Shadowed by ~/work/app/.rules"_s;
    // Limits.
    QTest::newRow("Codex: 32 KiB for the project's AGENTS.md files")
        << QStringList() << agents << QString() << none << qint64(40 * 1024) << u"codex"_s
        << u"truncated always: Cut at 32 KiB: the last 8 KiB are never read"_s;
    QTest::newRow("Codex: the override uses up the budget")
        << QStringList() << u"work/app/AGENTS.override.md"_s << QString() << none
        << qint64(32 * 1024) << u"codex"_s << u"loaded always: Loaded always"_s;
    QTest::newRow("Claude Code: listing cuts a long description")
        << QStringList() << pdf << u"description="_s + QString(1600, u'd') << none << small
        << u"claude"_s
        << u"truncated description: Description cut at 1,536 characters in the skill listing: the last 64 are never shown"_s;
    QTest::newRow("Claude Code: files over 4 MiB are skipped")
        << QStringList() << u"work/app/CLAUDE.md"_s << QString() << none
        << qint64(4 * 1024 * 1024 + 1) << u"claude"_s
        << u"ignored always: Not read: Claude Code skips files over 4 MiB"_s;
    QTest::newRow("Windsurf: 12,001 characters in a rule")
        << QStringList() << u"work/app/.windsurf/rules/long.md"_s << QString()
        << QByteArray(12001, 'w') << small << u"windsurf"_s
        << u"truncated always: Cut at 12,000 characters: the last 1 character is never read"_s;
    QTest::newRow("Windsurf: 12,000 characters in more bytes")
        << QStringList() << u"work/app/.windsurf/rules/long.md"_s << QString()
        << QString(12000, u'é').toUtf8() << small << u"windsurf"_s
        << u"loaded always: Loaded always"_s;
    QTest::newRow("Windsurf: 6,000 characters for the global file")
        << QStringList() << u".codeium/windsurf/memories/global_rules.md"_s << QString()
        << QByteArray(6500, 'w') << small << u"windsurf"_s
        << u"truncated always: Cut at 6,000 characters: the last 500 characters are never read"_s;
    // How a file's own frontmatter says it loads.
    const QString rule = u"work/app/.cursor/rules/ts.mdc"_s;
    QTest::newRow("Cursor: alwaysApply")
        << QStringList() << rule << u"alwaysApply=true"_s << none << small << u"cursor"_s
        << u"loaded always: Loaded always"_s;
    QTest::newRow("Cursor: globs")
        << QStringList() << rule << u"globs=[src/**/*.ts, *.tsx]"_s << none << small << u"cursor"_s
        << u"loaded glob: Loaded when files match src/**/*.ts, *.tsx"_s;
    QTest::newRow("Cursor: nothing to go by")
        << QStringList() << rule << QString() << none << small << u"cursor"_s
        << u"loaded manual: Loaded when you ask for it"_s;
    QTest::newRow("Windsurf: trigger glob")
        << QStringList() << u"work/app/.windsurf/rules/ts.md"_s << u"trigger=glob;globs=*.ts"_s
        << none << small << u"windsurf"_s << u"loaded glob: Loaded when files match *.ts"_s;
    QTest::newRow("Kiro: inclusion manual")
        << QStringList() << u"work/app/.kiro/steering/api.md"_s << u"inclusion=manual"_s << none
        << small << u"kiro"_s << u"loaded manual: Loaded when you ask for it"_s;
    QTest::newRow("Copilot: applyTo")
        << QStringList() << u"work/app/.github/instructions/ts.instructions.md"_s
        << u"applyTo=\"**/*.ts\""_s << none << small << u"copilot"_s
        << u"loaded glob: Loaded when files match **/*.ts"_s;
    QTest::newRow("a skill kept from the model")
        << QStringList() << pdf << u"disable-model-invocation=true"_s << none << small
        << u"claude"_s << u"loaded manual: Loaded when you ask for it"_s;
    QTest::newRow("Claude Code: personal rules with paths never load")
        << QStringList() << u".claude/rules/ts.md"_s << u"paths=src/**"_s << none << small
        << u"claude"_s
        << u"ignored glob: Not read: Claude Code does not load personal rules that have paths"_s;
    QTest::newRow("Claude Code: project rules with paths")
        << QStringList() << u"work/app/.claude/rules/ts.md"_s << u"paths=src/**"_s << none << small
        << u"claude"_s << u"loaded glob: Loaded when files match src/**"_s;
}

void HarnessLoadsTest::fate()
{
    QFETCH(QStringList, others);
    QFETCH(QString, path);
    QFETCH(QString, frontmatter);
    QFETCH(QByteArray, bytes);
    QFETCH(qint64, size);
    QFETCH(QString, tool);
    QFETCH(QString, expected);
    for (const QString &other : std::as_const(others))
        QVERIFY(add(other));
    const Skill *subject = add(path, frontmatter, size, bytes);
    QVERIFY(subject);
    HarnessLoads loads(m_home->path());
    loads.compute(all());
    const HarnessLoads::Session session
        = loads.session(*ToolSources::fromRaw(tool), m_home->path(u"work/app"_s));
    QString got;
    for (const HarnessLoads::Item &item : session.items) {
        if (item.skill == subject)
            got = HarnessLoad::rawValue(item.load.status) + u' '
                + HarnessTable::rawValue(item.load.how) + u": "_s + item.load.words();
    }
    QCOMPARE(got, expected);
    // A project file's own record agrees with the session in its project.
    if (!subject->isGlobal()) {
        for (const HarnessLoad &load : loads.of(subject)) {
            if (ToolSources::rawValue(load.tool) == tool)
                QCOMPARE(HarnessLoad::rawValue(load.status) + u' '
                        + HarnessTable::rawValue(load.how) + u": "_s + load.words(),
                    expected);
        }
    }
}

QTEST_GUILESS_MAIN(HarnessLoadsTest)
#include "tst_harnessloads.moc"
