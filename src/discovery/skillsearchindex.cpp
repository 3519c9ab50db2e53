#include "skillsearchindex.h"

#include "modelcontext.h"
#include "skill.h"
#include "skillquery.h"
#include "skillslices.h"

#include <algorithm>
#include <bit>
#include <numeric>
#include <optional>
#include <utility>

// The slots holding one gram or word: sorted while few skills share it, a
// bitset over all slots once that is smaller.
struct SkillSearchIndex::Posting
{
    quint32 count = 0;
    bool dense = false;
    std::vector<quint32> data;

    bool has(Slot slot) const
    {
        if (dense)
            return slot / 32 < data.size() && (data[slot / 32] >> (slot % 32) & 1U);
        return std::binary_search(data.begin(), data.end(), slot);
    }

    // bitsetSize: the words of a bitset over all slots.
    void add(Slot slot, size_t bitsetSize)
    {
        if (dense) {
            if (data.size() < bitsetSize)
                data.resize(bitsetSize);
            const quint32 bit = 1U << (slot % 32);
            if (!(data[slot / 32] & bit)) {
                data[slot / 32] |= bit;
                ++count;
            }
            return;
        }
        // A gram recurs all through a text: the repeat is the last entry.
        if (data.empty() || data.back() < slot) {
            data.push_back(slot);
        } else {
            const auto at = std::lower_bound(data.begin(), data.end(), slot);
            if (*at == slot)
                return;
            data.insert(at, slot);
        }
        if (++count > bitsetSize) {
            Bits bits(bitsetSize);
            for (const quint32 id : data)
                bits[id / 32] |= 1U << (id % 32);
            data = std::move(bits);
            dense = true;
        }
    }

    void remove(Slot slot)
    {
        if (!has(slot))
            return;
        --count;
        if (!dense) {
            data.erase(std::lower_bound(data.begin(), data.end(), slot));
            return;
        }
        data[slot / 32] &= ~(1U << (slot % 32));
        // Well below the switch point, so one skill coming and going does
        // not convert the list each time.
        if (size_t(count) * 2 < data.size())
            makeSparse();
    }

    void makeSparse()
    {
        std::vector<quint32> ids;
        ids.reserve(count);
        for (Slot id = 0; id < data.size() * 32; ++id) {
            if (data[id / 32] >> (id % 32) & 1U)
                ids.push_back(id);
        }
        data = std::move(ids);
        dense = false;
    }

    void uniteInto(Bits &bits) const
    {
        if (dense) {
            for (size_t i = 0; i < std::min(bits.size(), data.size()); ++i)
                bits[i] |= data[i];
        } else {
            for (const quint32 id : data)
                bits[id / 32] |= 1U << (id % 32);
        }
    }

    void intersectInto(Bits &bits) const
    {
        Bits mine(bits.size());
        uniteInto(mine);
        for (size_t i = 0; i < bits.size(); ++i)
            bits[i] &= mine[i];
    }
};

