#include "fakehome.h"
#include "harnessloads.h"
#include "memorystore.h"
#include "modelcontext.h"
#include "quirerun.h"
#include "skillcollection.h"
#include "skilljson.h"
#include "skillquery.h"
#include "skillrecords.h"

#include <QDir>
#include <QJsonArray>
#include <QJsonDocument>
#include <QTest>

using namespace Qt::StringLiterals;

// `list --json` writes records one at a time from the store file; what it
// writes must be the document the whole list would make, byte for byte.
class ListStreamTest final : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void sameDocumentAsWholeList_data();
    void sameDocumentAsWholeList();
};

namespace {

// Names whose code-point order differs from UTF-16 order (a character beyond
// the BMP against one just below the surrogates), equal names told apart by
// identity, collections, favourites and bodies with characters JSON escapes.
void fill(ModelContext &store, const QString &home)
{
    const QList<std::pair<QString, QString>> rows = {
        { u"b"_s, u"Plain body."_s },
        { u"\U0001F600 emoji"_s, u"Beyond the BMP"_s },
        { u"\uFF5E tilde"_s, u"Below the surrogates, after them in UTF-16"_s },
        { u"same"_s, u"first of two"_s },
        { u"same"_s, u"second of two \"quoted\"\n\ttabbed \\ slashed \u0001"_s },
        { u"A"_s, u"Capital before lower case"_s },
        { u"jwt notes"_s, u"Tokens: JWT and café"_s },
    };
    int i = 0;
    QList<Skill *> skills;
    for (const auto &[name, body] : rows) {
        Skill::Seed seed = skillSeed(home + u"/.claude/skills/s%1/SKILL.md"_s.arg(i++), name);
        seed.content = body;
        seed.fileModifiedDate = QDateTime::fromMSecsSinceEpoch(1'700'000'000'000 + i, Qt::UTC);
        if (i % 3 == 0)
            seed.tool = ToolSource::Cursor;
        skills.append(addSkill(store, seed));
    }
    QVERIFY(store.save());
    auto work = SkillCollection::create(store, u"Work"_s, u"folder"_s);
    auto play = SkillCollection::create(store, u"Play"_s, u"star"_s);
    QVERIFY(work && play);
    skills.at(0)->setCollections({ work.value(), play.value() });
    skills.at(4)->setCollections({ play.value() });
    skills.at(1)->setIsFavorite(true);
    skills.at(4)->setIsFavorite(true);
    skills.at(2)->setLastOpened(QDateTime::fromMSecsSinceEpoch(1'750'000'000'123, Qt::UTC));
    skills.at(2)->addInstallation(home + u"/.agents/skills/s2/SKILL.md"_s, ToolSource::Codex);
    QVERIFY(store.save());
}

} // namespace

void ListStreamTest::sameDocumentAsWholeList_data()
{
    QTest::addColumn<bool>("empty");
    QTest::addColumn<QString>("filter");
    QTest::addColumn<QString>("search");
    QTest::newRow("empty store") << true << u"all"_s << QString();
    QTest::newRow("every record") << false << u"all"_s << QString();
    QTest::newRow("favourites") << false << u"favorites"_s << QString();
    QTest::newRow("tool") << false << u"tool:cursor"_s << QString();
    QTest::newRow("collection") << false << u"collection:Play"_s << QString();
    QTest::newRow("search in bodies") << false << u"all"_s << u"CAFÉ"_s;
    QTest::newRow("no match") << false << u"all"_s << u"zqxj"_s;
}

void ListStreamTest::sameDocumentAsWholeList()
{
    QFETCH(bool, empty);
    QFETCH(QString, filter);
    QFETCH(QString, search);
    FakeHome home;
    {
        std::unique_ptr<ModelContext> store = openStoreAt(home.storePath());
        QVERIFY(store);
        if (!empty)
            fill(*store, home.path());
    }

    QStringList arguments { u"list"_s, u"--json"_s, u"--filter"_s, filter };
    if (!search.isNull())
        arguments << u"--search"_s << search;
    const QuireRun run = runQuireInProcess(arguments);
    QCOMPARE(run.code, 0);
    QVERIFY2(run.err.isEmpty(), run.err.constData());

    std::unique_ptr<ModelContext> store = openStoreAt(home.storePath());
    QVERIFY(store);
    const HarnessLoads loads = HarnessLoads::ofStore(*store, QDir::homePath());
    QJsonArray whole;
    const QList<Skill *> listed
        = SkillQuery(*SkillQuery::parseFilter(filter), search).apply(store->skillsByName());
    for (const Skill *skill : listed)
        whole.append(SkillJson::toJson(*skill, loads.of(skill)));
    QCOMPARE(run.out, QJsonDocument(whole).toJson(QJsonDocument::Indented));
    QCOMPARE(whole.isEmpty(), empty || search == u"zqxj");
}

QTEST_GUILESS_MAIN(ListStreamTest)
#include "tst_liststream.moc"
