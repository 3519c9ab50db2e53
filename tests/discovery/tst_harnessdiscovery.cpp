#include "fakehome.h"
#include "memorystore.h"
#include "settingsstore.h"
#include "skillscanner.h"

#include <QDir>
#include <QFile>
#include <QTest>

using namespace Qt::StringLiterals;

namespace {

const QByteArray skillText = "---\nname: n\ndescription: d\n---\nbody\n";
// Every reader of the shared skills folders except the one it is not.
const QString sharedReaders = u"cline,codex,copilot,gemini,opencode,windsurf,zed"_s;
const QString agentsMdReaders
    = u"amp,cline,codex,continue,copilot,cursor,kiro,opencode,windsurf,zed"_s;

} // namespace

// A fake home with one project holding every kind of place harnesses read.
class HarnessDiscoveryTest final : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void init();
    void everyPlace_data();
    void everyPlace();
    void walksAreBounded();
    void wronglyFiledToolGoesAway();

private:
    Skill *scanAndFind(const QString &relative);
    void scan();

    std::unique_ptr<FakeHome> m_home;
    std::unique_ptr<ModelContext> m_store;
    std::unique_ptr<SettingsStore> m_settings;
};

void HarnessDiscoveryTest::init()
{
    m_home = std::make_unique<FakeHome>(FakeHome::Store::Memory);
    m_store = openMemoryStore();
    QVERIFY(m_store);
    m_settings = std::make_unique<SettingsStore>(m_home->settingsPath());
    QVERIFY(QDir().mkpath(m_home->path(u"work"_s)));
    QVERIFY(m_settings->setCustomScanPaths({ m_home->path(u"work"_s) }));
}

void HarnessDiscoveryTest::scan()
{
    SkillScanner scanner(m_store.get(), m_settings.get());
    scanner.scanAll();
    QVERIFY(scanner.lastSave());
}

Skill *HarnessDiscoveryTest::scanAndFind(const QString &relative)
{
    scan();
    return m_store->skillByResolvedPath(QFileInfo(m_home->path(relative)).canonicalFilePath());
}

void HarnessDiscoveryTest::everyPlace_data()
{
    QTest::addColumn<QString>("file"); // below the fake home; work/app is the project
    QTest::addColumn<QByteArray>("text");
    QTest::addColumn<QString>("expected"); // name | kind | tools | isDirectory, or empty: not found

    const QByteArray plain = "# Title\nbody\n";
    const QByteArray toml = "description = \"Review a change\"\nprompt = \"\"\"\nGo.\n\"\"\"\n";
    auto row = [](const char *name, const QString &file, const QByteArray &text,
                   const QString &expected) { QTest::newRow(name) << file << text << expected; };
    row("claude memory", u".claude/CLAUDE.md"_s, plain, u"Title|instructions|claude|0"_s);
    row("claude rule", u".claude/rules/tests.md"_s, plain, u"tests|rule|claude|0"_s);
    row("claude command in a group", u".claude/commands/git/commit.md"_s, plain,
        u"commit|command|claude|0"_s);
    row("claude agent", u".claude/agents/reviewer.md"_s, skillText, u"n|agent|claude|0"_s);
    row("shared skills", u".agents/skills/pdf/SKILL.md"_s, skillText,
        u"n|skill|"_s + sharedReaders + u"|1"_s);
    row("codex skill grouped deep", u".codex/skills/a/b/c/d/e/f/SKILL.md"_s, skillText,
        u"n|skill|codex|1"_s);
    row("codex skill below the walk", u".codex/skills/a/b/c/d/e/f/g/SKILL.md"_s, skillText,
        QString());
    row("codex override", u".codex/AGENTS.override.md"_s, plain, u"Title|instructions|codex|0"_s);
    row("codex agents folder, kept", u".codex/old/AGENTS.md"_s, plain,
        u"Title|instructions|codex|1"_s);
    row("cursor rules folder, kept", u".cursor/rules/style.mdc"_s, skillText, u"n|rule|cursor|0"_s);
    row("windsurf global rules", u".codeium/windsurf/memories/global_rules.md"_s, plain,
        u"global_rules|instructions|windsurf|0"_s);
    row("gemini memory", u".gemini/GEMINI.md"_s, plain, u"Title|instructions|gemini|0"_s);
    row("gemini TOML command", u".gemini/commands/git/review.toml"_s, toml,
        u"review|command|gemini|0"_s);
    row("gemini TOML that is not UTF-8", u".gemini/commands/bad.toml"_s,
        QByteArray("description = \"\xff\""), QString());
    row("opencode command", u".config/opencode/commands/ship.md"_s, plain,
        u"ship|command|opencode|0"_s);
    row("kiro steering", u".kiro/steering/tech.md"_s, plain, u"tech|rule|kiro|0"_s);
    row("cline skill", u".cline/skills/x/SKILL.md"_s, skillText, u"n|skill|cline|1"_s);
    row("continue rule", u".continue/rules/style.md"_s, plain, u"style|rule|continue|0"_s);
    row("windsurf workflow", u"work/app/.windsurf/workflows/release.md"_s, plain,
        u"release|workflow|windsurf|0"_s);
    row("project AGENTS.md", u"work/app/AGENTS.md"_s, plain,
        u"Title|instructions|"_s + agentsMdReaders + u"|0"_s);
    row("project CLAUDE.local.md", u"work/app/CLAUDE.local.md"_s, plain,
        u"Title|instructions|claude|0"_s);
    row("nested cursor rule", u"work/app/.cursor/rules/web/forms/input.mdc"_s, skillText,
        u"n|rule|cursor|0"_s);
    row("copilot path instructions", u"work/app/.github/instructions/ts/style.instructions.md"_s,
        plain, u"style|rule|copilot|0"_s);
    row("copilot prompt", u"work/app/.github/prompts/plan.prompt.md"_s, plain,
        u"plan|command|copilot|0"_s);
    row("copilot agent", u"work/app/.github/agents/fixer.agent.md"_s, plain,
        u"fixer|agent|copilot|0"_s);
    row("copilot instructions that are not theirs", u"work/app/.github/instructions/notes.md"_s,
        plain, QString());
    row("clinerules as a file", u"work/app/.clinerules"_s, plain, u".clinerules|rule|cline|0"_s);
    row("clinerules as a folder", u"work/app/.clinerules/style.md"_s, plain,
        u"style|rule|cline|0"_s);
    row("zed rules", u"work/app/.rules"_s, plain, u"Title|instructions|zed|0"_s);
    row("junie guidelines", u"work/app/.junie/guidelines.md"_s, plain,
        u"Title|instructions|junie|0"_s);
    row("devin rule", u"work/app/.devin/rules/api.md"_s, plain, u"api|rule|windsurf|0"_s);
    row("project shared skills", u"work/app/.agents/skills/s/SKILL.md"_s, skillText,
        u"n|skill|amp,cline,codex,copilot,cursor,gemini,opencode,windsurf,zed|1"_s);
}

