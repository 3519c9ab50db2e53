#include "memorystore.h"
#include "skillquery.h"
#include "skillrecords.h"

#include <QTest>

using namespace Qt::StringLiterals;

class SkillQueryTest final : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void initTestCase();
    void list_data();
    void list();
    void title_data();
    void title();
    void parseFilter_data();
    void parseFilter();

private:
    std::unique_ptr<ModelContext> m_context;
};

namespace {

struct Made
{
    QString name;
    QString description;
    QString content;
    QList<ToolSource> tools;
    bool favorite = false;
    QStringList collections;
};

} // namespace

void SkillQueryTest::initTestCase()
{
    m_context = openMemoryStore();
    QVERIFY(m_context);
    for (const QString &name : { u"Work"_s, u"work"_s, u"Gone"_s })
        QVERIFY(SkillCollection::create(*m_context, name, u"folder"_s));

    const QList<Made> made = {
        { u"alpha"_s, u"Read the README first"_s, u"plain body"_s, { ToolSource::Claude }, true,
            { u"Work"_s, u"Gone"_s } },
        { u"Beta"_s, {}, u"café-noir"_s, { ToolSource::Claude, ToolSource::Cursor }, false,
            { u"work"_s } },
        { u"gamma"_s, u"no accents"_s, u"cafe au lait, snake_case"_s, { ToolSource::Cursor }, false,
            {} },
        // Written decomposed: e and a combining acute accent.
        { u"delta"_s, u"cafe\u0301 cre\u0300me"_s, {}, { ToolSource::Windsurf }, false,
            { u"Work"_s } },
        { u"epsilon"_s, u"Straße"_s, u"ΟΔΟΣ İSTANBUL 🚀"_s, { ToolSource::Codex }, true, {} },
    };
    for (qsizetype i = 0; i < made.size(); ++i) {
        Skill::Seed seed = skillSeed(u"/h/.claude/skills/%1/SKILL.md"_s.arg(i), made[i].name);
        seed.description = made[i].description;
        seed.content = made[i].content;
        Skill *skill = addSkill(*m_context, seed);
        QVERIFY(skill);
        skill->setToolSources(made[i].tools);
        skill->setIsFavorite(made[i].favorite);
        QList<SkillCollection *> collections;
        for (const QString &name : made[i].collections)
            collections.append(m_context->collectionByName(name));
        skill->setCollections(collections);
    }
    QVERIFY(m_context->save());
    // The filter still names it; the list then has nothing to show.
    QVERIFY(SkillCollection::remove(*m_context, m_context->collectionByName(u"Gone"_s)));
}

void SkillQueryTest::list_data()
{
    QTest::addColumn<SidebarFilter>("filter");
    QTest::addColumn<QString>("search");
    QTest::addColumn<QStringList>("names");

    const SidebarFilter all = SidebarFilter::all();
    const QStringList everyone = { u"alpha"_s, u"Beta"_s, u"delta"_s, u"epsilon"_s, u"gamma"_s };
    QTest::newRow("all, in the store's name order") << all << QString() << everyone;
    QTest::newRow("favorites") << SidebarFilter::favorites() << QString()
                               << QStringList { u"alpha"_s, u"epsilon"_s };
    QTest::newRow("a tool among several") << SidebarFilter::tool(ToolSource::Cursor) << QString()
                                          << QStringList { u"Beta"_s, u"gamma"_s };
    QTest::newRow("a tool nobody has")
        << SidebarFilter::tool(ToolSource::Amp) << QString() << QStringList();
    QTest::newRow("collection by exact name") << SidebarFilter::collection(u"Work"_s) << QString()
                                              << QStringList { u"alpha"_s, u"delta"_s };
    QTest::newRow("collection name case matters")
        << SidebarFilter::collection(u"work"_s) << QString() << QStringList { u"Beta"_s };
    QTest::newRow("deleted collection")
        << SidebarFilter::collection(u"Gone"_s) << QString() << QStringList();

    QTest::newRow("case ignored") << all << u"READ"_s << QStringList { u"alpha"_s };
    QTest::newRow("accent not ignored") << all << u"cafe"_s << QStringList { u"gamma"_s };
    QTest::newRow("accent kept, composed or not")
        << all << u"CAFÉ"_s << QStringList { u"Beta"_s, u"delta"_s };
    QTest::newRow("decomposed query") << all << u"CRE\u0300ME"_s << QStringList { u"delta"_s };
    QTest::newRow("one space is a search")
        << all << u" "_s << QStringList { u"alpha"_s, u"delta"_s, u"epsilon"_s, u"gamma"_s };
    QTest::newRow("not trimmed") << all << u"body "_s << QStringList();
    QTest::newRow("sharp s is not ss") << all << u"strasse"_s << QStringList();
    QTest::newRow("capital sharp s") << all << u"STRAẞE"_s << QStringList { u"epsilon"_s };
    QTest::newRow("final sigma") << all << u"οδος"_s << QStringList { u"epsilon"_s };
    QTest::newRow("dotted capital I") << all << u"istanbul"_s << QStringList { u"epsilon"_s };
    QTest::newRow("dotless i stays apart") << all << u"ıstanbul"_s << QStringList();
    QTest::newRow("emoji") << all << u"🚀"_s << QStringList { u"epsilon"_s };
    QTest::newRow("name") << all << u"ETA"_s << QStringList { u"Beta"_s };
    QTest::newRow("punctuation as it is") << all << u"SNAKE_CASE"_s << QStringList { u"gamma"_s };
    QTest::newRow("only letters change case") << all << u"snake?case"_s << QStringList();

    QTest::newRow("filter, then search")
        << SidebarFilter::favorites() << u"a"_s << QStringList { u"alpha"_s, u"epsilon"_s };
    QTest::newRow("search outside the filter")
        << SidebarFilter::favorites() << u"cafe"_s << QStringList();
}