namespace {

constexpr unsigned char fieldSeparator = 0xFF;
constexpr size_t asciiGramCount = 128 + 128 * 128;

// fold() gives valid UTF-8 only, so no byte needs checking here.
char32_t decodeNext(const unsigned char *&p)
{
    const unsigned char lead = *p++;
    if (lead < 0x80)
        return lead;
    const int trail = lead < 0xE0 ? 1 : lead < 0xF0 ? 2 : 3;
    char32_t c = lead & (0x3F >> trail);
    for (int i = 0; i < trail; ++i)
        c = c << 6 | (*p++ & 0x3F);
    return c;
}

const unsigned char *bytes(QByteArrayView text)
{
    return reinterpret_cast<const unsigned char *>(text.data());
}

std::vector<char32_t> codePoints(QByteArrayView folded)
{
    std::vector<char32_t> points;
    for (const unsigned char *p = bytes(folded), *end = p + folded.size(); p != end;)
        points.push_back(decodeNext(p));
    return points;
}

// Word bytes: ASCII letters, digits and '_', and every byte of a non-ASCII
// code point, so a word boundary never splits one.
bool isWordByte(unsigned char b)
{
    if (b >= 0x80)
        return b != fieldSeparator;
    return (b >= 'a' && b <= 'z') || (b >= '0' && b <= '9') || b == '_' || (b >= 'A' && b <= 'Z');
}

// Calls visit(gram, length) for every code point and pair within one field.
template <typename Visit> void forEachGram(QByteArrayView folded, Visit &&visit)
{
    char32_t pair[2] = { 0, 0 };
    bool hasPrevious = false;
    for (const unsigned char *p = bytes(folded), *end = p + folded.size(); p != end;) {
        if (*p == fieldSeparator) {
            ++p;
            hasPrevious = false;
            continue;
        }
        pair[0] = pair[1];
        pair[1] = decodeNext(p);
        visit(pair + 1, 1);
        if (hasPrevious)
            visit(pair, 2);
        hasPrevious = true;
    }
}

template <typename Visit> void forEachToken(QByteArrayView folded, Visit &&visit)
{
    const unsigned char *const begin = bytes(folded);
    const unsigned char *const end = begin + folded.size();
    for (const unsigned char *p = begin; p != end;) {
        if (!isWordByte(*p)) {
            ++p;
            continue;
        }
        const unsigned char *const start = p;
        while (p != end && isWordByte(*p))
            ++p;
        visit(folded.sliced(start - begin, p - start));
    }
}

std::optional<size_t> asciiGramIndex(const char32_t *gram, int length)
{
    if (gram[0] >= 0x80 || (length == 2 && gram[1] >= 0x80))
        return std::nullopt;
    return length == 1 ? gram[0] : 128 + (gram[0] << 7 | gram[1]);
}

quint64 otherGramKey(const char32_t *gram, int length)
{
    return length == 1 ? quint64(1) << 63 | gram[0] : quint64(gram[0]) << 21 | gram[1];
}

// FNV-1a, mixed at the end: Qt's string hash is built for keys an attacker
// may choose and costs several times more on these short, trusted words.
size_t hashToken(QByteArrayView token)
{
    quint64 hash = 0xCBF29CE484222325ULL;
    for (const char byte : token)
        hash = (hash ^ quint8(byte)) * 0x100000001B3ULL;
    return size_t(hash ^ hash >> 29);
}

// Calls apply(list, slot) for pairs packed as list << 32 | slot, grouped by
// list and in the order given within a list.
template <typename Apply> void groupByList(std::vector<quint64> &pairs, size_t lists, Apply &&apply)
{
    if (pairs.size() * 8 < lists) { // one text: counting over every list costs more
        std::sort(pairs.begin(), pairs.end());
        for (const quint64 pair : pairs)
            apply(quint32(pair >> 32), quint32(pair));
        return;
    }
    std::vector<quint32> ends(lists + 1);
    for (const quint64 pair : pairs)
        ++ends[(pair >> 32) + 1];
    std::partial_sum(ends.begin(), ends.end(), ends.begin());
    std::vector<quint32> grouped(pairs.size());
    for (const quint64 pair : pairs)
        grouped[ends[pair >> 32]++] = quint32(pair);
    quint32 begin = 0;
    for (quint32 list = 0; list < lists; ++list) {
        for (quint32 i = begin; i < ends[list]; ++i)
            apply(list, grouped[i]);
        begin = ends[list];
    }
}

QByteArray foldedFields(const Skill &skill)
{
    QByteArray text = SkillQuery::fold(skill.name());
    text += char(fieldSeparator);
    text += SkillQuery::fold(skill.skillDescription());
    text += char(fieldSeparator);
    text += SkillQuery::fold(skill.content());
    text.squeeze();
    return text;
}

} // namespace

SkillSearchIndex::SkillSearchIndex(QObject *parent) : QObject(parent)
{
    // About a frame's worth of skills per turn.
    constexpr qsizetype sliceSize = 200;
    m_slices = new SkillSlices(
        sliceSize, [this](const QList<Skill *> &slice) { update(slice); },
        [this] { finishBuild(); }, this);
}

