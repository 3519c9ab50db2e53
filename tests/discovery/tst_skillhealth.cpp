#include "fakehome.h"
#include "memorystore.h"
#include "settingsstore.h"
#include "skillhealth.h"
#include "skillhealthchecker.h"
#include "skillscanner.h"

#include <QFile>
#include <QSignalSpy>
#include <QTest>

using namespace Qt::StringLiterals;

using Shape = SkillHealthChecker::MetadataShape;

// Files as users write them (several taken from real skill collections),
// scanned in a fake home, then judged: each row is one file and the
// findings a reader expects of it, as "severity id".
class SkillHealthTest final : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void init();
    void agentSkills_data();
    void agentSkills() { checkOneFile(); }
    void cursorRules_data();
    void cursorRules() { checkOneFile(); }
    void placesAndSizes_data();
    void placesAndSizes() { checkOneFile(); }
    void metadataShape_data();
    void metadataShape();
    void duplicates_data();
    void duplicates();
    void followsScansAndSaves();
    void neverChangesAFile();
    void slicedCheckAgreesWithWhole();

private:
    QString home(const QString &relative) const { return m_home->path(relative); }
    void write(const QString &relative, const QByteArray &bytes) const
    {
        m_home->write(relative, bytes);
    }
    void scan(bool prune = false);
    Skill *skillAt(const QString &relative) const;
    QStringList idsOf(const QString &relative) const;
    void addColumns();
    void checkOneFile();

    std::unique_ptr<FakeHome> m_home;
    std::unique_ptr<ModelContext> m_store;
    std::unique_ptr<SettingsStore> m_settings;
    std::unique_ptr<SkillHealth> m_health;
};

void SkillHealthTest::init()
{
    m_health.reset();
    m_home = std::make_unique<FakeHome>(FakeHome::Store::Memory);
    m_store = openMemoryStore();
    QVERIFY(m_store);
    m_settings = std::make_unique<SettingsStore>(m_home->settingsPath());
    m_settings->setCustomScanPaths({ home(u"work"_s) });
    m_health = std::make_unique<SkillHealth>(m_store.get());
}

void SkillHealthTest::scan(bool prune)
{
    SkillScanner scanner(m_store.get(), m_settings.get());
    scanner.scanAll();
    if (prune)
        scanner.pruneMissingSkills();
}

Skill *SkillHealthTest::skillAt(const QString &relative) const
{
    for (Skill *skill : m_store->skills()) {
        if (skill->installedPaths().contains(home(relative)))
            return skill;
    }
    return nullptr;
}

QStringList SkillHealthTest::idsOf(const QString &relative) const
{
    QStringList ids;
    for (const HealthFinding &finding : m_health->findings(skillAt(relative)))
        ids.append(HealthFinding::severityName(finding.severity) + u' ' + finding.id);
    return ids;
}

void SkillHealthTest::addColumns()
{
    QTest::addColumn<QString>("path");
    QTest::addColumn<QByteArray>("bytes");
    QTest::addColumn<QStringList>("expected");
}

void SkillHealthTest::checkOneFile()
{
    QFETCH(QString, path);
    QFETCH(QByteArray, bytes);
    QFETCH(QStringList, expected);
    write(path, bytes);
    scan();
    QVERIFY2(skillAt(path), "the file was not scanned");
    QCOMPARE(idsOf(path), expected);
    const bool attention = std::any_of(expected.cbegin(), expected.cend(),
        [](const QString &id) { return !id.startsWith(u"note"); });
    QCOMPARE(m_health->needsAttention(skillAt(path)), attention);
    QCOMPARE(m_health->attentionCount(), attention ? 1 : 0);
}

