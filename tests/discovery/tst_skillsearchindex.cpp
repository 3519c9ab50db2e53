#include "modelcontext.h"
#include "skillquery.h"
#include "skillsearchindex.h"

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
    void agreesAfterChurn();
    void followsTheStore();
    void unsavedSkillsAreSearchedPlainly();
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

QString randomWord(QRandomGenerator &random)
{
    QString word;
    for (int i = 0, n = 1 + random.bounded(6); i < n; ++i)
        word += pieces[random.bounded(int(pieces.size()))];
    return word;
}

// Words drawn mostly from a small pool, so that some are in nearly every
// text and others in one.
QString randomText(QRandomGenerator &random, const QStringList &pool, int maxWords)
{
    QString text;
    for (int i = 0, n = random.bounded(maxWords + 1); i < n; ++i) {
        if (i > 0)
            text += separators[random.bounded(int(separators.size()))];
        text
            += random.bounded(8) == 0 ? randomWord(random) : pool[random.bounded(int(pool.size()))];
    }
    if (random.bounded(50) == 0)
        text += QChar(char16_t(0xD800 + random.bounded(0x800))); // a lone surrogate
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
            query += separators[random.bounded(int(separators.size()))] + randomWord(random);
    } else {
        const Skill *skill = skills[random.bounded(int(skills.size()))];
        const QString texts[] = { skill->name(), skill->skillDescription(), skill->content() };
        const QString &text = texts[random.bounded(3)];
        const int length = 1 + random.bounded(8);
        query = text.mid(random.bounded(int(std::max<qsizetype>(1, text.size()))), length);
    }
    switch (random.bounded(4)) {
    case 0:
        return query.toUpper();
    case 1:
        return query.toLower();
    default:
        return query;
    }
}

QString describe(const QString &query)
{
    QStringList points;
    for (const char32_t c : query.toUcs4())
        points.append(u"U+%1"_s.arg(uint(c), 4, 16, QChar(u'0')).toUpper());
    return points.join(u' ');
}

// The rule read a second way, through Qt's own case-insensitive search,
// which folds the same per code point but knows nothing of İ.
QList<Skill *> readByQt(const QList<Skill *> &skills, const QString &query)
{
    const auto prepared = [](const QString &text) {
        return text.normalized(QString::NormalizationForm_C).replace(u"İ"_s, u"i"_s);
    };
    const QString needle = prepared(query);
    QList<Skill *> found;
    for (Skill *skill : skills) {
        for (const QString &text : { skill->name(), skill->skillDescription(), skill->content() }) {
            if (prepared(text).contains(needle, Qt::CaseInsensitive)) {
                found.append(skill);
                break;
            }
        }
    }
    return found;
}

bool agree(const SkillSearchIndex &index, const QList<Skill *> &skills, const QString &query)
{
    const QList<Skill *> indexed = index.search(query, skills);
    const QList<Skill *> plain = SkillQuery(SidebarFilter::all(), query).apply(skills);
    // Lone surrogates are where the two readings part on purpose.
    const bool comparable = query.isValidUtf16() && !query.contains(QChar::ReplacementCharacter);
    if (indexed == plain && (!comparable || plain == readByQt(skills, query)))
        return true;
    qWarning().noquote() << "query" << describe(query) << "index found" << indexed.size()
                         << "plain pass" << plain.size();
    return false;
}

struct Store
{
    std::unique_ptr<ModelContext> context;
    QList<Skill *> skills;
};

Store makeStore(QRandomGenerator &random, const QStringList &pool, int count)
{
    Store store;
    auto opened = ModelContext::open(u":memory:"_s);
    if (!opened)
        return store;
    store.context = std::move(opened.value());
    for (int i = 0; i < count; ++i) {
        Skill::Seed seed;
        seed.filePath = u"/h/skills/%1/SKILL.md"_s.arg(i);
        Skill *skill = Skill::make(seed);
        fill(*skill, random, pool);
        if (!store.context->insert(skill))
            return {};
    }
    if (!store.context->save())
        return {};
    store.skills = store.context->skillsByName();
    return store;
}

