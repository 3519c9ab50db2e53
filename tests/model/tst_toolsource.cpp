#include "toolsource.h"

#include <QTest>

using namespace Qt::StringLiterals;

class ToolSourceTest final : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void fromRaw_data();
    void fromRaw();
    void globalPaths_data();
    void globalPaths();
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

QTEST_GUILESS_MAIN(ToolSourceTest)
#include "tst_toolsource.moc"