void SkillHealthTest::agentSkills_data()
{
    addColumns();
    const QString pdf = u".claude/skills/pdf/SKILL.md"_s;
    QTest::newRow("valid") << pdf
                           << QByteArray(
                                  "---\nname: pdf\ndescription: Work with PDF files.\n---\n# PDF\n")
                           << QStringList();
    QTest::newRow("quotes are not part of a YAML value")
        << pdf
        << QByteArray(
               "---\nname: 'pdf'\ndescription: \"Work with PDF files.\"\nlicense: MIT\n---\nx")
        << QStringList();
    QTest::newRow("no frontmatter at all")
        << pdf << QByteArray("# PDF\nRead me.\n")
        << QStringList { u"error skill.description.missing"_s, u"error skill.name.missing"_s };
    QTest::newRow("upper case, and not the folder's name")
        << pdf << QByteArray("---\nname: PDF\ndescription: d\n---\nx")
        << QStringList { u"error skill.name.folder"_s, u"error skill.name.format"_s };
    QTest::newRow("double hyphen") << u".claude/skills/pdf--tools/SKILL.md"_s
                                   << QByteArray("---\nname: pdf--tools\ndescription: d\n---\nx")
                                   << QStringList { u"error skill.name.format"_s };
    QTest::newRow("65 characters")
        << u".claude/skills/%1/SKILL.md"_s.arg(QString(65, u'a'))
        << QByteArray("---\nname: " + QByteArray(65, 'a') + "\ndescription: d\n---\nx")
        << QStringList { u"error skill.name.format"_s };
    // From a published collection: the name carries a vendor prefix its folder lacks.
    QTest::newRow("vendor prefix")
        << u".claude/skills/composition-patterns/SKILL.md"_s
        << QByteArray("---\nname: vercel-composition-patterns\ndescription: React composition "
                      "patterns that scale.\n"
                      "license: MIT\nmetadata:\n  author: vercel\n  version: \"1.0.0\"\n---\n\n# "
                      "React Composition Patterns\n")
        << QStringList { u"error skill.name.folder"_s };
    // Names as the reference validator reads them: NFKC first, any script,
    // counted in characters.
    const auto named = [](const QString &folder, const QString &name) {
        return std::pair(u".claude/skills/%1/SKILL.md"_s.arg(folder),
            "---\nname: " + name.toUtf8() + "\ndescription: d\n---\nx");
    };
    for (const auto &[row, folder, name, expected] : {
             std::tuple("lower-case Cyrillic", u"мой-навык"_s, u"мой-навык"_s, QStringList()),
             std::tuple("letters without case", u"技能"_s, u"技能"_s, QStringList()),
             std::tuple("upper-case Cyrillic", u"НАВЫК"_s, u"НАВЫК"_s,
                 QStringList { u"error skill.name.format"_s }),
             std::tuple("decomposed name, composed folder", u"caf\u00e9"_s, u"cafe\u0301"_s,
                 QStringList()),
             std::tuple("full-width name", u"pdf"_s, u"\uff50\uff44\uff46"_s, QStringList()),
             // Two UTF-16 units each, so 80 units but 40 characters.
             std::tuple("40 letters beyond the BMP", QString(), QString(), QStringList()),
         }) {
        const QString deseret = QString::fromUcs4(std::u32string(40, U'\U00010428').data(), 40);
        const auto [path, bytes]
            = named(folder.isEmpty() ? deseret : folder, name.isEmpty() ? deseret : name);
        QTest::newRow(row) << path << bytes << expected;
    }
    QTest::newRow("an unquoted colon in the description")
        << pdf << QByteArray("---\nname: pdf\ndescription: Use when: the user asks\n---\nx")
        << QStringList { u"warning frontmatter.strict-yaml"_s };
    QTest::newRow("empty description block")
        << pdf << QByteArray("---\nname: pdf\ndescription: >-\n---\nx")
        << QStringList { u"error skill.description.missing"_s };
    QTest::newRow("1,025 characters of description, multi-byte")
        << pdf
        << QByteArray("---\nname: pdf\ndescription: " + QString(1025, u'é').toUtf8() + "\n---\nx")
        << QStringList { u"error skill.description.length"_s };
    QTest::newRow("1,024 characters of description")
        << pdf << QByteArray("---\nname: pdf\ndescription: " + QByteArray(1024, 'd') + "\n---\nx")
        << QStringList();
    QTest::newRow("501 characters of compatibility")
        << pdf
        << QByteArray("---\nname: pdf\ndescription: d\ncompatibility: " + QByteArray(501, 'c')
               + "\n---\nx")
        << QStringList { u"error skill.compatibility.length"_s };
    // From a published skill: a nested requires map under metadata, which the
    // reference validator accepts.
    QTest::newRow("nested metadata")
        << u".claude/skills/nano-banana-pro-openrouter/SKILL.md"_s
        << QByteArray("---\nname: nano-banana-pro-openrouter\ndescription: 'Generate or edit "
                      "images via OpenRouter.'\n"
                      "metadata:\n  emoji: x\n  requires:\n    bins:\n      - uv\n    env:\n      "
                      "- OPENROUTER_API_KEY\n"
                      "  primaryEnv: OPENROUTER_API_KEY\n---\n\n# Nano Banana Pro OpenRouter\n")
        << QStringList { u"warning skill.metadata.nested"_s };
    QTest::newRow("harness keys are a note, comments are not keys")
        << u".claude/skills/brag-sheet/SKILL.md"_s
        << QByteArray("---\nname: brag-sheet\ndescription: Turn work into a brag "
                      "sheet.\nargument-hint: [period]\n"
                      "# source: https://example.org/a\n---\nx")
        << QStringList { u"note skill.key.unknown"_s };
    QTest::newRow("CR LF: warned, and still judged as a harness reads it")
        << pdf
        << QByteArray(
               "---\r\nname: pdf-tools\r\ndescription: Work with PDF files.\r\n---\r\n# PDF\r\n")
        << QStringList { u"error skill.name.folder"_s, u"warning frontmatter.unreadable"_s };
    QTest::newRow("never closed") << pdf << QByteArray("---\nname: pdf\ndescription: d\n# PDF\n")
                                  << QStringList { u"error skill.description.missing"_s,
                                         u"error skill.name.missing"_s,
                                         u"warning frontmatter.unreadable"_s };
    QTest::newRow("an AGENTS.md in a folder below ~/.codex is no Agent Skill, and unread")
        << u".codex/helper/AGENTS.md"_s << QByteArray("# Helper\n")
        << QStringList { u"warning location.unread"_s };
}

