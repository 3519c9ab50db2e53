#include "searchtokenizer.h"

#include "foldedtext.h"

#include <QString>

#include <sqlite3.h>

#include <algorithm>
#include <unordered_set>
#include <vector>

namespace {

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

// Runs already given for the text at hand. ASCII runs, the bulk, by direct
// address: bit c, 128 + (a << 7 | b) and 128 + 128 * 128 + (a << 14 | b << 7
// | c); the few others by value.
class SeenRuns final
{
public:
    SeenRuns() : m_ascii(asciiRuns / 64, 0) { }

    bool add(const char32_t *run, int length)
    {
        if (std::all_of(run, run + length, [](char32_t c) { return c < 0x80; })) {
            size_t bit = run[0];
            if (length == 2)
                bit = 128 + (run[0] << 7 | run[1]);
            else if (length == 3)
                bit = 128 + 128 * 128 + (run[0] << 14 | run[1] << 7 | run[2]);
            quint64 &word = m_ascii[bit / 64];
            const quint64 mask = quint64(1) << (bit % 64);
            if (word & mask)
                return false;
            word |= mask;
            m_setWords.push_back(bit / 64);
            return true;
        }
        // One more than each code point, so the length shows in the key.
        quint64 key = 0;
        for (int i = 0; i < length; ++i)
            key = key << 21 | (run[i] + 1);
        return m_other.insert(key).second;
    }

    void clear()
    {
        for (const size_t word : m_setWords)
            m_ascii[word] = 0;
        m_setWords.clear();
        m_other.clear();
    }

private:
    static constexpr size_t asciiRuns = 128 + 128 * 128 + 128 * 128 * 128;
    std::vector<quint64> m_ascii;
    std::vector<size_t> m_setWords;
    std::unordered_set<quint64> m_other;
};

// Calls give(bytes, size) once for each distinct run of one to three code
// points of folded.
template <typename Give>
int forEachDistinctRun(const QByteArray &folded, SeenRuns &seen, Give &&give)
{
    const auto *const begin = reinterpret_cast<const unsigned char *>(folded.constData());
    const unsigned char *const end = begin + folded.size();
    char32_t points[3] = { 0, 0, 0 };
    const unsigned char *starts[3] = { begin, begin, begin };
    int held = 0;
    for (const unsigned char *p = begin; p != end;) {
        std::copy(points + 1, points + 3, points);
        std::copy(starts + 1, starts + 3, starts);
        starts[2] = p;
        points[2] = decodeNext(p);
        held = std::min(held + 1, 3);
        for (int length = 1; length <= held; ++length) {
            if (!seen.add(points + 3 - length, length))
                continue;
            const auto *const from = reinterpret_cast<const char *>(starts[3 - length]);
            const auto size = int(reinterpret_cast<const char *>(p) - from);
            int rc = SQLITE_OK;
            if (std::find(points + 3 - length, points + 3, U'\0') == points + 3) {
                rc = give(from, size);
            } else {
                // FTS5 keeps terms as C strings; a NUL goes in as the two
                // bytes valid UTF-8 never has. A query holding one reads
                // every row instead.
                const QByteArray escaped = QByteArray(from, size).replace('\0', "\xC0\x80");
                rc = give(escaped.constData(), int(escaped.size()));
            }
            if (rc != SQLITE_OK)
                return rc;
        }
    }
    return SQLITE_OK;
}

struct Tokenizer
{
    SeenRuns seen;
};

int createTokenizer(void *, const char **, int, Fts5Tokenizer **out)
{
    *out = reinterpret_cast<Fts5Tokenizer *>(new Tokenizer);
    return SQLITE_OK;
}

void deleteTokenizer(Fts5Tokenizer *tokenizer)
{
    delete reinterpret_cast<Tokenizer *>(tokenizer);
}

int tokenize(Fts5Tokenizer *handle, void *context, int flags, const char *text, int size,
    int (*token)(void *, int, const char *, int, int, int))
{
    // A query term is folded already and names one run exactly.
    if (!(flags & FTS5_TOKENIZE_DOCUMENT))
        return size > 0 ? token(context, 0, text, size, 0, size) : SQLITE_OK;
    auto *tokenizer = reinterpret_cast<Tokenizer *>(handle);
    const QByteArray folded = FoldedText::fold(QString::fromUtf8(text, size));
    // Offsets are only for highlighting, which this index never does.
    const int rc = forEachDistinctRun(folded, tokenizer->seen,
        [&](const char *run, int length) { return token(context, 0, run, length, 0, 0); });
    tokenizer->seen.clear();
    return rc;
}

fts5_api *fts5Of(sqlite3 *db)
{
    fts5_api *api = nullptr;
    sqlite3_stmt *statement = nullptr;
    if (sqlite3_prepare_v2(db, "SELECT fts5(?1)", -1, &statement, nullptr) == SQLITE_OK) {
        sqlite3_bind_pointer(statement, 1, static_cast<void *>(&api), "fts5_api_ptr", nullptr);
        sqlite3_step(statement);
    }
    sqlite3_finalize(statement);
    return api;
}

} // namespace

bool SearchTokenizer::registerWith(sqlite3 *db)
{
    fts5_api *api = fts5Of(db);
    if (!api)
        return false;
    static fts5_tokenizer methods { createTokenizer, deleteTokenizer, tokenize };
    return api->xCreateTokenizer(api, name, nullptr, &methods, nullptr) == SQLITE_OK;
}

QList<QByteArray> SearchTokenizer::documentTokens(QByteArrayView utf8)
{
    QList<QByteArray> tokens;
    SeenRuns seen;
    (void)forEachDistinctRun(
        FoldedText::fold(QString::fromUtf8(utf8)), seen, [&](const char *run, int length) {
            tokens.append(QByteArray(run, length));
            return SQLITE_OK;
        });
    return tokens;
}
