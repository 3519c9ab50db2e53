#include "artifactcache.h"
#include "corpus.h"
#include "fakehome.h"
#include "memorystore.h"
#include "settingsstore.h"
#include "skillscanner.h"

#include <QDir>
#include <QFile>
#include <QTest>

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

using namespace Qt::StringLiterals;

// Every scan runs in a fake home; nothing of the real user is read.
class SkillScannerTest final : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void init();
    void layouts_data();
    void layouts();
    void routesMerge_data();
    void routesMerge();
    void invalidUtf8KeepsTheRecord();
    void badFilesNeverBlock();
    void prune();
    void rescanPicksUpEveryChange_data();
    void rescanPicksUpEveryChange();
    void corpusAsHome();

private:
    QString home(const QString &relative) const { return m_home->path(relative); }
    void write(const QString &relative, const QByteArray &bytes) const
    {
        m_home->write(relative, bytes);
    }
    void link(const QString &target, const QString &relative) const;
    void scan(bool prune = false);
    QStringList dump(const ModelContext &store) const;

    std::unique_ptr<FakeHome> m_home;
    std::unique_ptr<ModelContext> m_store;
    std::unique_ptr<SettingsStore> m_settings;
};

void SkillScannerTest::init()
{
    m_home = std::make_unique<FakeHome>(FakeHome::Store::Memory);
    m_store = openMemoryStore();
    QVERIFY(m_store);
    m_settings = std::make_unique<SettingsStore>(m_home->settingsPath());
}

void SkillScannerTest::link(const QString &target, const QString &relative) const
{
    QVERIFY(QDir().mkpath(QFileInfo(home(relative)).absolutePath()));
    QVERIFY(QFile::link(target.startsWith(u'/') ? target : home(target), home(relative)));
}

void SkillScannerTest::scan(bool prune)
{
    SkillScanner scanner(m_store.get(), m_settings.get());
    scanner.scanAll();
    if (prune)
        scanner.pruneMissingSkills();
    QVERIFY2(scanner.lastSave(),
        qPrintable(scanner.lastSave() ? QString() : scanner.lastSave().error().message));
}

QStringList SkillScannerTest::dump(const ModelContext &store) const
{
    QStringList rows;
    for (const Skill *s : store.skillsByName()) {
        rows.append(QStringList { s->resolvedPath(), s->filePath(),
            QString::number(s->isDirectory()), s->name(), s->skillDescription(), s->content(),
            QString::fromUtf8(s->frontmatterData().value_or("-")),
            s->fileModifiedDate().toString(Qt::ISODateWithMs), QString::number(s->fileSize()),
            QString::number(s->isGlobal()), s->toolSourcesRaw(), s->installedPaths().join(u',') }
                        .join(u" | ")
                        .remove(m_home->path()));
    }
    return rows;
}