void SkillHealthTest::cursorRules_data()
{
    addColumns();
    const QString rule = u"work/app/.cursor/rules/style.mdc"_s;
    QTest::newRow("description") << rule
                                 << QByteArray("---\ndescription: TypeScript style\n---\nUse tabs.")
                                 << QStringList();
    QTest::newRow("globs only") << rule
                                << QByteArray("---\nglobs: *.ts\nalwaysApply: false\n---\nx")
                                << QStringList();
    QTest::newRow("alwaysApply yes")
        << rule << QByteArray("---\nalwaysApply: yes\n---\nx")
        << QStringList { u"error rule.alwaysApply.value"_s, u"warning rule.unapplied"_s };
    // From a public project: a rules file without frontmatter.
    QTest::newRow("no frontmatter")
        << u"work/ollama/.cursor/rules/general.mdc"_s
        << QByteArray("# AI Context for Ollama Reranking Implementation\n\n## MISSION OBJECTIVE\n")
        << QStringList { u"warning rule.unapplied"_s };
    QTest::newRow("unknown key") << rule
                                 << QByteArray("---\nalwaysApply: true\nname: style\n---\nx")
                                 << QStringList { u"note rule.key.unknown"_s };
    QTest::newRow("plain md") << u"work/app/.cursor/rules/style.md"_s << QByteArray("Use tabs.")
                              << QStringList { u"warning location.unread"_s };
    QTest::newRow("global rules folder")
        << u".cursor/rules/go.mdc"_s << QByteArray("---\ndescription: Go\nglobs: *.go\n---\nx")
        << QStringList { u"warning location.unread"_s };
}

void SkillHealthTest::placesAndSizes_data()
{
    addColumns();
    QByteArray lines501;
    for (int i = 0; i < 501; ++i)
        lines501 += "line\n";
    const QByteArray frontmatter = "---\nname: pdf\ndescription: d\n---\n";
    QTest::newRow("501 body lines") << u".claude/skills/pdf/SKILL.md"_s << frontmatter + lines501
                                    << QStringList { u"warning size.body"_s };
    QTest::newRow("500 body lines")
        << u".claude/skills/pdf/SKILL.md"_s << frontmatter + lines501.mid(5) << QStringList();
    QTest::newRow("AGENTS.md over 32 KiB")
        << u".codex/AGENTS.md"_s << "# Rules\n" + QByteArray(qsizetype(32) * 1024, 'a')
        << QStringList { u"warning size.agents"_s };
    QTest::newRow("AGENTS.md of many lines")
        << u".codex/AGENTS.md"_s << "# Rules\n" + lines501 << QStringList();
    QTest::newRow("Windsurf rule of 12,001 characters")
        << u"work/app/.windsurf/rules/long.md"_s << QByteArray(12001, 'w')
        << QStringList { u"warning size.windsurf"_s };
    QTest::newRow("12,000 characters in more bytes")
        << u"work/app/.windsurf/rules/long.md"_s << QString(12000, u'é').toUtf8() << QStringList();
    QTest::newRow("global Windsurf rules folder")
        << u".windsurf/rules/react.md"_s << QByteArray("# React\n")
        << QStringList { u"warning location.unread"_s };
    QTest::newRow("Windsurf memories are read") << u".codeium/windsurf/memories/global_rules.md"_s
                                                << QByteArray("# Rules\n") << QStringList();
}

