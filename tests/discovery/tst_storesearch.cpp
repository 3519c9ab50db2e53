#include "fakehome.h"
#include "memorystore.h"
#include "searchtokenizer.h"
#include "skillquery.h"
#include "skillrecords.h"
#include "sqlitedatabase.h"

#include <QRandomGenerator>
#include <QTest>

using namespace Qt::StringLiterals;

// The store's search index against the plain pass over every text: the
// window's list and `quire list --search` must find exactly what the plain
// rule finds.
class StoreSearchTest final : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void agreesWithPlainPass_data();
    void agreesWithPlainPass();
    void rebuiltForAnotherFolding();
    void olderStoreIndexedOnUpgrade_data();
    void olderStoreIndexedOnUpgrade();
};

namespace {

// Pieces that fold in every awkward way: one to many UTF-8 bytes, surrogate
// pairs, foldings that change the byte count, decomposed accents, CR LF, a
// quote (the index's query syntax) and a NUL (where a query string ends).
const QStringList pieces = { u"a"_s, u"B"_s, u"c"_s, u"D"_s, u"e"_s, u"é"_s, u"É"_s, u"e\u0301"_s,
    u"ü"_s, u"ß"_s, u"ẞ"_s, u"SS"_s, u"İ"_s, u"ı"_s, u"I"_s, u"i"_s, u"Σ"_s, u"σ"_s, u"ς"_s,
    u"\u2126"_s, u"ω"_s, u"\u212A"_s, u"k"_s, u"日本"_s, u"語"_s, u"🚀"_s, u"👍🏽"_s, u"𐐀"_s,
    u"𐐨"_s, u"ﬀ"_s, u"7"_s, u"_"_s, u"x"_s, u"Yz"_s, u"\""_s, QString(QChar(u'\0')) };
const QStringList separators = { u" "_s, u" "_s, u"\r\n"_s, u"\n"_s, u"-"_s, u". "_s, u"/"_s,
    u"\t"_s, u"—"_s, u"#"_s, u"("_s, u"?"_s, u"*"_s };

int pick(QRandomGenerator &random, const QStringList &list)
{
    return random.bounded(int(list.size()));
}

QString randomWord(QRandomGenerator &random)
{
    QString word;
    for (int i = 0, n = 1 + random.bounded(6); i < n; ++i)
        word += pieces[pick(random, pieces)];
    return word;
}

QStringList makePool(QRandomGenerator &random, int count)
{
    QStringList pool;
    for (int i = 0; i < count; ++i)
        pool.append(randomWord(random));
    return pool;
}

// Words drawn mostly from a small pool, so that some are in nearly every
// text and others in one; now and then a lone surrogate.
QString randomText(QRandomGenerator &random, const QStringList &pool, int maxWords)
{
    QString text;
    for (int i = 0, n = random.bounded(maxWords + 1); i < n; ++i) {
        if (i > 0)
            text += separators[pick(random, separators)];
        text += random.bounded(8) == 0 ? randomWord(random) : pool[pick(random, pool)];
    }
    if (random.bounded(50) == 0)
        text += QChar(char16_t(0xD800 + random.bounded(0x800)));
    return text;
}

void fill(Skill &skill, QRandomGenerator &random, const QStringList &pool)
{
    skill.setName(randomText(random, pool, 3));
    skill.setSkillDescription(randomText(random, pool, 8));
    skill.setContent(randomText(random, pool, 60));
}

// A query as a user might type it: a cut from some text, often in other
// case, or made up.
QString randomQuery(QRandomGenerator &random, const QList<Skill *> &skills)
{
    QString query;
    if (random.bounded(4) == 0) {
        query = randomWord(random);
        if (random.bounded(2))
            query += separators[pick(random, separators)] + randomWord(random);
    } else {
        const Skill *skill = skills[random.bounded(int(skills.size()))];
        const QString texts[] = { skill->name(), skill->skillDescription(), skill->content() };
        const QString &text = texts[random.bounded(3)];
        query = text.mid(
            random.bounded(int(std::max<qsizetype>(1, text.size()))), 1 + random.bounded(8));
    }
    const int casing = random.bounded(4);
    return casing == 0 ? query.toUpper() : casing == 1 ? query.toLower() : query;
}

bool agree(const QList<Skill *> &skills, const QString &query)
{
    const SkillQuery search(SidebarFilter::all(), query);
    const QList<Skill *> indexed = search.apply(skills);
    QList<Skill *> plain;
    for (Skill *skill : skills) {
        if (search.matches(*skill))
            plain.append(skill);
    }
    if (indexed == plain)
        return true;
    QStringList points;
    for (const char32_t c : query.toUcs4())
        points.append(u"U+%1"_s.arg(uint(c), 4, 16, QChar(u'0')).toUpper());
    qWarning().noquote() << "query" << points.join(u' ') << "index found" << indexed.size()
                         << "plain pass" << plain.size();
    return false;
}

} // namespace

