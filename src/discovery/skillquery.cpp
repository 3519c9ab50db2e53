#include "skillquery.h"

#include "skill.h"
#include "skillcollection.h"
#include "skillhealth.h"
#include "toolsource.h"

#include <QChar>

#include <algorithm>
#include <cstring>
#include <functional>

using namespace Qt::StringLiterals;

namespace {

// Case is ignored the same way under every locale: the window and a `quire
// list` run from a script must agree, and the search index folds each text
// once rather than per locale. Simple folding keeps one code point per code
// point, so "ß" and "ss" stay apart. İ is the one capital that simple folding
// leaves alone; its lowercase is a plain "i", so "istanbul" still finds it.
char32_t foldCodePoint(char32_t c)
{
    if (c < 0x80)
        return c - U'A' < 26 ? c + (U'a' - U'A') : c;
    if (c == 0x130)
        return U'i';
    return QChar::toCaseFolded(c);
}

char *appendUtf8(char *out, char32_t c)
{
    if (c < 0x80) {
        *out++ = char(c);
    } else if (c < 0x800) {
        *out++ = char(0xC0 | (c >> 6));
        *out++ = char(0x80 | (c & 0x3F));
    } else if (c < 0x10000) {
        *out++ = char(0xE0 | (c >> 12));
        *out++ = char(0x80 | ((c >> 6) & 0x3F));
        *out++ = char(0x80 | (c & 0x3F));
    } else {
        *out++ = char(0xF0 | (c >> 18));
        *out++ = char(0x80 | ((c >> 12) & 0x3F));
        *out++ = char(0x80 | ((c >> 6) & 0x3F));
        *out++ = char(0x80 | (c & 0x3F));
    }
    return out;
}

} // namespace

SkillQuery::SkillQuery(SidebarFilter filter, QString searchText, const SkillHealth *health)
    : m_filter(std::move(filter)),
      m_searchText(std::move(searchText)),
      m_foldedSearch(fold(m_searchText)),
      m_health(health)
{
}

bool SkillQuery::matchesFilter(const Skill &skill) const
{
    switch (m_filter.kind()) {
    case SidebarFilter::Kind::All:
        return true;
    case SidebarFilter::Kind::Favorites:
        return skill.isFavorite();
    case SidebarFilter::Kind::Tool:
        return skill.toolSources().contains(m_filter.toolSource());
    case SidebarFilter::Kind::Collection:
        return SkillCollection::isMember(skill, m_filter.collectionName());
    case SidebarFilter::Kind::NeedsAttention:
        return m_health && m_health->needsAttention(&skill);
    case SidebarFilter::Kind::FileKind:
        return skill.kind() == m_filter.fileKindValue();
    }
    return false;
}

bool SkillQuery::matchesSearch(const Skill &skill) const
{
    // Not trimmed: a search of one space looks for a space.
    if (m_searchText.isEmpty())
        return true;
    return containsFolded(fold(skill.name()), m_foldedSearch)
        || containsFolded(fold(skill.skillDescription()), m_foldedSearch)
        || containsFolded(fold(skill.content()), m_foldedSearch);
}

QList<Skill *> SkillQuery::apply(const QList<Skill *> &skillsInNameOrder) const
{
    QList<Skill *> kept;
    for (Skill *skill : skillsInNameOrder) {
        if (skill && matches(*skill))
            kept.append(skill);
    }
    return kept;
}

QString SkillQuery::title(const SidebarFilter &filter)
{
    switch (filter.kind()) {
    case SidebarFilter::Kind::All:
        return u"All skills"_s;
    case SidebarFilter::Kind::Favorites:
        return u"Favorites"_s;
    case SidebarFilter::Kind::Tool:
        return ToolSources::displayName(filter.toolSource());
    case SidebarFilter::Kind::Collection:
        return filter.collectionName();
    case SidebarFilter::Kind::NeedsAttention:
        return u"Needs attention"_s;
    case SidebarFilter::Kind::FileKind:
        return SkillKinds::pluralName(filter.fileKindValue());
    }
    return {};
}

std::optional<SidebarFilter> SkillQuery::parseFilter(const QString &text)
{
    if (text == u"all"_s)
        return SidebarFilter::all();
    if (text == u"favorites"_s)
        return SidebarFilter::favorites();
    if (text == u"needs-attention"_s)
        return SidebarFilter::needsAttention();
    if (text.startsWith(u"tool:"_s)) {
        if (const std::optional<ToolSource> tool = ToolSources::fromRaw(text.mid(5)))
            return SidebarFilter::tool(*tool);
        return std::nullopt;
    }
    if (text.startsWith(u"kind:"_s)) {
        if (const std::optional<SkillKind> kind = SkillKinds::fromRaw(text.mid(5)))
            return SidebarFilter::fileKind(*kind);
        return std::nullopt;
    }
    // A collection needs a name to be created, so an empty one can only be a
    // forgotten argument; better refused than an always-empty list.
    if (text.startsWith(u"collection:"_s) && text.size() > 11)
        return SidebarFilter::collection(text.mid(11));
    return std::nullopt;
}

QByteArray SkillQuery::fold(const QString &text)
{
    // Already composed text, by far the common case, is returned shared.
    const QString composed = text.normalized(QString::NormalizationForm_C);
    const auto *in = reinterpret_cast<const char16_t *>(composed.constData());
    const char16_t *const end = in + composed.size();

    // At most three bytes per UTF-16 unit: a pair of units makes four.
    QByteArray folded(composed.size() * 3, Qt::Uninitialized);
    char *out = folded.data();
    while (in != end) {
        // Runs of ASCII, most of any text, need no table.
        for (; in != end && *in < 0x80; ++in)
            *out++ = char(char16_t(*in - u'A') < 26 ? *in + (u'a' - u'A') : *in);
        if (in == end)
            break;
        char32_t c = *in++;
        if (QChar::isHighSurrogate(c) && in != end && QChar::isLowSurrogate(*in))
            c = QChar::surrogateToUcs4(char16_t(c), *in++);
        else if (QChar::isSurrogate(c))
            c = QChar::ReplacementCharacter;
        out = appendUtf8(out, foldCodePoint(c));
    }
    folded.truncate(out - folded.constData());
    return folded;
}

qsizetype SkillQuery::indexOfFolded(
    QByteArrayView foldedText, QByteArrayView foldedNeedle, qsizetype from)
{
    if (from < 0 || from > foldedText.size())
        return -1;
    const char *const begin = foldedText.data();
    const char *const start = begin + from;
    const auto length = size_t(foldedText.size() - from);
    if (foldedNeedle.isEmpty())
        return from;
    if (size_t(foldedNeedle.size()) > length)
        return -1;
    const void *found = nullptr;
    if (foldedNeedle.size() == 1) {
        found = std::memchr(start, foldedNeedle.front(), length);
    } else {
#if defined(__GLIBC__) || defined(__APPLE__) || defined(__FreeBSD__)
        // Twice as fast as the portable searcher below on prose.
        found = memmem(start, length, foldedNeedle.data(), size_t(foldedNeedle.size()));
#else
        const std::boyer_moore_horspool_searcher searcher(foldedNeedle.begin(), foldedNeedle.end());
        const char *const hit = std::search(start, start + length, searcher);
        found = hit == start + length ? nullptr : hit;
#endif
    }
    return found ? static_cast<const char *>(found) - begin : -1;
}
