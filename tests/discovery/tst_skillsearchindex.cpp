#include "memorystore.h"
#include "skillquery.h"
#include "skillrecords.h"
#include "skillsearchindex.h"

#include <QCoreApplication>
#include <QRandomGenerator>
#include <QSignalSpy>
#include <QTest>

using namespace Qt::StringLiterals;

class SkillSearchIndexTest final : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void agreesWithPlainPass_data();
    void agreesWithPlainPass();
    void followsTheStore();
};

namespace {

// Pieces that fold in every awkward way: one to many UTF-8 bytes, surrogate
// pairs, foldings that change the byte count, decomposed accents, CR LF.
const QStringList pieces = { u"a"_s, u"B"_s, u"c"_s, u"D"_s, u"e"_s, u"é"_s, u"É"_s, u"e\u0301"_s,
    u"ü"_s, u"ß"_s, u"ẞ"_s, u"SS"_s, u"İ"_s, u"ı"_s, u"I"_s, u"i"_s, u"Σ"_s, u"σ"_s, u"ς"_s,
    u"\u2126"_s, u"ω"_s, u"\u212A"_s, u"k"_s, u"日本"_s, u"語"_s, u"🚀"_s, u"👍🏽"_s, u"𐐀"_s,
    u"𐐨"_s, u"ﬀ"_s, u"7"_s, u"_"_s, u"x"_s, u"Yz"_s };
const QStringList separators = { u" "_s, u" "_s, u"\r\n"_s, u"\n"_s, u"-"_s, u". "_s, u"/"_s,
    u"\t"_s, u"—"_s, u"#"_s, u"("_s, u"?"_s };

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

bool agree(const SkillSearchIndex &index, const QList<Skill *> &skills, const QString &query)
{
    const QList<Skill *> indexed = index.search(query, skills);
    const QList<Skill *> plain = SkillQuery(SidebarFilter::all(), query).apply(skills);
    if (indexed == plain)
        return true;
    QStringList points;
    for (const char32_t c : query.toUcs4())
        points.append(u"U+%1"_s.arg(uint(c), 4, 16, QChar(u'0')).toUpper());
    qWarning().noquote() << "query" << points.join(u' ') << "index found" << indexed.size()
                         << "plain pass" << plain.size();
    return false;
}

std::unique_ptr<ModelContext> makeStore(QRandomGenerator &random, int count)
{
    auto store = openMemoryStore();
    const QStringList pool = makePool(random, 40);
    for (int i = 0; store && i < count; ++i) {
        Skill *skill = addSkill(*store, skillSeed(u"/h/skills/%1/SKILL.md"_s.arg(i)));
        if (!skill)
            return {};
        fill(*skill, random, pool);
    }
    return store && store->save() ? std::move(store) : nullptr;
}

} // namespace

void SkillSearchIndexTest::agreesWithPlainPass_data()
{
    QTest::addColumn<quint32>("seed");
    QTest::addColumn<int>("skillCount");
    QTest::addColumn<int>("churnRounds");
    QTest::addColumn<bool>("inSlices"); // as a window builds it: asked and changed midway
    QTest::newRow("a few skills") << 1U << 5 << 0 << false;
    QTest::newRow("one bitset word") << 2U << 31 << 0 << false;
    QTest::newRow("many skills") << 3U << 120 << 0 << false;
    QTest::newRow("after churn") << 7U << 60 << 6 << false;
    QTest::newRow("in slices") << 4U << 650 << 0 << true;
    QTest::newRow("in slices, with churn") << 8U << 450 << 3 << true;
}

// Churn replaces every text with fresh words each round, enough to outgrow
// the vocabulary: slots, lists that grow dense and thin out again, and words
// that nobody holds any more must all keep the answers right.
void SkillSearchIndexTest::agreesWithPlainPass()
{
    QFETCH(quint32, seed);
    QFETCH(int, skillCount);
    QFETCH(int, churnRounds);
    QFETCH(bool, inSlices);
    QRandomGenerator random(seed);
    const std::unique_ptr<ModelContext> store = makeStore(random, skillCount);
    QVERIFY(store);
    SkillSearchIndex index;
    if (inSlices) {
        index.attachInSlices(store.get());
        QVERIFY(index.isIndexing());
    } else {
        index.attach(store.get());
        QCOMPARE(index.size(), skillCount);
    }

    for (int round = 0; round <= churnRounds; ++round) {
        if (round > 0) {
            const QStringList fresh = makePool(random, 4000);
            for (Skill *skill : store->skills())
                fill(*skill, random, fresh);
            if (round % 2) {
                store->remove(store->skillsByName().constLast());
                Skill *skill
                    = addSkill(*store, skillSeed(u"/h/skills/new-%1/SKILL.md"_s.arg(round)));
                QVERIFY(skill);
                fill(*skill, random, fresh);
            }
            QVERIFY(store->save());
        }
        const QList<Skill *> skills = store->skillsByName();
        for (int i = 0; i < (churnRounds ? 60 : 300); ++i) {
            QVERIFY(agree(index, skills, randomQuery(random, skills)));
            if (inSlices && i % 20 == 0)
                QCoreApplication::processEvents(); // another slice, now and then
        }
    }
    if (inSlices) {
        QTRY_VERIFY(!index.isIndexing());
        QCOMPARE(index.size(), store->skills().size());
        const QList<Skill *> skills = store->skillsByName();
        for (int i = 0; i < 100; ++i)
            QVERIFY(agree(index, skills, randomQuery(random, skills)));
    }
    const QString loneSurrogate(QChar(char16_t(0xD800)));
    for (const QString &query : { u" "_s, u"\r\n"_s, u"\uFFFD"_s, loneSurrogate, u"never there"_s })
        QVERIFY(agree(index, store->skillsByName(), query));
}

// Saved edits and removals reach the index; a skill it has never been told
// about is still found, by reading its texts.
void SkillSearchIndexTest::followsTheStore()
{
    auto store = openMemoryStore();
    QVERIFY(store);
    ModelContext &context = *store;
    SkillSearchIndex index;
    index.attach(&context);
    QSignalSpy updated(&index, &SkillSearchIndex::updated);

    Skill::Seed seed = skillSeed(u"/h/.claude/skills/pdf/SKILL.md"_s);
    seed.content = u"Extract tables"_s;
    Skill *skill = addSkill(context, seed);
    QVERIFY(skill);
    QVERIFY(context.save());
    QCOMPARE(index.search(u"TABLES"_s, { skill }), QList<Skill *> { skill });

    skill->setContent(u"Fill in forms"_s);
    QVERIFY(context.save());
    QCOMPARE(updated.count(), 2);
    QCOMPARE(index.search(u"tables"_s, { skill }), QList<Skill *>());
    QCOMPARE(index.search(u"forms"_s, { skill }), QList<Skill *> { skill });

    context.remove(skill);
    QVERIFY(context.save());
    QCOMPARE(updated.count(), 3);
    QVERIFY(!index.contains(skill));

    seed.filePath = u"/h/new/SKILL.md"_s;
    seed.name = u"Draft"_s;
    std::unique_ptr<Skill> draft(Skill::make(seed));
    QCOMPARE(index.search(u"draft"_s, { draft.get() }), QList<Skill *> { draft.get() });
    QCOMPARE(index.search(u"final"_s, { draft.get() }), QList<Skill *>());
}

QTEST_GUILESS_MAIN(SkillSearchIndexTest)
#include "tst_skillsearchindex.moc"