void SkillScannerTest::layouts_data()
{
    QTest::addColumn<QString>("file");
    QTest::addColumn<QByteArray>("text");
    QTest::addColumn<QString>(
        "expected"); // name | tools | isDirectory | isGlobal, or empty: ignored

    const QByteArray named = "---\nname: PDF tools\ndescription: d\n---\n# Body\n";
    QTest::newRow("claude folder skill")
        << u".claude/skills/pdf/SKILL.md"_s << named << u"PDF tools|claude|1|1"_s;
    QTest::newRow("shared skills folder: its readers, not Claude Code")
        << u".agents/skills/x/SKILL.md"_s << named
        << u"PDF tools|cline,codex,copilot,gemini,opencode,windsurf,zed|1|1"_s;
    QTest::newRow("AGENTS.md stands in for SKILL.md")
        << u".cursor/skills/y/AGENTS.md"_s << QByteArray("no block") << u"y|cursor|1|1"_s;
    QTest::newRow("mdc rule, name from file")
        << u".cursor/rules/style.mdc"_s << QByteArray("---\nglobs: *.ts\n---\nx")
        << u"style|cursor|0|1"_s;
    QTest::newRow("windsurf memory")
        << u".codeium/windsurf/memories/m.md"_s << named << u"PDF tools|windsurf|0|1"_s;
    QTest::newRow("codex AGENTS.md by heading")
        << u".codex/AGENTS.md"_s << QByteArray("intro\n# Repo rules\n")
        << u"Repo rules|codex|0|1"_s;
    QTest::newRow("codex without heading")
        << u".codex/AGENTS.md"_s << QByteArray("##  no\n#no") << u"AGENTS|codex|0|1"_s;
    QTest::newRow("codex skill folder")
        << u".codex/skills/AGENTS.md"_s << QByteArray("# Sub") << u"Sub|codex|1|1"_s;
    QTest::newRow("amp") << u".config/amp/AGENTS.md"_s << QByteArray("# Amp\r\n")
                         << u"Amp\r|amp|0|1"_s;
    QTest::newRow("codex ignores other md") << u".codex/notes.md"_s << named << QString();
    QTest::newRow("txt is not a skill") << u".claude/skills/readme.txt"_s << named << QString();
    QTest::newRow("extensions are case-sensitive")
        << u".claude/skills/README.MD"_s << named << QString();
    QTest::newRow("hidden skill folder")
        << u".claude/skills/.hidden/SKILL.md"_s << named << QString();
    QTest::newRow("project copilot")
        << u"work/app/.github/copilot-instructions.md"_s << QByteArray("no heading")
        << u"copilot-instructions|copilot|0|0"_s;
    QTest::newRow("project claude skill")
        << u"work/app/.claude/skills/z/SKILL.md"_s << named << u"PDF tools|claude|1|0"_s;
    QTest::newRow("project amp") << u"work/app/.config/amp/AGENTS.md"_s << QByteArray("# A")
                                 << u"A|amp|0|0"_s;
    QTest::newRow("projects are one level deep")
        << u"work/a/b/.claude/skills/z/SKILL.md"_s << named << QString();
}

void SkillScannerTest::layouts()
{
    QFETCH(QString, file);
    QFETCH(QByteArray, text);
    QFETCH(QString, expected);
    write(file, text);
    m_settings->setCustomScanPaths({ home(u"work"_s), home(u"missing"_s) });
    scan();
    if (expected.isEmpty()) {
        QCOMPARE(m_store->skillCount(), 0);
        return;
    }
    QCOMPARE(m_store->skillCount(), 1);
    const Skill *skill = m_store->skills().constFirst();
    QCOMPARE(u"%1|%2|%3|%4"_s.arg(skill->name(), skill->toolSourcesRaw())
                 .arg(int(skill->isDirectory()))
                 .arg(int(skill->isGlobal())),
        expected);
    QCOMPARE(skill->filePath(), home(file));
    QCOMPARE(skill->fileSize(), text.size());
}

void SkillScannerTest::routesMerge_data()
{
    QTest::addColumn<QString>("linkTarget");
    QTest::addColumn<QString>("linkAt");
    QTest::addColumn<QString>("tools");
    QTest::addColumn<int>("routes");
    QTest::newRow("shared folder linking to Claude Code's")
        << u".claude/skills/pdf"_s << u".agents/skills/pdf"_s
        << u"claude,cline,codex,copilot,gemini,opencode,windsurf,zed"_s << 2;
    QTest::newRow("project folder linking to a global one")
        << u".claude/skills"_s << u"work/app/.cursor/skills"_s << u"claude,cursor"_s << 2;
    QTest::newRow("folder linking to itself is an ordinary route")
        << u".claude/skills"_s << u".claude/skills/up"_s << u"claude"_s << 1;
}