void HarnessDiscoveryTest::everyPlace()
{
    QFETCH(QString, file);
    QFETCH(QByteArray, text);
    QFETCH(QString, expected);
    m_home->write(file, text);
    const Skill *skill = scanAndFind(file);
    if (expected.isEmpty()) {
        QVERIFY2(!skill, qPrintable(file));
        return;
    }
    QVERIFY2(skill, qPrintable(file));
    QCOMPARE(u"%1|%2|%3|%4"_s.arg(skill->name(), skill->kindRaw(), skill->toolSourcesRaw())
                 .arg(int(skill->isDirectory())),
        expected);
}

void HarnessDiscoveryTest::walksAreBounded()
{
    // A link back up the tree is walked once, not until the path is too long.
    m_home->write(u".codex/skills/a/SKILL.md"_s, skillText);
    QVERIFY(QDir().mkpath(m_home->path(u".codex/skills/group"_s)));
    QVERIFY(
        QFile::link(m_home->path(u".codex/skills"_s), m_home->path(u".codex/skills/group/up"_s)));
    scan();
    QCOMPARE(m_store->skillCount(), 1);
    QCOMPARE(m_store->skills().first()->installedPaths().size(), 1);
}

void HarnessDiscoveryTest::wronglyFiledToolGoesAway()
{
    // Stores of earlier versions filed the shared folder under Claude Code.
    const QString path = m_home->write(u".agents/skills/pdf/SKILL.md"_s, skillText);
    Skill::Seed seed;
    seed.filePath = path;
    seed.resolvedPath = QFileInfo(path).canonicalFilePath();
    seed.isDirectory = true;
    seed.isGlobal = true;
    seed.tool = ToolSource::Claude;
    QVERIFY(m_store->insert(Skill::make(seed)));
    QVERIFY(m_store->save());
    const Skill *skill = scanAndFind(u".agents/skills/pdf/SKILL.md"_s);
    QVERIFY(skill);
    QCOMPARE(skill->toolSourcesRaw(), sharedReaders);
}

QTEST_GUILESS_MAIN(HarnessDiscoveryTest)
#include "tst_harnessdiscovery.moc"