SkillSearchIndex::~SkillSearchIndex() = default;

void SkillSearchIndex::attach(ModelContext *context)
{
    follow(context);
    if (context)
        rebuild(context->skills());
}

void SkillSearchIndex::attachInSlices(ModelContext *context)
{
    follow(context);
    if (!context)
        return;
    clear();
    const QList<Skill *> skills = context->skills();
    // Sized for all from the start, as a rebuild is.
    m_bitsetSizeHint = (size_t(skills.size()) + 31) / 32;
    m_slices->start(skills);
}

bool SkillSearchIndex::isIndexing() const
{
    return m_slices->isRunning();
}

void SkillSearchIndex::finishIndexing()
{
    m_slices->finish();
}

void SkillSearchIndex::finishBuild()
{
    m_bitsetSizeHint = 0;
    // Lists grew by doubling; what is left over would stay for good.
    for (Posting &posting : m_grams)
        posting.data.shrink_to_fit();
    for (Posting &posting : m_tokenPostings)
        posting.data.shrink_to_fit();
    m_vocabulary.squeeze();
    m_tokensAfterCompaction = m_tokenStarts.size();
}

void SkillSearchIndex::follow(ModelContext *context)
{
    for (const QMetaObject::Connection &connection : std::as_const(m_connections))
        disconnect(connection);
    m_connections.clear();
    m_slices->cancel();
    if (!context) {
        clear();
        return;
    }

    const auto reindex = [this](const QList<Skill *> &skills) {
        update(skills);
        Q_EMIT updated();
    };
    m_connections = {
        connect(context, &ModelContext::skillsInserted, this, reindex),
        // A changed skill may have a new name, description or content.
        connect(context, &ModelContext::skillsChanged, this, reindex),
        connect(context, &ModelContext::skillsRemoved, this,
            [this](const QList<Skill *> &skills) {
                // Announced while alive, deleted later: not to be indexed after all.
                m_slices->forget(skills);
                for (Skill *skill : skills)
                    remove(skill);
                Q_EMIT updated();
            }),
        // Its records go with it; none may be looked up afterwards.
        connect(context, &QObject::destroyed, this,
            [this] {
                m_slices->cancel();
                clear();
            }),
    };
}

void SkillSearchIndex::rebuild(const QList<Skill *> &skills)
{
    clear();
    m_skills.reserve(size_t(skills.size()));
    m_texts.reserve(size_t(skills.size()));
    // Sized for all from the start: no bitset regrows, and no list turns
    // dense just because the first few skills share a word.
    m_bitsetSizeHint = (size_t(skills.size()) + 31) / 32;
    update(skills);
    finishBuild();
}

void SkillSearchIndex::update(Skill *skill)
{
    update(QList<Skill *> { skill });
}

void SkillSearchIndex::update(const QList<Skill *> &skills)
{
    std::vector<Slot> batch;
    for (Skill *skill : skills) {
        if (!skill)
            continue;
        QByteArray text = foldedFields(*skill);
        const auto found = m_slotOf.constFind(skill);
        if (found == m_slotOf.cend()) {
            batch.push_back(place(skill, std::move(text)));
        } else if (m_texts[*found] != text) { // else a favourite or a date changed
            unindex(*found);
            m_texts[*found] = std::move(text);
            batch.push_back(*found);
        }
        if (batch.size() == 64) {
            index(batch);
            batch.clear();
        }
    }
    if (!batch.empty())
        index(batch);
}

SkillSearchIndex::Slot SkillSearchIndex::place(Skill *skill, QByteArray text)
{
    Slot slot = 0;
    if (m_freeSlots.empty()) {
        slot = Slot(m_skills.size());
        m_skills.push_back(skill);
        m_texts.push_back(std::move(text));
    } else {
        slot = m_freeSlots.back();
        m_freeSlots.pop_back();
        m_skills[slot] = skill;
        m_texts[slot] = std::move(text);
    }
    m_slotOf.insert(skill, slot);
    return slot;
}

