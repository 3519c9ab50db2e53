#include "fakehome.h"
#include "loadedbypanel.h"
#include "memorystore.h"
#include "skillhealth.h"
#include "skillrecords.h"

#include <QTest>

using namespace Qt::StringLiterals;

// The card's "Loaded by" lines follow what the rest of the store does to a
// file: a personal skill of the same name shadows a project's.
class LoadedByPanelTest final : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void followsNeighbours();
};

void LoadedByPanelTest::followsNeighbours()
{
    FakeHome home(FakeHome::Store::Memory);
    auto context = openMemoryStore();
    QVERIFY(context);
    SkillHealth health(context.get());
    Skill::Seed seed = skillSeed(home.path(u"work/app/.claude/skills/pdf/SKILL.md"_s));
    Skill *project = addSkill(*context, seed);
    QVERIFY(project && context->save());

    LoadedByPanel panel(&health);
    QCOMPARE(panel.lines(), QStringList { u"No harness reads files in this place."_s });
    panel.setSkill(project);
    QVERIFY(panel.lines().contains(
        u"Claude Code (project): Loaded when its description fits the task"_s));

    seed = skillSeed(home.path(u".claude/skills/pdf/SKILL.md"_s));
    seed.isGlobal = true;
    QVERIFY(addSkill(*context, seed) && context->save());
    QVERIFY(panel.lines().contains(u"Claude Code (project): Shadowed by ~/.claude/skills/pdf"_s));
}

QTEST_MAIN(LoadedByPanelTest)
#include "tst_loadedbypanel.moc"