void SkillQueryTest::list()
{
    QFETCH(SidebarFilter, filter);
    QFETCH(QString, search);
    QFETCH(QStringList, names);
    QStringList listed;
    for (const Skill *skill : SkillQuery(filter, search).apply(m_context->skillsByName()))
        listed.append(skill->name());
    QCOMPARE(listed, names);
}

void SkillQueryTest::title_data()
{
    QTest::addColumn<SidebarFilter>("filter");
    QTest::addColumn<QString>("title");
    QTest::newRow("all") << SidebarFilter::all() << u"All skills"_s;
    QTest::newRow("favorites") << SidebarFilter::favorites() << u"Favorites"_s;
    QTest::newRow("tool: its display name")
        << SidebarFilter::tool(ToolSource::Claude) << u"Claude Code"_s;
    QTest::newRow("deleted collection keeps its name")
        << SidebarFilter::collection(u"Gone"_s) << u"Gone"_s;
}

void SkillQueryTest::title()
{
    QFETCH(SidebarFilter, filter);
    QFETCH(QString, title);
    QCOMPARE(SkillQuery::title(filter), title);
}

void SkillQueryTest::parseFilter_data()
{
    QTest::addColumn<QString>("text");
    QTest::addColumn<bool>("valid");
    QTest::addColumn<SidebarFilter>("filter");
    QTest::newRow("all") << u"all"_s << true << SidebarFilter::all();
    QTest::newRow("favorites") << u"favorites"_s << true << SidebarFilter::favorites();
    QTest::newRow("tool by raw value")
        << u"tool:cursor"_s << true << SidebarFilter::tool(ToolSource::Cursor);
    QTest::newRow("tool display name") << u"tool:Cursor"_s << false << SidebarFilter();
    QTest::newRow("tool missing") << u"tool:"_s << false << SidebarFilter();
    QTest::newRow("collection with colon and spaces")
        << u"collection: Q3: plans "_s << true << SidebarFilter::collection(u" Q3: plans "_s);
    QTest::newRow("collection without a name") << u"collection:"_s << false << SidebarFilter();
    QTest::newRow("case matters") << u"All"_s << false << SidebarFilter();
    QTest::newRow("empty") << QString() << false << SidebarFilter();
}

void SkillQueryTest::parseFilter()
{
    QFETCH(QString, text);
    QFETCH(bool, valid);
    QFETCH(SidebarFilter, filter);
    const std::optional<SidebarFilter> parsed = SkillQuery::parseFilter(text);
    QCOMPARE(parsed.has_value(), valid);
    if (valid)
        QVERIFY(*parsed == filter);
}

QTEST_GUILESS_MAIN(SkillQueryTest)
#include "tst_skillquery.moc"
