#include "appstate.h"
#include "fakehome.h"
#include "memorystore.h"
#include "modelcontext.h"
#include "nameorder.h"
#include "quirerun.h"
#include "skillfiltermodel.h"
#include "skilllistview.h"
#include "skillrecords.h"

#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QTest>

using namespace Qt::StringLiterals;

// The order of names in the window's list and in `quire list`.
class NameOrderTest final : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void initTestCase();
    void order_data();
    void order();
    void windowAndCommandLineAgree();
};

namespace {

// A locale the collator knows, whatever the machine running the test uses.
const QByteArray localeName = "en_US.UTF-8";

const QStringList mixed = { u"beta"_s, u"Zed"_s, u"agents"_s, u"AGENTS"_s, u"émile"_s, u"Alpha"_s,
    u"zebra"_s, u"Agents"_s, u"eve"_s, u"AGENTS"_s };

} // namespace

void NameOrderTest::initTestCase()
{
    // Before the first comparison: each thread's collator is made once.
    QLocale::setDefault(QLocale(u"en_US"_s));
}

void NameOrderTest::order_data()
{
    QTest::addColumn<QStringList>("sorted");
    QTest::newRow("case does not split the alphabet")
        << QStringList { u"alpha"_s, u"Beta"_s, u"gamma"_s, u"Zulu"_s };
    QTest::newRow("names equal but for case: capitals first, by code point")
        << QStringList { u"AGENTS"_s, u"Agents"_s, u"agents"_s };
    QTest::newRow("an accent sorts with its letter")
        << QStringList { u"eagle"_s, u"émile"_s, u"eve"_s, u"zebra"_s };
    QTest::newRow("a prefix first") << QStringList { u"doc"_s, u"Docs"_s, u"docs-writer"_s };
    QTest::newRow("outside the basic plane, still a total order")
        << QStringList { u"a\U0001F600"_s, u"a\U0001F601"_s };
}

void NameOrderTest::order()
{
    QFETCH(QStringList, sorted);
    for (qsizetype i = 0; i < sorted.size(); ++i) {
        QCOMPARE(NameOrder::compare(sorted.at(i), sorted.at(i)), 0);
        for (qsizetype j = i + 1; j < sorted.size(); ++j) {
            QVERIFY2(NameOrder::less(sorted.at(i), sorted.at(j)), qPrintable(sorted.at(i)));
            QVERIFY2(!NameOrder::less(sorted.at(j), sorted.at(i)), qPrintable(sorted.at(j)));
        }
    }
}

void NameOrderTest::windowAndCommandLineAgree()
{
    FakeHome home;
    {
        std::unique_ptr<ModelContext> store = openStoreAt(home.storePath());
        QVERIFY(store);
        for (qsizetype i = 0; i < mixed.size(); ++i)
            QVERIFY(addSkill(*store, skillSeed(u"/p%1/AGENTS.md"_s.arg(i), mixed.at(i))));
        QVERIFY(store->save());
    }
    QProcessEnvironment environment = home.environment();
    environment.insert(u"LC_ALL"_s, QString::fromLatin1(localeName));
    environment.insert(u"LANG"_s, QString::fromLatin1(localeName));
    const QuireRun run = runQuire({ u"list"_s, u"--json"_s }, environment);
    QCOMPARE(run.code, 0);
    QStringList listed;
    for (const QJsonValue skill : QJsonDocument::fromJson(run.out).array())
        listed.append(QStringLiteral("%1 %2").arg(
            skill[u"name"_s].toString(), skill[u"filePath"_s].toString()));

    std::unique_ptr<ModelContext> store = openStoreAt(home.storePath());
    QVERIFY(store);
    AppState state;
    SkillListView view(&state, store.get());
    QStringList shown;
    for (int row = 0; row < view.filterModel()->rowCount(); ++row) {
        const Skill *skill = view.filterModel()->skillAt(row);
        shown.append(QStringLiteral("%1 %2").arg(skill->name(), skill->filePath()));
    }
    QCOMPARE(shown, listed);
    QStringList names;
    for (const QString &line : std::as_const(shown))
        names.append(line.section(u' ', 0, 0));
    QCOMPARE(names,
        (QStringList { u"AGENTS"_s, u"AGENTS"_s, u"Agents"_s, u"agents"_s, u"Alpha"_s, u"beta"_s,
            u"émile"_s, u"eve"_s, u"zebra"_s, u"Zed"_s }));
}

QTEST_MAIN(NameOrderTest)
#include "tst_nameorder.moc"
