#include "fakehome.h"
#include "memorystore.h"
#include "skillrecords.h"

#include <QSignalSpy>
#include <QTest>

using namespace Qt::StringLiterals;

// Bodies live in the store, not in every record: what a record reads after
// its save, and what a view showing one hears, must still be right.
class SkillBodiesTest final : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void bodyChangedElsewhere_data();
    void bodyChangedElsewhere();
};

void SkillBodiesTest::bodyChangedElsewhere_data()
{
    QTest::addColumn<bool>("shown");
    QTest::newRow("shown in a card") << true;
    QTest::newRow("only listed") << false;
}

// Another process writes a new body; after the merge the record reads it,
// and one shown on screen says so.
void SkillBodiesTest::bodyChangedElsewhere()
{
    QFETCH(bool, shown);
    FakeHome home;
    auto window = openStoreAt(home.storePath());
    auto terminal = openStoreAt(home.storePath());
    QVERIFY(window && terminal);
    Skill::Seed seed = skillSeed(u"/h/.claude/skills/pdf/SKILL.md"_s);
    seed.content = u"first body"_s;
    Skill *skill = addSkill(*window, seed);
    QVERIFY(skill);
    QSignalSpy changed(skill, &Skill::contentChanged);
    if (!shown)
        QVERIFY(skill->disconnect());
    QVERIFY(window->save());
    QCOMPARE(skill->content(), u"first body"_s); // read back from the store after the save

    QVERIFY(terminal->refresh());
    Skill *elsewhere = terminal->skillByResolvedPath(seed.filePath);
    QVERIFY(elsewhere);
    elsewhere->setContent(u"second body"_s);
    QVERIFY(terminal->save());

    QVERIFY(window->refresh());
    QCOMPARE(skill->content(), u"second body"_s);
    QCOMPARE(changed.count(), shown ? 1 : 0);
}

QTEST_GUILESS_MAIN(SkillBodiesTest)
#include "tst_skillbodies.moc"
