#include "skill.h"
#include "skillrecords.h"
#include "skillrowdelegate.h"

#include <QTest>

using namespace Qt::StringLiterals;

// How rows with the same name are told apart.
class SkillRowDelegateTest final : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void placeOf_data();
    void placeOf();
};

void SkillRowDelegateTest::placeOf_data()
{
    QTest::addColumn<QString>("path");
    QTest::addColumn<bool>("global");
    QTest::addColumn<QString>("place");
    QTest::newRow("a global file: its folder") << u"/h/.codex/AGENTS.md"_s << true << u".codex"_s;
    QTest::newRow("a skill folder: the folder that holds it")
        << u"/h/.claude/skills/pdf/SKILL.md"_s << true << u"skills"_s;
    QTest::newRow("a project's file: the project")
        << u"/work/app/.cursor/rules/style.mdc"_s << false << u"app"_s;
}

void SkillRowDelegateTest::placeOf()
{
    QFETCH(QString, path);
    QFETCH(bool, global);
    QFETCH(QString, place);
    Skill::Seed seed = skillSeed(path);
    seed.isGlobal = global;
    std::unique_ptr<Skill> skill(Skill::make(seed));
    QCOMPARE(SkillRowDelegate::placeOf(*skill), place);
}

QTEST_MAIN(SkillRowDelegateTest)
#include "tst_skillrowdelegate.moc"