void SkillHealthTest::metadataShape_data()
{
    QTest::addColumn<QString>("text");
    QTest::addColumn<Shape>("shape");
    QTest::newRow("none") << u"---\nname: x\n---\nmetadata:\n  a:\n    b: c\n"_s << Shape::Absent;
    QTest::newRow("flat") << u"---\nmetadata:\n  author: x\n\n  version: \"1\"\nname: x\n---\n"_s
                          << Shape::Flat;
    QTest::newRow("flow map") << u"---\nmetadata: {a: b, c: d}\n---\n"_s << Shape::Flat;
    QTest::newRow("block text is no nesting")
        << u"---\nmetadata:\n  note: |\n    a: b\n  k: v\n---\n"_s << Shape::Flat;
    QTest::newRow("nested map") << u"---\nmetadata:\n  a:\n    b: c\n---\n"_s << Shape::Nested;
    QTest::newRow("inline list") << u"---\nmetadata:\n  tags: [a, b]\n---\n"_s << Shape::Nested;
    QTest::newRow("list") << u"---\nmetadata:\n  - a\n---\n"_s << Shape::NotMap;
    QTest::newRow("scalar") << u"---\nmetadata: v1\n---\n"_s << Shape::NotMap;
}

void SkillHealthTest::metadataShape()
{
    QFETCH(QString, text);
    QFETCH(Shape, shape);
    QCOMPARE(SkillHealthChecker::metadataShape(text), shape);
}

void SkillHealthTest::duplicates_data()
{
    QTest::addColumn<QString>("first");
    QTest::addColumn<QString>("second");
    QTest::addColumn<bool>("sameText");
    QTest::addColumn<QString>("expected"); // on both, or empty
    const QString global = u".claude/skills/pdf/SKILL.md"_s;
    // Codex reads both its own and the shared skills folder.
    const QString codex = u".codex/skills/pdf/SKILL.md"_s;
    QTest::newRow("two global folders, same text")
        << codex << u".agents/skills/pdf/SKILL.md"_s << true << u"note duplicate.copy"_s;
    QTest::newRow("two global folders, different text")
        << codex << u".agents/skills/pdf/SKILL.md"_s << false << u"error duplicate.clash"_s;
    QTest::newRow("a project shadows a global skill")
        << global << u"work/app/.claude/skills/pdf/SKILL.md"_s << false
        << u"error duplicate.clash"_s;
    QTest::newRow("two projects never meet")
        << u"work/a/.claude/skills/pdf/SKILL.md"_s << u"work/b/.claude/skills/pdf/SKILL.md"_s
        << false << QString();
    QTest::newRow("two harnesses never meet")
        << global << u".cursor/skills/pdf/SKILL.md"_s << false << QString();
    QTest::newRow("instruction files are read together")
        << u"work/a/AGENTS.md"_s << u".codex/AGENTS.md"_s << false << QString();
}

void SkillHealthTest::duplicates()
{
    QFETCH(QString, first);
    QFETCH(QString, second);
    QFETCH(bool, sameText);
    QFETCH(QString, expected);
    const QByteArray text
        = "---\nname: pdf\ndescription: Work with PDF files.\n---\n# PDF\nRead me.\n";
    write(first, text);
    write(second, sameText ? text : text + "Read me twice.\n");
    scan();
    for (const auto &[mine, other] : { std::pair(first, second), std::pair(second, first) }) {
        const QList<HealthFinding> findings = m_health->findings(skillAt(mine));
        if (expected.isEmpty()) {
            QVERIFY(findings.isEmpty());
            continue;
        }
        QCOMPARE(findings.size(), 1);
        QCOMPARE(
            HealthFinding::severityName(findings.first().severity) + u' ' + findings.first().id,
            expected);
        QCOMPARE(findings.first().otherPath, home(other));
        QVERIFY(findings.first().sentence.contains(home(other)));
    }
}