void StoreSearchTest::agreesWithPlainPass_data()
{
    QTest::addColumn<quint32>("seed");
    QTest::addColumn<int>("skillCount");
    QTest::addColumn<int>("churnRounds");
    QTest::addColumn<bool>("unsavedEdits"); // the index holds the old texts of some
    QTest::newRow("a few skills") << 1U << 5 << 0 << false;
    QTest::newRow("many skills") << 3U << 200 << 0 << false;
    QTest::newRow("after churn") << 7U << 60 << 6 << false;
    QTest::newRow("unsaved edits and additions") << 5U << 80 << 2 << true;
}

// Churn replaces every text with fresh words each round and removes and
// adds skills, so rows leave the index as well as enter it.
void StoreSearchTest::agreesWithPlainPass()
{
    QFETCH(quint32, seed);
    QFETCH(int, skillCount);
    QFETCH(int, churnRounds);
    QFETCH(bool, unsavedEdits);
    QRandomGenerator random(seed);
    const std::unique_ptr<ModelContext> store = openMemoryStore();
    QVERIFY(store);
    const QStringList pool = makePool(random, 40);
    for (int i = 0; i < skillCount; ++i) {
        Skill *skill = addSkill(*store, skillSeed(u"/h/skills/%1/SKILL.md"_s.arg(i)));
        QVERIFY(skill);
        fill(*skill, random, pool);
    }
    const Status saved = store->save();
    QVERIFY2(saved, qPrintable(saved ? QString() : saved.error().message));

    for (int round = 0; round <= churnRounds; ++round) {
        if (round > 0) {
            const QStringList fresh = makePool(random, 4000);
            for (Skill *skill : store->skills()) {
                if (!unsavedEdits || random.bounded(3) == 0)
                    fill(*skill, random, fresh);
            }
            store->remove(store->skillsByName().constLast());
            Skill *skill = addSkill(*store, skillSeed(u"/h/skills/new-%1/SKILL.md"_s.arg(round)));
            QVERIFY(skill);
            fill(*skill, random, fresh);
            if (!unsavedEdits)
                QVERIFY(store->save());
        }
        const QList<Skill *> skills = store->skillsByName();
        for (int i = 0; i < (churnRounds ? 80 : 400); ++i)
            QVERIFY(agree(skills, randomQuery(random, skills)));
    }
    const QString loneSurrogate(QChar(char16_t(0xD800)));
    for (const QString &query : { u" "_s, u"\r\n"_s, u"\uFFFD"_s, loneSurrogate, u"never there"_s,
             u"\"\""_s, u"a\"b"_s, QString(QChar(u'\0')), u"NEAR(a b)"_s })
        QVERIFY(agree(store->skillsByName(), query));
}

// An index made under another folding (a Unicode update in Qt) is made
// again on opening: removing a row indexed one way by tokens folded the
// other way would leave it found for good.
void StoreSearchTest::rebuiltForAnotherFolding()
{
    FakeHome home;
    {
        auto store = openStoreAt(home.storePath());
        QVERIFY(store);
        Skill::Seed seed = skillSeed(u"/h/.claude/skills/pdf/SKILL.md"_s);
        seed.content = u"Extract tables"_s;
        QVERIFY(addSkill(*store, seed));
        QVERIFY(store->save());
    }
    {
        auto db = SqliteDatabase::open(home.storePath(), SqliteDatabase::Mode::ReadWrite);
        QVERIFY(db);
        // What a store indexed by another build looks like from here.
        QVERIFY(db.value().exec(u"UPDATE meta SET value = '0/0' WHERE key = 'searchFolding'"_s));
        QVERIFY(SearchTokenizer::registerWith(db.value().handle()));
        QVERIFY(
            db.value().exec(u"INSERT INTO skill_search (skill_search) VALUES ('delete-all')"_s));
    }
    auto store = openStoreAt(home.storePath());
    QVERIFY(store);
    const QList<Skill *> found
        = SkillQuery(SidebarFilter::all(), u"TABLES"_s).apply(store->skills());
    QCOMPARE(found.size(), 1);
}

void StoreSearchTest::olderStoreIndexedOnUpgrade_data()
{
    QTest::addColumn<QString>("query");
    QTest::addColumn<QStringList>("names");
    QTest::newRow("body") << u"SHIPPED"_s << QStringList { u"brag-sheet"_s };
    QTest::newRow("description, one letter")
        << u"y"_s << QStringList { u"brag-sheet"_s, u"typescript"_s };
    QTest::newRow("name, four letters") << u"scri"_s << QStringList { u"typescript"_s };
}

// A store written before the index existed keeps every record and finds
// them all, with no rescan.
void StoreSearchTest::olderStoreIndexedOnUpgrade()
{
    QFETCH(QString, query);
    QFETCH(QStringList, names);
    FakeHome home;
    QVERIFY(writeOlderStore(home.storePath(), u"1.0.0"_s));
    auto store = openStoreAt(home.storePath());
    QVERIFY(store);
    QCOMPARE(store->skillCount(), 2);
    QStringList found;
    for (const Skill *skill : SkillQuery(SidebarFilter::all(), query).apply(store->skillsByName()))
        found.append(skill->name());
    QCOMPARE(found, names);
}

QTEST_GUILESS_MAIN(StoreSearchTest)
#include "tst_storesearch.moc"
