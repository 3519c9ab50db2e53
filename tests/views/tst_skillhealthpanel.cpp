#include "appstate.h"
#include "memorystore.h"
#include "sidebarmodel.h"
#include "skillfiltermodel.h"
#include "skillhealth.h"
#include "skillhealthpanel.h"
#include "skilllistview.h"
#include "skillrecords.h"

#include <QAbstractItemModelTester>
#include <QLabel>
#include <QTest>

using namespace Qt::StringLiterals;

// Where the window shows findings: the card's group, the sidebar's "Needs
// attention" row and the list under that filter, all following one save.
class SkillHealthPanelTest final : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void init();
    void cleanup();
    void panelFollowsFindings();
    void sidebarRowAndListFollowSaves();

private:
    Skill *add(const QString &folder, const QMap<QString, QString> &frontmatter);
    static QStringList sentences(const SkillHealthPanel &panel);

    std::unique_ptr<ModelContext> m_context;
    std::unique_ptr<SkillHealth> m_health;
};

void SkillHealthPanelTest::init()
{
    m_context = openMemoryStore();
    QVERIFY(m_context);
    m_health = std::make_unique<SkillHealth>(m_context.get());
}

void SkillHealthPanelTest::cleanup()
{
    m_health.reset();
    m_context.reset();
}

Skill *SkillHealthPanelTest::add(const QString &folder, const QMap<QString, QString> &frontmatter)
{
    Skill::Seed seed = skillSeed(
        u"/nowhere/.claude/skills/%1/SKILL.md"_s.arg(folder), frontmatter.value(u"name"_s, folder));
    seed.isGlobal = true;
    seed.frontmatter = frontmatter;
    seed.content = u"a body"_s;
    Skill *skill = ::addSkill(*m_context, seed);
    return skill && m_context->save() ? skill : nullptr;
}

QStringList SkillHealthPanelTest::sentences(const SkillHealthPanel &panel)
{
    QStringList texts;
    const QList<QLabel *> labels = panel.findChildren<QLabel *>(u"healthSentence"_s);
    for (const QLabel *label : labels)
        texts.append(label->text());
    return texts;
}

void SkillHealthPanelTest::panelFollowsFindings()
{
    Skill *skill = add(u"pdf"_s, { { u"name"_s, u"PDF"_s } });
    QVERIFY(skill);
    SkillHealthPanel panel(m_health.get());
    QCOMPARE(panel.title(), u"Health"_s);
    QCOMPARE(sentences(panel), QStringList { u"No problems found."_s }); // no skill yet

    panel.setSkill(skill);
    QCOMPARE(sentences(panel),
        (QStringList {
            u"The frontmatter has no description, so a harness cannot tell when to use the skill."_s,
            u"The name “PDF” is not its folder's name “pdf”."_s,
            u"The name “PDF” may hold only lower-case letters, digits and hyphens."_s }));
    QCOMPARE(panel.findChildren<QLabel *>(u"healthFix"_s).size(), 3);

    skill->setFrontmatter(
        { { u"name"_s, u"pdf"_s }, { u"description"_s, u"Work with PDF files."_s } });
    QVERIFY(m_context->save());
    QCOMPARE(sentences(panel), QStringList { u"No problems found."_s });

    m_context->remove(skill);
    QVERIFY(m_context->save());
    QCOMPARE(panel.lineCount(), 1); // the removed skill's findings are gone, not dangling
}

void SkillHealthPanelTest::sidebarRowAndListFollowSaves()
{
    Skill *bad = add(u"bad"_s, { { u"name"_s, u"bad"_s } });
    QVERIFY(add(u"good"_s, { { u"name"_s, u"good"_s }, { u"description"_s, u"d"_s } }));

    SidebarModel sidebar(m_context.get());
    QAbstractItemModelTester tester(&sidebar);
    QVERIFY(!sidebar.indexForFilter(SidebarFilter::needsAttention())
                 .isValid()); // only with findings to count
    sidebar.setHealth(m_health.get());
    const QModelIndex row = sidebar.indexForFilter(SidebarFilter::needsAttention());
    QCOMPARE(row.row(), 3); // under Library: All skills, Favorites, then this
    QCOMPARE(row.data().toString(), u"Needs attention"_s);
    QCOMPARE(row.data(SidebarModel::BadgeRole).toInt(), 1);

    AppState state;
    state.setSidebarFilter(SidebarFilter::needsAttention());
    SkillListView list(&state, m_context.get());
    list.setHealth(m_health.get());
    QCOMPARE(list.title()->text(), u"Needs attention"_s);
    QCOMPARE(list.filterModel()->rowCount(), 1);
    QCOMPARE(list.filterModel()->skillAt(0), bad);

    bad->setFrontmatter({ { u"name"_s, u"bad"_s }, { u"description"_s, u"Now described."_s } });
    QVERIFY(m_context->save());
    QVERIFY(!sidebar.indexForFilter(SidebarFilter::needsAttention())
                 .data(SidebarModel::BadgeRole)
                 .isValid());
    QCOMPARE(list.filterModel()->rowCount(), 0);
    QVERIFY(list.emptyState()->isVisibleTo(&list));
}

QTEST_MAIN(SkillHealthPanelTest)
#include "tst_skillhealthpanel.moc"
