#include "memorystore.h"
#include "skillfiltermodel.h"
#include "skilllistmodel.h"
#include "skillquery.h"
#include "skillrecords.h"

#include <QAbstractItemModelTester>
#include <QSignalSpy>
#include <QTest>

#include <functional>

using namespace Qt::StringLiterals;

class SkillListModelTest final : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void init();
    void followsStore_data();
    void followsStore();
    void filterAgreesWithQuery_data();
    void filterAgreesWithQuery();

private:
    Skill *add(const QString &name, const QString &description = {}, const QString &content = {});
    QList<Skill *> rows(const QAbstractItemModel &model) const;

    std::unique_ptr<ModelContext> m_context;
    int m_made = 0;
};

void SkillListModelTest::init()
{
    m_context = openMemoryStore();
    QVERIFY(m_context);
    m_made = 0;
}

Skill *SkillListModelTest::add(
    const QString &name, const QString &description, const QString &content)
{
    Skill::Seed seed = skillSeed(u"/home/u/.claude/skills/s%1/SKILL.md"_s.arg(m_made++), name);
    seed.description = description;
    seed.content = content;
    return addSkill(*m_context, seed);
}

QList<Skill *> SkillListModelTest::rows(const QAbstractItemModel &model) const
{
    QList<Skill *> skills;
    for (int row = 0; row < model.rowCount(); ++row)
        skills.append(model.index(row, 0).data(SkillListModel::SkillRole).value<Skill *>());
    return skills;
}

namespace {

QStringList numbered(const QString &pattern, int from, int to, int step)
{
    QStringList names;
    for (int i = from; i < to; i += step)
        names.append(pattern.arg(i, 3, 10, QLatin1Char('0')));
    return names;
}

} // namespace

void SkillListModelTest::followsStore_data()
{
    QTest::addColumn<QStringList>("before");
    QTest::addColumn<QStringList>("inserted");
    QTest::addColumn<QStringList>("removed");
    QTest::addColumn<QStringList>("renamed"); // old=new
    QTest::addColumn<int>("maxOperations");

    const QStringList few = { u"b"_s, u"d"_s, u"f"_s, u"h"_s };
    const QStringList even = numbered(u"s%1"_s, 0, 400, 2);
    QTest::newRow("first load is one insert")
        << QStringList() << numbered(u"n%1"_s, 0, 500, 1) << QStringList() << QStringList() << 1;
    QTest::newRow("inserts land in name order")
        << few << QStringList { u"a"_s, u"e"_s, u"z"_s, u"C"_s } << QStringList() << QStringList()
        << 4;
    QTest::newRow("neighbours share one insert")
        << few << QStringList { u"c1"_s, u"c3"_s, u"c2"_s } << QStringList() << QStringList() << 1;
    QTest::newRow("many scattered inserts reset")
        << even << numbered(u"s%1"_s, 1, 400, 2) << QStringList() << QStringList() << 1;
    QTest::newRow("removes by range")
        << few << QStringList() << QStringList { u"b"_s, u"d"_s, u"h"_s } << QStringList() << 2;
    QTest::newRow("many scattered removes reset")
        << even << QStringList() << numbered(u"s%1"_s, 0, 400, 4) << QStringList() << 1;
    QTest::newRow("rename keeping its place")
        << few << QStringList() << QStringList() << QStringList { u"d=e"_s } << 0;
    QTest::newRow("renames that swap names, capitals first")
        << few << QStringList() << QStringList() << QStringList { u"b=d"_s, u"d=B"_s } << 2;
    QTest::newRow("many renames re-sort once")
        << even << QStringList() << QStringList()
        << numbered(u"s%1=z_s%1"_s, 0, 200, 2) + QStringList { u"s398=a"_s } << 1;
    QTest::newRow("insert, rename and remove in one save")
        << few << QStringList { u"c"_s, u"e"_s } << QStringList { u"f"_s }
        << QStringList { u"b=g"_s, u"d=a"_s } << 6;
}

