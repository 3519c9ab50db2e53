#include "skill.h"
#include "skillrecords.h"

#include <QSignalSpy>
#include <QTest>

using namespace Qt::StringLiterals;

class SkillTest final : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void toolSourcesRead_data();
    void toolSourcesRead();
    void installedPathsFallback_data();
    void installedPathsFallback();
    void frontmatterFallback_data();
    void frontmatterFallback();
    void projectName_data();
    void projectName();
    void addInstallation();
    void equalWritesNotifyNobody();
};

void SkillTest::toolSourcesRead_data()
{
    QTest::addColumn<QString>("raw");
    QTest::addColumn<QList<ToolSource>>("tools");
    QTest::newRow("empty pieces dropped")
        << u"claude,,cursor"_s << QList { ToolSource::Claude, ToolSource::Cursor };
    QTest::newRow("unknown pieces dropped")
        << u"claude,Cursor,amp"_s << QList { ToolSource::Claude, ToolSource::Amp };
    QTest::newRow("text order kept")
        << u"windsurf,aider"_s << QList { ToolSource::Windsurf, ToolSource::Aider };
    QTest::newRow("empty") << QString() << QList<ToolSource> {};
}

void SkillTest::toolSourcesRead()
{
    QFETCH(QString, raw);
    QFETCH(QList<ToolSource>, tools);
    Skill skill;
    skill.setToolSourcesRaw(raw);
    QCOMPARE(skill.toolSources(), tools);
}

void SkillTest::installedPathsFallback_data()
{
    QTest::addColumn<std::optional<QByteArray>>("data");
    QTest::addColumn<QStringList>("paths");
    const QStringList fallback { u"/f.md"_s };
    QTest::newRow("absent") << std::optional<QByteArray>() << fallback;
    QTest::newRow("object, not array") << std::optional(QByteArray(R"({"a":"b"})")) << fallback;
    QTest::newRow("array of numbers") << std::optional(QByteArray("[1,2]")) << fallback;
    QTest::newRow("garbage") << std::optional(QByteArray("\xff[")) << fallback;
    QTest::newRow("decoded") << std::optional(QByteArray(R"(["/a.md","/b.md"])"))
                             << QStringList { u"/a.md"_s, u"/b.md"_s };
    QTest::newRow("empty array") << std::optional(QByteArray("[]")) << QStringList {};
}

void SkillTest::installedPathsFallback()
{
    QFETCH(std::optional<QByteArray>, data);
    QFETCH(QStringList, paths);
    Skill skill;
    skill.setFilePath(u"/f.md"_s);
    skill.setInstalledPathsData(data);
    QCOMPARE(skill.installedPaths(), paths);
}

void SkillTest::frontmatterFallback_data()
{
    QTest::addColumn<std::optional<QByteArray>>("data");
    QTest::addColumn<int>("keys");
    QTest::newRow("absent") << std::optional<QByteArray>() << 0;
    QTest::newRow("array") << std::optional(QByteArray(R"(["a"])")) << 0;
    QTest::newRow("non-string value") << std::optional(QByteArray(R"({"a":"b","n":1})")) << 0;
    QTest::newRow("strings") << std::optional(QByteArray(R"({"a":"b","c":""})")) << 2;
}

void SkillTest::frontmatterFallback()
{
    QFETCH(std::optional<QByteArray>, data);
    QFETCH(int, keys);
    Skill skill;
    skill.setFrontmatterData(data);
    QCOMPARE(skill.frontmatter().size(), keys);
}

void SkillTest::projectName_data()
{
    QTest::addColumn<QString>("path");
    QTest::addColumn<bool>("isGlobal");
    QTest::addColumn<std::optional<QString>>("project");
    QTest::newRow("cursor rule in a project")
        << u"/Users/a/work/app/.cursor/rules/style.mdc"_s << false << std::optional(u"app"_s);
    QTest::newRow("global is never a project")
        << u"/Users/a/work/app/.cursor/rules/style.mdc"_s << true << std::optional<QString>();
    QTest::newRow("no dot component")
        << u"/Users/a/p/AGENTS.md"_s << false << std::optional<QString>();
    QTest::newRow("dot at position 1") << u"/.hidden/x.md"_s << false << std::optional(QString());
    QTest::newRow("position 0 never tested") << u".a/b/.c/x.md"_s << false << std::optional(u"b"_s);
}

void SkillTest::projectName()
{
    QFETCH(QString, path);
    QFETCH(bool, isGlobal);
    QFETCH(std::optional<QString>, project);
    Skill skill;
    skill.setFilePath(path);
    skill.setIsGlobal(isGlobal);
    QCOMPARE(skill.projectName(), project);
}

void SkillTest::addInstallation()
{
    std::unique_ptr<Skill> skill(
        Skill::make(skillSeed(u"/h/.windsurf/rules/a.md"_s, {}, ToolSource::Windsurf)));
    skill->addInstallation(u"/p/.config/amp/a.md"_s, ToolSource::Amp);
    QCOMPARE(skill->toolSourcesRaw(), u"amp,windsurf"_s);
    QCOMPARE(skill->installedPaths(),
        (QStringList { u"/h/.windsurf/rules/a.md"_s, u"/p/.config/amp/a.md"_s }));

    QSignalSpy paths(skill.get(), &Skill::installedPathsDataChanged);
    QSignalSpy tools(skill.get(), &Skill::toolSourcesRawChanged);
    const auto before = skill->installedPathsData();
    skill->addInstallation(u"/p/.config/amp/a.md"_s, ToolSource::Windsurf);
    QCOMPARE(skill->installedPathsData(), before);
    QCOMPARE(paths.count(), 0);
    QCOMPARE(tools.count(), 0);
}

void SkillTest::equalWritesNotifyNobody()
{
    Skill skill;
    QSignalSpy name(&skill, &Skill::nameChanged);
    QSignalSpy favorite(&skill, &Skill::isFavoriteChanged);
    QSignalSpy content(&skill, &Skill::contentChanged);
    QSignalSpy date(&skill, &Skill::lastOpenedChanged);
    for (int i = 0; i < 2; ++i) {
        skill.setName(u"pdf"_s);
        skill.setIsFavorite(true);
        skill.setContent(u"body"_s);
        skill.setLastOpened({});
        skill.setFrontmatter({ { u"k"_s, u"v"_s } });
    }
    QCOMPARE(name.count(), 1);
    QCOMPARE(favorite.count(), 1);
    QCOMPARE(content.count(), 1);
    QCOMPARE(date.count(), 0);
}

QTEST_GUILESS_MAIN(SkillTest)
#include "tst_skill.moc"
