#include "memorystore.h"
#include "sidebarmodel.h"
#include "skillcollection.h"
#include "skillrecords.h"

#include <QAbstractItemModelTester>
#include <QSignalSpy>
#include <QTest>

using namespace Qt::StringLiterals;

class SidebarModelTest final : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void init();
    void cleanup();
    void harnessRows_data();
    void harnessRows();
    void badgesFollowSavedBatches();
    void collectionRows();
    void selectionSurvivesChanges();

private:
    Skill *addSkill(const QString &path, const QList<ToolSource> &tools = {});
    // Every row as "title:badge", badges left out when there are none.
    QStringList rows() const;

    std::unique_ptr<ModelContext> m_store;
    std::unique_ptr<SidebarModel> m_model;
    std::unique_ptr<QAbstractItemModelTester> m_tester;
};

void SidebarModelTest::init()
{
    m_store = openMemoryStore();
    QVERIFY(m_store);
    m_model = std::make_unique<SidebarModel>(m_store.get());
    m_tester = std::make_unique<QAbstractItemModelTester>(
        m_model.get(), QAbstractItemModelTester::FailureReportingMode::QtTest);
}

void SidebarModelTest::cleanup()
{
    m_tester.reset();
    m_model.reset();
    m_store.reset();
}

Skill *SidebarModelTest::addSkill(const QString &path, const QList<ToolSource> &tools)
{
    Skill *skill = ::addSkill(*m_store, skillSeed(path, path.section(u'/', -1)));
    if (skill)
        skill->setToolSources(tools);
    return skill;
}

QStringList SidebarModelTest::rows() const
{
    QStringList out;
    for (int i = 0; i < m_model->rowCount(); ++i) {
        const QModelIndex index = m_model->index(i);
        const QVariant badge = index.data(SidebarModel::BadgeRole);
        out.append(
            index.data().toString() + (badge.isValid() ? u":"_s + badge.toString() : QString()));
    }
    return out;
}

// Harness rows in catalogue order, one count per skill and tool; a raw value
// nobody knows counts only under "All skills".
void SidebarModelTest::harnessRows_data()
{
    QTest::addColumn<QList<QStringList>>("skills"); // raw tool lists, in insertion order
    QTest::addColumn<QStringList>("harnesses"); // rows after "Harnesses", which none leave out

    QTest::newRow("empty store") << QList<QStringList> {} << QStringList {};
    QTest::newRow("catalogue order, not discovery order") << QList<QStringList> { { u"amp"_s },
        { u"amp"_s }, { u"claude"_s } } << QStringList { u"Claude Code:1"_s, u"Amp:2"_s };
    QTest::newRow("one skill under two tools") << QList<QStringList> { { u"cursor"_s, u"codex"_s } }
                                               << QStringList { u"Cursor:1"_s, u"Codex:1"_s };
    QTest::newRow("a tool listed twice counts once")
        << QList<QStringList> { { u"cursor"_s, u"cursor"_s } } << QStringList { u"Cursor:1"_s };
    QTest::newRow("unknown raw value") << QList<QStringList> { { u"emacs"_s } } << QStringList {};
}

void SidebarModelTest::harnessRows()
{
    QFETCH(QList<QStringList>, skills);
    QFETCH(QStringList, harnesses);

    int n = 0;
    for (const QStringList &raw : skills) {
        Skill *skill = addSkill(u"/h/s%1.md"_s.arg(n++));
        QVERIFY(skill);
        skill->setToolSourcesRaw(raw.join(u','));
    }
    if (!skills.isEmpty())
        QVERIFY(m_store->save());
    const QString all = skills.isEmpty() ? u"All skills"_s : u"All skills:%1"_s.arg(skills.size());
    const QStringList section
        = harnesses.isEmpty() ? QStringList() : QStringList { u"Harnesses"_s } + harnesses;
    QCOMPARE(rows(),
        QStringList({ u"Library"_s, all, u"Favorites"_s }) + section
            + QStringList({ u"Collections"_s, u"New collection"_s }));
    QVERIFY(!m_model->index(0).flags().testFlag(Qt::ItemIsSelectable)); // headers
}