// Rows follow the store's own name order through every kind of batch, and a
// persistent index (what a selection is made of) keeps its skill unless the
// batch was big enough to reset.
void SkillListModelTest::followsStore()
{
    QFETCH(QStringList, before);
    QFETCH(QStringList, inserted);
    QFETCH(QStringList, removed);
    QFETCH(QStringList, renamed);
    QFETCH(int, maxOperations);

    QHash<QString, Skill *> byName;
    for (const QString &name : before)
        byName.insert(name, add(name));
    QVERIFY(m_context->save());

    SkillListModel model(m_context.get());
    QAbstractItemModelTester tester(&model, QAbstractItemModelTester::FailureReportingMode::QtTest);
    QCOMPARE(rows(model), m_context->skillsByName());

    std::vector<QPersistentModelIndex> persistent;
    for (int row = 0; row < model.rowCount(); ++row)
        persistent.emplace_back(model.index(row));
    const QList<Skill *> persistentSkills = rows(model);

    for (const QString &name : inserted)
        QVERIFY(add(name));
    for (const QString &name : removed)
        m_context->remove(byName.value(name));
    for (const QString &pair : renamed)
        byName.value(pair.section(u'=', 0, 0))->setName(pair.section(u'=', 1));

    int operations = 0;
    const auto count = [&operations] { ++operations; };
    connect(&model, &QAbstractItemModel::rowsInserted, this, count);
    connect(&model, &QAbstractItemModel::rowsRemoved, this, count);
    connect(&model, &QAbstractItemModel::rowsMoved, this, count);
    connect(&model, &QAbstractItemModel::modelReset, this, count);
    connect(&model, &QAbstractItemModel::layoutChanged, this, count);
    QSignalSpy changed(&model, &QAbstractItemModel::dataChanged);

    QVERIFY(m_context->save());
    QCOMPARE(rows(model), m_context->skillsByName());
    QVERIFY2(operations <= maxOperations, qPrintable(QString::number(operations)));
    QCOMPARE(changed.isEmpty(), renamed.isEmpty());
    for (size_t i = 0; i < persistent.size(); ++i) {
        if (persistent[i].isValid())
            QCOMPARE(model.skillAt(persistent[i].row()), persistentSkills.at(qsizetype(i)));
    }
    for (Skill *skill : m_context->skills())
        QCOMPARE(model.skillAt(model.rowOf(skill)), skill);
}

void SkillListModelTest::filterAgreesWithQuery_data()
{
    QTest::addColumn<SidebarFilter>("filter");
    QTest::addColumn<QString>("text");

    QTest::newRow("all") << SidebarFilter::all() << QString();
    QTest::newRow("favorites") << SidebarFilter::favorites() << QString();
    QTest::newRow("collection") << SidebarFilter::collection(u"Work"_s) << QString();
    QTest::newRow("search ignores case") << SidebarFilter::all() << u"READ"_s;
    QTest::newRow("filter and search") << SidebarFilter::tool(ToolSource::Claude) << u"a"_s;
}

// The window's list and `quire list` must agree: the filter model's rows are
// SkillQuery::apply() over the store, before and after each kind of change.
void SkillListModelTest::filterAgreesWithQuery()
{
    QFETCH(SidebarFilter, filter);
    QFETCH(QString, text);

    for (const QString &name : { u"Work"_s, u"work"_s, u"Gone"_s })
        QVERIFY(SkillCollection::create(*m_context, name, u"folder"_s));
    Skill *alpha = add(u"alpha"_s, u"Read the README"_s, u"plain body"_s);
    alpha->setIsFavorite(true);
    alpha->setCollections(
        { m_context->collectionByName(u"Work"_s), m_context->collectionByName(u"Gone"_s) });
    Skill *beta = add(u"Beta"_s, {}, u"café noir"_s);
    beta->setToolSources({ ToolSource::Claude, ToolSource::Cursor });
    beta->setCollections({ m_context->collectionByName(u"work"_s) });
    Skill *gamma = add(u"gamma"_s, u"cafe au lait"_s, u"snake_case"_s);
    gamma->setToolSources({ ToolSource::Cursor });
    Skill *delta = add(u"delta"_s, {}, u"a body with\nlines"_s);
    QVERIFY(m_context->save());
    QVERIFY(SkillCollection::remove(*m_context, m_context->collectionByName(u"Gone"_s)));

    SkillListModel source(m_context.get());
    SkillFilterModel model(&source);
    QAbstractItemModelTester tester(&model, QAbstractItemModelTester::FailureReportingMode::QtTest);
    model.setQuery(SkillQuery(filter, text));
    const SkillQuery query(filter, text);
    QCOMPARE(rows(model), query.apply(m_context->skillsByName()));

    const QList<std::function<void()>> changes = {
        [&] { QVERIFY(add(u"epsilon"_s, u"readme café"_s, u"e c"_s)); },
        [&] { gamma->setName(u"Aardvark read"_s); },
        [&] { beta->setContent(u"nothing"_s); },
        [&] { delta->setIsFavorite(true); },
        [&] { delta->setCollections({ m_context->collectionByName(u"Work"_s) }); },
        [&] { m_context->collectionByName(u"Work"_s)->setName(u"Play"_s); },
        [&] { alpha->setToolSources({ ToolSource::Cursor }); },
        [&] { m_context->remove(alpha); },
    };
    for (qsizetype i = 0; i < changes.size(); ++i) {
        changes.at(i)();
        QVERIFY(m_context->save());
        QVERIFY2(rows(model) == query.apply(m_context->skillsByName()),
            qPrintable(u"after change %1"_s.arg(i)));
    }
}

QTEST_MAIN(SkillListModelTest)
#include "tst_skilllistmodel.moc"