void SkillSearchIndex::remove(Skill *skill)
{
    const auto found = m_slotOf.constFind(skill);
    if (found == m_slotOf.cend())
        return;
    const Slot slot = *found;
    m_slotOf.erase(found);
    unindex(slot);
    m_texts[slot] = QByteArray();
    m_skills[slot] = nullptr;
    m_freeSlots.push_back(slot);
}

void SkillSearchIndex::clear()
{
    m_texts.clear();
    m_skills.clear();
    m_freeSlots.clear();
    m_slotOf.clear();
    m_grams.clear();
    m_asciiGrams.clear();
    m_otherGrams.clear();
    m_gramRounds.clear();
    m_vocabulary.clear();
    m_tokenStarts.clear();
    m_tokenPostings.clear();
    m_tokenTable.clear();
    m_tokenRounds.clear();
    m_tokensAfterCompaction = 0;
}

QList<Skill *> SkillSearchIndex::search(const QString &text, const QList<Skill *> &inOrder) const
{
    QList<Skill *> kept;
    if (text.isEmpty()) {
        std::copy_if(inOrder.cbegin(), inOrder.cend(), std::back_inserter(kept),
            [](const Skill *skill) { return skill != nullptr; });
        return kept;
    }
    const SkillQuery plain(SidebarFilter::all(), text);
    const Bits hits = matchingSlots(plain.foldedSearchText());
    for (Skill *skill : inOrder) {
        if (!skill)
            continue;
        const auto found = m_slotOf.constFind(skill);
        const bool hit = found != m_slotOf.cend()
            ? *found / 32 < hits.size() && (hits[*found / 32] >> (*found % 32) & 1U)
            : plain.matchesSearch(*skill);
        if (hit)
            kept.append(skill);
    }
    return kept;
}

qsizetype SkillSearchIndex::memoryUsage() const
{
    size_t total = m_texts.capacity() * sizeof(QByteArray) + m_skills.capacity() * sizeof(void *)
        + size_t(m_slotOf.capacity()) * (sizeof(void *) + sizeof(Slot));
    for (const QByteArray &text : m_texts)
        total += size_t(text.capacity());
    for (const auto *postings : { &m_grams, &m_tokenPostings }) {
        total += postings->capacity() * sizeof(Posting);
        for (const Posting &posting : *postings)
            total += posting.data.capacity() * sizeof(quint32);
    }
    total += (m_asciiGrams.capacity() + m_gramRounds.capacity() + m_tokenStarts.capacity()
                 + m_tokenTable.capacity() + m_tokenRounds.capacity())
            * sizeof(quint32)
        + size_t(m_otherGrams.capacity()) * (sizeof(quint64) + sizeof(quint32))
        + size_t(m_vocabulary.capacity());
    return qsizetype(total);
}

// The pairs of list and slot of a whole batch are gathered first and then
// grouped by list, so each list is reached once per batch and filled in
// order: reaching it once per text, a rebuild spent most of its time waiting
// for memory.
void SkillSearchIndex::index(const std::vector<Slot> &batch)
{
    std::vector<quint64> grams;
    std::vector<quint64> tokens;
    grams.reserve(batch.size() * 1024); // what a text of a few KB lists
    tokens.reserve(batch.size() * 512);
    for (const Slot slot : batch) {
        // Each indexing of a text is a new round, so a gram or word that
        // recurs all through it is listed once.
        const quint32 round = ++m_indexRound;
        forEachGram(m_texts[slot], [&](const char32_t *gram, int length) {
            const quint32 list = obtainGram(gram, length);
            if (std::exchange(m_gramRounds[list], round) != round)
                grams.push_back(quint64(list) << 32 | slot);
        });
        forEachToken(m_texts[slot], [&](QByteArrayView token) {
            const quint32 list = obtainToken(token);
            if (std::exchange(m_tokenRounds[list], round) != round)
                tokens.push_back(quint64(list) << 32 | slot);
        });
    }
    const size_t size = bitsetSize();
    groupByList(
        grams, m_grams.size(), [&](quint32 list, Slot slot) { m_grams[list].add(slot, size); });
    groupByList(tokens, m_tokenPostings.size(),
        [&](quint32 list, Slot slot) { m_tokenPostings[list].add(slot, size); });
}

