#include "toolsource.h"

#include <QTest>

using namespace Qt::StringLiterals;

class ToolSourceTest final : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void fromRaw_data();
    void fromRaw();
    void rawValuesRoundTrip();
    void globalPaths_data();
    void globalPaths();
    void watchedFoldersInCaseOrder();
    void projectFolderTable();
};

void ToolSourceTest::fromRaw_data()
{
    QTest::addColumn<QString>("raw");
    QTest::addColumn<bool>("known");
    QTest::newRow("raw value") << u"amp"_s << true;
    QTest::newRow("case matters") << u"Claude"_s << false;
    QTest::newRow("trailing space") << u"claude "_s << false;
    QTest::newRow("empty") << QString() << false;
    QTest::newRow("display name is not a raw value") << u"Claude Code"_s << false;
}

void ToolSourceTest::fromRaw()
{
    QFETCH(QString, raw);
    QFETCH(bool, known);
    QCOMPARE(ToolSources::fromRaw(raw).has_value(), known);
}

void ToolSourceTest::rawValuesRoundTrip()
{
    QCOMPARE(ToolSources::all.size(), 8U);
    QCOMPARE(ToolSources::all.front(), ToolSource::Claude);
    QCOMPARE(ToolSources::all.back(), ToolSource::Custom);
    for (ToolSource tool : ToolSources::all)
        QCOMPARE(ToolSources::fromRaw(ToolSources::rawValue(tool)), std::optional(tool));
}

void ToolSourceTest::globalPaths_data()
{
    QTest::addColumn<ToolSource>("tool");
    QTest::addColumn<QStringList>("paths");
    QTest::newRow("claude") << ToolSource::Claude
                            << QStringList { u"/Users/a/.claude/skills"_s,
                                   u"/Users/a/.agents/skills"_s };
    QTest::newRow("windsurf") << ToolSource::Windsurf
                              << QStringList { u"/Users/a/.codeium/windsurf/memories"_s,
                                     u"/Users/a/.windsurf/rules"_s };
    QTest::newRow("copilot") << ToolSource::Copilot << QStringList {};
    QTest::newRow("aider") << ToolSource::Aider << QStringList {};
    QTest::newRow("custom") << ToolSource::Custom << QStringList {};
}

void ToolSourceTest::globalPaths()
{
    QFETCH(ToolSource, tool);
    QFETCH(QStringList, paths);
    QCOMPARE(ToolSources::globalPaths(tool, u"/Users/a"_s), paths);
}

void ToolSourceTest::watchedFoldersInCaseOrder()
{
    QCOMPARE(ToolSources::allGlobalPaths(u"~"_s),
        (QStringList { u"~/.claude/skills"_s, u"~/.agents/skills"_s, u"~/.cursor/skills"_s,
            u"~/.cursor/rules"_s, u"~/.codeium/windsurf/memories"_s, u"~/.windsurf/rules"_s,
            u"~/.codex"_s, u"~/.config/amp"_s }));
}

void ToolSourceTest::projectFolderTable()
{
    QStringList rows;
    for (const ProjectFolder &row : ToolSources::projectFolders())
        rows.append(row.relativePath + u' ' + ToolSources::rawValue(row.tool));
    QCOMPARE(rows,
        (QStringList { u".claude/skills claude"_s, u".cursor/skills cursor"_s,
            u".cursor/rules cursor"_s, u".codex codex"_s, u".windsurf/rules windsurf"_s,
            u".github copilot"_s, u".config/amp amp"_s }));
}

QTEST_GUILESS_MAIN(ToolSourceTest)
#include "tst_toolsource.moc"