void SkillScannerTest::routesMerge()
{
    QFETCH(QString, linkTarget);
    QFETCH(QString, linkAt);
    QFETCH(QString, tools);
    QFETCH(int, routes);
    write(u".claude/skills/pdf/SKILL.md"_s, "---\nname: pdf\n---\n");
    write(u".claude/skills/pdf/scripts/run.py"_s, "print()");
    link(linkTarget, linkAt);
    m_settings->setCustomScanPaths({ home(u"work"_s) });
    scan();
    scan(); // a second scan changes nothing
    QCOMPARE(m_store->skillCount(), 1);
    const Skill *skill = m_store->skills().constFirst();
    QCOMPARE(skill->toolSourcesRaw(), tools);
    QCOMPARE(skill->installedPaths().size(), routes);
    QVERIFY(skill->isGlobal()); // global folders are visited first
    QCOMPARE(skill->resolvedPath(),
        QFileInfo(home(u".claude/skills/pdf/SKILL.md"_s)).canonicalFilePath());
    for (const QString &route : skill->installedPaths())
        QCOMPARE(ArtifactCache::shared().artifactsForPath(route).size(), 1);
}

void SkillScannerTest::invalidUtf8KeepsTheRecord()
{
    write(u".cursor/rules/a.md"_s, "---\nname: good\n---\nold body");
    scan();
    write(u".cursor/rules/a.md"_s, "---\nname: bad\n---\n\xff\xfe broken");
    write(u".cursor/rules/b.md"_s, "\xc3\x28");
    scan();
    QCOMPARE(m_store->skillCount(), 1);
    QCOMPARE(m_store->skills().constFirst()->content(), u"old body"_s);
}

void SkillScannerTest::badFilesNeverBlock()
{
    QVERIFY(QDir().mkpath(home(u".cursor/rules"_s)));
    QCOMPARE(::mkfifo(QFile::encodeName(home(u".cursor/rules/pipe.md"_s)).constData(), 0600), 0);
    QVERIFY(QDir().mkpath(home(u".claude/skills/fifo"_s)));
    QCOMPARE(
        ::mkfifo(QFile::encodeName(home(u".claude/skills/fifo/SKILL.md"_s)).constData(), 0600), 0);
    write(u".cursor/rules/huge.md"_s, QByteArray(17 * 1024 * 1024, 'a'));
    write(u".cursor/rules/fine.md"_s, "fine");
    link(u"/nonexistent/target.md"_s, u".cursor/rules/dangling.md"_s);
    scan(); // returning at all is the test for the pipes
    QCOMPARE(m_store->skillCount(), 1);
    QCOMPARE(m_store->skills().constFirst()->name(), u"fine"_s);
}

void SkillScannerTest::prune()
{
    write(u".cursor/rules/style.mdc"_s, "x");
    // The real folder sits under .agents; the .claude route, visited first, names the record.
    write(u".agents/skills/pdf/SKILL.md"_s, "x");
    link(u".agents/skills/pdf"_s, u".claude/skills/pdf"_s);
    scan();
    QCOMPARE(m_store->skillCount(), 2);
    Skill *pdf = m_store->skillByResolvedPath(
        QFileInfo(home(u".agents/skills/pdf/SKILL.md"_s)).canonicalFilePath());
    QVERIFY(pdf);
    QCOMPARE(pdf->filePath(), home(u".claude/skills/pdf/SKILL.md"_s));

    QVERIFY(QFile::remove(home(u".cursor/rules/style.mdc"_s)));
    QVERIFY(QFile::remove(home(u".claude/skills/pdf"_s)));
    scan();
    QCOMPARE(m_store->skillCount(), 2); // a scan never deletes
    scan(true);
    QCOMPARE(m_store->skillCount(), 1); // one route, gone: deleted
    QCOMPARE(pdf->installedPaths(), QStringList { home(u".agents/skills/pdf/SKILL.md"_s) });
    QCOMPARE(pdf->filePath(), home(u".agents/skills/pdf/SKILL.md"_s));
    QCOMPARE(pdf->toolSourcesRaw(), u"claude,cline,codex,copilot,gemini,opencode,windsurf,zed"_s);
}