void SkillSearchIndex::unindex(Slot slot)
{
    forEachGram(m_texts[slot], [&](const char32_t *gram, int length) {
        m_grams[gramCell(gram, length) - 1].remove(slot);
    });
    forEachToken(m_texts[slot],
        [&](QByteArrayView token) { m_tokenPostings[findToken(token) - 1].remove(slot); });
    // Words no skill holds any more stay until the vocabulary has doubled.
    if (m_tokenStarts.size() > 2 * std::max<size_t>(m_tokensAfterCompaction, 4096))
        compactTokens();
}

quint32 SkillSearchIndex::gramCell(const char32_t *gram, int length) const
{
    if (const std::optional<size_t> ascii = asciiGramIndex(gram, length))
        return m_asciiGrams.empty() ? 0 : m_asciiGrams[*ascii];
    return m_otherGrams.value(otherGramKey(gram, length));
}

quint32 SkillSearchIndex::obtainGram(const char32_t *gram, int length)
{
    quint32 *cell = nullptr;
    if (const std::optional<size_t> ascii = asciiGramIndex(gram, length)) {
        if (m_asciiGrams.empty())
            m_asciiGrams.resize(asciiGramCount);
        cell = &m_asciiGrams[*ascii];
    } else {
        cell = &m_otherGrams[otherGramKey(gram, length)];
    }
    if (*cell == 0) {
        m_grams.emplace_back();
        m_gramRounds.push_back(0);
        *cell = quint32(m_grams.size());
    }
    return *cell - 1;
}

qsizetype SkillSearchIndex::tokenEnd(quint32 token) const
{
    return token + 1 < m_tokenStarts.size() ? m_tokenStarts[token + 1] - 1 : m_vocabulary.size();
}

QByteArrayView SkillSearchIndex::tokenText(quint32 token) const
{
    const qsizetype start = m_tokenStarts[token];
    return QByteArrayView(m_vocabulary).sliced(start, tokenEnd(token) - start);
}

// Open addressing, probing linearly; the table is at most half full.
size_t SkillSearchIndex::tokenCell(QByteArrayView token) const
{
    const size_t mask = m_tokenTable.size() - 1;
    for (size_t i = hashToken(token) & mask;; i = (i + 1) & mask) {
        const quint32 cell = m_tokenTable[i];
        if (cell == 0 || tokenText(cell - 1) == token)
            return i;
    }
}

quint32 SkillSearchIndex::findToken(QByteArrayView token) const
{
    return m_tokenTable.empty() ? 0 : m_tokenTable[tokenCell(token)];
}

quint32 SkillSearchIndex::obtainToken(QByteArrayView token)
{
    if (2 * (m_tokenStarts.size() + 1) > m_tokenTable.size())
        rehashTokens(std::max<size_t>(1024, 4 * m_tokenStarts.size()));
    quint32 &cell = m_tokenTable[tokenCell(token)];
    if (cell == 0) {
        m_vocabulary += char(fieldSeparator);
        m_tokenStarts.push_back(quint32(m_vocabulary.size()));
        m_vocabulary += token;
        m_tokenPostings.emplace_back();
        m_tokenRounds.push_back(0);
        cell = quint32(m_tokenStarts.size());
    }
    return cell - 1;
}

void SkillSearchIndex::rehashTokens(size_t cells)
{
    m_tokenTable.assign(std::bit_ceil(cells), 0);
    for (quint32 token = 0; token < m_tokenStarts.size(); ++token)
        m_tokenTable[tokenCell(tokenText(token))] = token + 1;
}