QStringList makePool(QRandomGenerator &random, int count)
{
    QStringList pool;
    for (int i = 0; i < count; ++i)
        pool.append(randomWord(random));
    return pool;
}

} // namespace

void SkillSearchIndexTest::agreesWithPlainPass_data()
{
    QTest::addColumn<quint32>("seed");
    QTest::addColumn<int>("skillCount");
    QTest::newRow("a few skills") << 1U << 5;
    QTest::newRow("one bitset word") << 2U << 31;
    QTest::newRow("many skills") << 3U << 120;
    QTest::newRow("many skills, other texts") << 4U << 160;
}

void SkillSearchIndexTest::agreesWithPlainPass()
{
    QFETCH(quint32, seed);
    QFETCH(int, skillCount);
    QRandomGenerator random(seed);
    const Store store = makeStore(random, makePool(random, 40), skillCount);
    QVERIFY(store.context);
    SkillSearchIndex index;
    index.attach(store.context.get());
    QCOMPARE(index.size(), skillCount);

    for (int i = 0; i < 400; ++i)
        QVERIFY(agree(index, store.skills, randomQuery(random, store.skills)));
    const QString loneSurrogate(QChar(char16_t(0xD800)));
    for (const QString &query : { u" "_s, u"\r\n"_s, u"\uFFFD"_s, loneSurrogate, u"never there"_s })
        QVERIFY(agree(index, store.skills, query));
}

// Texts replaced over and over: slots, lists that grow dense and thin out
// again, and words that nobody holds any more must all keep the answers right.
void SkillSearchIndexTest::agreesAfterChurn()
{
    QRandomGenerator random(7);
    const QStringList pool = makePool(random, 30);
    Store store = makeStore(random, pool, 60);
    QVERIFY(store.context);
    SkillSearchIndex index;
    index.attach(store.context.get());

    for (int round = 0; round < 10; ++round) {
        // Fresh words in every round, enough to outgrow the vocabulary.
        const QStringList fresh = makePool(random, 4000);
        for (Skill *skill : std::as_const(store.skills))
            fill(*skill, random, fresh);
        if (round % 2) {
            store.context->remove(store.skills.takeLast());
            Skill::Seed seed;
            seed.filePath = u"/h/skills/new-%1/SKILL.md"_s.arg(round);
            Skill *skill = Skill::make(seed);
            fill(*skill, random, fresh);
            QVERIFY(store.context->insert(skill));
        }
        QVERIFY(store.context->save());
        store.skills = store.context->skillsByName();
        for (int i = 0; i < 100; ++i)
            QVERIFY(agree(index, store.skills, randomQuery(random, store.skills)));
    }
}

void SkillSearchIndexTest::followsTheStore()
{
    auto opened = ModelContext::open(u":memory:"_s);
    QVERIFY(opened);
    ModelContext &context = *opened.value();
    SkillSearchIndex index;
    index.attach(&context);
    QSignalSpy updated(&index, &SkillSearchIndex::updated);

    Skill::Seed seed;
    seed.filePath = u"/h/.claude/skills/pdf/SKILL.md"_s;
    seed.name = u"pdf"_s;
    seed.content = u"Extract tables"_s;
    Skill *skill = Skill::make(seed);
    QVERIFY(context.insert(skill));
    QVERIFY(context.save());
    QCOMPARE(updated.count(), 1);
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
}

void SkillSearchIndexTest::unsavedSkillsAreSearchedPlainly()
{
    SkillSearchIndex index;
    Skill::Seed seed;
    seed.filePath = u"/h/new/SKILL.md"_s;
    seed.name = u"Draft"_s;
    std::unique_ptr<Skill> draft(Skill::make(seed));
    QCOMPARE(index.search(u"draft"_s, { draft.get() }), QList<Skill *> { draft.get() });
    QCOMPARE(index.search(u"final"_s, { draft.get() }), QList<Skill *>());
}

QTEST_GUILESS_MAIN(SkillSearchIndexTest)
#include "tst_skillsearchindex.moc"