void SkillScannerTest::rescanPicksUpEveryChange_data()
{
    QTest::addColumn<int>("change");
    QTest::newRow("edit keeping the size") << 0;
    QTest::newRow("touch") << 1;
    QTest::newRow("new route of another parse style") << 2;
    QTest::newRow("file replaced by rename") << 3;
    QTest::newRow("route removed then pruned") << 4;
}

void SkillScannerTest::rescanPicksUpEveryChange()
{
    QFETCH(int, change);
    write(u".claude/skills/foo/AGENTS.md"_s, "---\nname: front\n---\n# Heading\nbody one");
    write(u".cursor/rules/r.md"_s, "---\nname: r\n---\n");
    write(u".codex/AGENTS.md"_s, "# Codex");
    m_settings->setCustomScanPaths({ home(u"work"_s) });
    scan(true);

    switch (change) {
    case 0:
        write(u".claude/skills/foo/AGENTS.md"_s, "---\nname: front\n---\n# Heading\nbody two");
        break;
    case 1: {
        struct timespec times[2] = { { 0, UTIME_NOW }, { 0, UTIME_NOW } };
        QCOMPARE(::utimensat(AT_FDCWD, QFile::encodeName(home(u".codex/AGENTS.md"_s)).constData(),
                     times, 0),
            0);
        break;
    }
    case 2:
        link(u".claude/skills/foo"_s, u"work/p/.config/amp"_s);
        break;
    case 3:
        write(u".cursor/rules/r.tmp"_s, "---\nname: renamed\n---\n");
        QVERIFY(::rename(QFile::encodeName(home(u".cursor/rules/r.tmp"_s)).constData(),
                    QFile::encodeName(home(u".cursor/rules/r.md"_s)).constData())
            == 0);
        break;
    case 4:
        QVERIFY(QFile::remove(home(u".codex/AGENTS.md"_s)));
        break;
    }
    scan(true);
    const QStringList rescanned = dump(*m_store);

    // The same tree scanned into a new store is the reference.
    m_store = openMemoryStore();
    scan(true);
    QCOMPARE(rescanned, dump(*m_store));
}

void SkillScannerTest::corpusAsHome()
{
    const QString corpus = corpusPath();
    if (corpus.isEmpty())
        return;
    qputenv("HOME", QFile::encodeName(corpus + u"/home"_s));
    m_settings->setCustomScanPaths({ corpus + u"/projects"_s });
    scan(true);
    // Global: 47 + 36 + 5 + 1 + 1, and 6 Codex skills; in projects: 7, 8 instructions
    // files and 2 Copilot skills.
    QCOMPARE(m_store->skillCount(), 113);
    QHash<QString, int> perTool;
    for (const Skill *skill : m_store->skills()) {
        for (ToolSource tool : skill->toolSources())
            ++perTool[ToolSources::rawValue(tool)];
    }
    // Copilot's instructions and skills, and the four AGENTS.md that Amp reads too.
    QCOMPARE(perTool.value(u"copilot"_s), 7);
    QCOMPARE(perTool.value(u"amp"_s), 5);
    QVERIFY(perTool.value(u"cursor"_s) >= 36);
    const Skill *tdd = m_store->skillByResolvedPath(
        QFileInfo(corpus + u"/home/.claude/skills/test-driven-development/SKILL.md"_s)
            .canonicalFilePath());
    QVERIFY(tdd);
    QCOMPARE(tdd->name(), u"test-driven-development"_s);
    QVERIFY(tdd->isDirectory() && tdd->isGlobal());
    QVERIFY(!tdd->skillDescription().isEmpty());
    // Hidden folders are never visited.
    for (const Skill *skill : m_store->skills())
        QVERIFY2(!skill->filePath().contains(u"/.system/"_s), qPrintable(skill->filePath()));
}

QTEST_GUILESS_MAIN(SkillScannerTest)
#include "tst_skillscanner.moc"