void SkillSearchIndex::compactTokens()
{
    QByteArray vocabulary;
    std::vector<quint32> starts;
    std::vector<Posting> postings;
    m_tokenRounds.clear();
    for (quint32 token = 0; token < m_tokenStarts.size(); ++token) {
        if (m_tokenPostings[token].count == 0)
            continue;
        vocabulary += char(fieldSeparator);
        starts.push_back(quint32(vocabulary.size()));
        vocabulary += tokenText(token);
        postings.push_back(std::move(m_tokenPostings[token]));
        m_tokenRounds.push_back(0);
    }
    m_vocabulary = std::move(vocabulary);
    m_tokenStarts = std::move(starts);
    m_tokenPostings = std::move(postings);
    m_tokensAfterCompaction = m_tokenStarts.size();
    rehashTokens(std::max<size_t>(1024, 4 * m_tokenStarts.size()));
}

// Adds the skills holding a word with run at that place in it.
void SkillSearchIndex::uniteTokens(QByteArrayView run, Place place, Bits &bits) const
{
    qsizetype from = 0;
    qsizetype at = 0;
    while ((at = SkillQuery::indexOfFolded(m_vocabulary, run, from)) >= 0) {
        const auto token
            = quint32(std::upper_bound(m_tokenStarts.begin(), m_tokenStarts.end(), quint32(at))
                - m_tokenStarts.begin() - 1);
        const qsizetype end = tokenEnd(token);
        const bool fits = place == Place::Anywhere
            || (place == Place::AtStart ? at == m_tokenStarts[token] : at + run.size() == end);
        if (fits)
            m_tokenPostings[token].uniteInto(bits);
        // A later hit in the same word can only help a word that must end
        // with the run.
        from = fits || place == Place::AtStart ? end : at + 1;
    }
}

SkillSearchIndex::Bits SkillSearchIndex::matchingSlots(const QByteArray &needle) const
{
    const std::vector<char32_t> points = codePoints(needle);
    Bits bits(bitsetSize());
    if (points.size() <= 2) {
        // Every code point and pair is listed: the list is the answer.
        if (const quint32 cell = gramCell(points.data(), int(points.size())))
            m_grams[cell - 1].uniteInto(bits);
        return bits;
    }
    if (std::all_of(bytes(needle), bytes(needle) + needle.size(), isWordByte)) {
        uniteTokens(needle, Place::Anywhere, bits);
        return bits;
    }
    return matchingMixed(needle, points);
}

// Spaces or punctuation: every pair must be there, each inner word whole,
// the first run at the end of a word and the last at the start of one. That
// narrows; only the text can tell whether they stand in a row.
SkillSearchIndex::Bits SkillSearchIndex::matchingMixed(
    const QByteArray &needle, const std::vector<char32_t> &points) const
{
    Bits candidates(bitsetSize(), ~0U);
    for (size_t i = 0; i + 1 < points.size(); ++i) {
        const quint32 cell = gramCell(points.data() + i, 2);
        if (cell == 0)
            return Bits(bitsetSize());
        m_grams[cell - 1].intersectInto(candidates);
    }

    const unsigned char *const begin = bytes(needle);
    const unsigned char *const end = begin + needle.size();
    for (const unsigned char *p = begin; p != end;) {
        if (!isWordByte(*p)) {
            ++p;
            continue;
        }
        const unsigned char *const start = p;
        while (p != end && isWordByte(*p))
            ++p;
        const QByteArrayView run = QByteArrayView(needle).sliced(start - begin, p - start);
        if (start != begin && p != end) {
            const quint32 token = findToken(run);
            if (token == 0)
                return Bits(bitsetSize());
            m_tokenPostings[token - 1].intersectInto(candidates);
        } else if (run.size() >= 3) { // shorter runs are no stronger than their pairs
            Bits holding(bitsetSize());
            uniteTokens(run, start == begin ? Place::AtEnd : Place::AtStart, holding);
            for (size_t i = 0; i < candidates.size(); ++i)
                candidates[i] &= holding[i];
        }
    }

    Bits bits(bitsetSize());
    for (Slot slot = 0; slot < m_skills.size(); ++slot) {
        if ((candidates[slot / 32] >> (slot % 32) & 1U) && m_skills[slot]
            && SkillQuery::containsFolded(m_texts[slot], needle))
            bits[slot / 32] |= 1U << (slot % 32);
    }
    return bits;
}