void SkillHealthTest::followsScansAndSaves()
{
    write(u".gemini/skills/pdf/SKILL.md"_s, "---\nname: pdf\ndescription: d\n---\nx");
    write(u".agents/skills/pdf/SKILL.md"_s, "---\nname: pdf\ndescription: d\n---\nx");
    QSignalSpy changed(m_health.get(), &SkillHealth::changed);
    scan();
    QVERIFY(!changed.isEmpty());
    QCOMPARE(idsOf(u".gemini/skills/pdf/SKILL.md"_s), QStringList { u"note duplicate.copy"_s });
    QCOMPARE(m_health->attentionCount(), 0);

    // An edit saved from the window: the copy now differs.
    Skill *edited = skillAt(u".agents/skills/pdf/SKILL.md"_s);
    edited->setContent(u"y"_s);
    changed.clear();
    QVERIFY(m_store->save());
    QCOMPARE(changed.size(), 1);
    QCOMPARE(idsOf(u".gemini/skills/pdf/SKILL.md"_s), QStringList { u"error duplicate.clash"_s });
    QCOMPARE(m_health->attentionCount(), 2);

    // The file on disk changes and the other goes away: findings follow both.
    QTest::qWait(10);
    write(u".gemini/skills/pdf/SKILL.md"_s, "---\nname: PDF\ndescription: d\n---\nx");
    QVERIFY(QFile::remove(home(u".agents/skills/pdf/SKILL.md"_s)));
    scan(true);
    QCOMPARE(m_store->skillCount(), 1);
    QCOMPARE(idsOf(u".gemini/skills/pdf/SKILL.md"_s),
        (QStringList { u"error skill.name.folder"_s, u"error skill.name.format"_s }));
    QCOMPARE(m_health->attentionCount(), 1);
}

void SkillHealthTest::neverChangesAFile()
{
    const QByteArray crlf = "---\r\nname: pdf\r\nmetadata:\r\n  a:\r\n    b: c\r\n---\r\nx";
    write(u".claude/skills/pdf/SKILL.md"_s, crlf);
    scan();
    m_health->recheckAll();
    QFile file(home(u".claude/skills/pdf/SKILL.md"_s));
    QVERIFY(file.open(QIODevice::ReadOnly));
    QCOMPARE(file.readAll(), crlf);
    QCOMPARE(idsOf(u".claude/skills/pdf/SKILL.md"_s),
        (QStringList { u"error skill.description.missing"_s, u"warning frontmatter.unreadable"_s,
            u"warning skill.metadata.nested"_s }));
}

// The window's first check runs in slices; it must end where a whole check
// ends, clashes across slices included, and say so once.
void SkillHealthTest::slicedCheckAgreesWithWhole()
{
    for (int i = 0; i < 1200; ++i) {
        // Every hundredth skill shares its name with the first: clashes that span slices.
        const QByteArray name = i % 100 == 0 ? "same" : "skill-" + QByteArray::number(i);
        write(u".claude/skills/s%1/SKILL.md"_s.arg(i),
            "---\nname: " + name + "\ndescription: d" + QByteArray::number(i) + "\n---\nbody\n");
    }
    scan();
    QStringList whole;
    for (Skill *skill : m_store->skills())
        whole << skill->filePath() + u' ' + QString::number(m_health->findings(skill).size());
    const int wholeCount = m_health->attentionCount();
    QVERIFY(wholeCount > 0);

    SkillHealth sliced(m_store.get(), nullptr, false);
    QSignalSpy changed(&sliced, &SkillHealth::changed);
    sliced.recheckAllInSlices();
    QVERIFY(sliced.isChecking());
    QCOMPARE(changed.count(), 0);
    QTRY_VERIFY(!sliced.isChecking());
    QCOMPARE(changed.count(), 1);
    QCOMPARE(sliced.attentionCount(), wholeCount);
    QStringList got;
    for (Skill *skill : m_store->skills())
        got << skill->filePath() + u' ' + QString::number(sliced.findings(skill).size());
    QCOMPARE(got, whole);

    // A skill removed while still waiting for its slice stays out of the counts.
    sliced.recheckAllInSlices();
    QVERIFY(QFile::remove(home(u".claude/skills/s1100/SKILL.md"_s)));
    scan(true);
    QTRY_VERIFY(!sliced.isChecking());
    QVERIFY(m_health->attentionCount() < wholeCount);
    QCOMPARE(sliced.attentionCount(), m_health->attentionCount());
}

QTEST_GUILESS_MAIN(SkillHealthTest)
#include "tst_skillhealth.moc"