// Counts move with saves, not with each setter: a scan of thousands of
// skills is one recount, and a favourite toggled elsewhere shows once saved.
void SidebarModelTest::badgesFollowSavedBatches()
{
    QSignalSpy recounts(m_model.get(), &SidebarModel::refreshed);
    for (int i = 0; i < 2000; ++i)
        QVERIFY(addSkill(u"/h/s%1.md"_s.arg(i), { ToolSource::Claude }));
    QCOMPARE(recounts.count(), 0);
    QVERIFY(m_store->save());
    QCOMPARE(recounts.count(), 1);
    QCOMPARE(rows().mid(1, 2), (QStringList { u"All skills:2000"_s, u"Favorites"_s }));

    Skill *skill = m_store->skills().constFirst();
    skill->setIsFavorite(true);
    QCOMPARE(rows().at(2), u"Favorites"_s);
    QSignalSpy changed(m_model.get(), &QAbstractItemModel::dataChanged);
    QVERIFY(m_store->save());
    QCOMPARE(rows().at(2), u"Favorites:1"_s);
    QCOMPARE(changed.count(), 1);
    QCOMPARE(changed.constFirst().constFirst().value<QModelIndex>().row(), 2);
}

void SidebarModelTest::collectionRows()
{
    Skill *skill = addSkill(u"/h/a.md"_s, { ToolSource::Cursor });
    QVERIFY(skill);
    QVERIFY(m_store->save());
    for (const QString &name : { u"A"_s, u"B"_s, u"C"_s })
        QVERIFY(SkillCollection::create(*m_store, name, u"flame"_s));
    QCOMPARE(rows().mid(5),
        (QStringList { u"Collections"_s, u"A"_s, u"B"_s, u"C"_s, u"New collection"_s }));
    QCOMPARE(m_model->index(7).data(SidebarModel::FilterRole).value<SidebarFilter>(),
        SidebarFilter::collection(u"B"_s));

    SkillCollection *collectionB = m_store->collectionByName(u"B"_s);
    QVERIFY(SkillCollection::toggleMembership(*m_store, *skill, *collectionB, false));
    QCOMPARE(rows().at(7), u"B:1"_s);
    QVERIFY(SkillCollection::remove(*m_store, collectionB));
    QCOMPARE(rows().mid(1),
        (QStringList { u"All skills:1"_s, u"Favorites"_s, u"Harnesses"_s, u"Cursor:1"_s,
            u"Collections"_s, u"A"_s, u"C"_s, u"New collection"_s }));
    QVERIFY(skill->collections().isEmpty());
}

// Rows are diffed, not reset, so a selection rides along: harness rows by
// tool, collection rows by record, even through a rename or a reorder.
void SidebarModelTest::selectionSurvivesChanges()
{
    QVERIFY(addSkill(u"/h/c.md"_s, { ToolSource::Cursor }));
    QVERIFY(m_store->save());
    auto made = SkillCollection::create(*m_store, u"Work"_s, u"folder"_s);
    QVERIFY(made);
    SkillCollection *work = made.value();
    QVERIFY(SkillCollection::create(*m_store, u"Play"_s, u"leaf"_s));
    QSignalSpy resets(m_model.get(), &QAbstractItemModel::modelReset);

    const QPersistentModelIndex cursor
        = m_model->indexForFilter(SidebarFilter::tool(ToolSource::Cursor));
    const QPersistentModelIndex workRow
        = m_model->indexForFilter(SidebarFilter::collection(u"Work"_s));
    QVERIFY(addSkill(u"/h/a.md"_s, { ToolSource::Amp }));
    QVERIFY(addSkill(u"/h/b.md"_s, { ToolSource::Claude }));
    QVERIFY(m_store->save());
    QCOMPARE(cursor.data().toString(), u"Cursor"_s);
    QCOMPARE(cursor.row(), 5);

    work->setName(u"Job"_s);
    work->setSortOrder(5);
    QVERIFY(m_store->save());
    QCOMPARE(workRow.data().toString(), u"Job"_s);
    QCOMPARE(workRow.data(SidebarModel::FilterRole).value<SidebarFilter>(),
        SidebarFilter::collection(u"Job"_s));
    QCOMPARE(rows().mid(8), (QStringList { u"Play"_s, u"Job"_s, u"New collection"_s }));
    QCOMPARE(workRow.row(), 9);
    QCOMPARE(resets.count(), 0);
}

QTEST_MAIN(SidebarModelTest)
#include "tst_sidebarmodel.moc"
