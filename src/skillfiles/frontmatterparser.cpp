#include "frontmatterparser.h"

#include "tomlcommandreader.h"

#include <QStringView>

#include <algorithm>

using namespace Qt::StringLiterals;

namespace {

// Blank characters: horizontal tab and the Unicode space separators (Zs).
// Carriage return is not one, so a CR LF file keeps a CR at the end of each line.
bool isBlank(QChar c)
{
    const char16_t u = c.unicode();
    if (u < 0x80)
        return u == u' ' || u == u'\t';
    return c.category() == QChar::Separator_Space;
}

// White space and line breaks: the blank characters plus LF, VT, FF, CR (U+000A
// to U+000D), NEL (U+0085), LINE SEPARATOR and PARAGRAPH SEPARATOR. Every one of
// them lies in the BMP, so trimming by UTF-16 code unit never splits a pair.
bool isSpaceOrBreak(QChar c)
{
    const char16_t u = c.unicode();
    return isBlank(c) || (u >= 0x0A && u <= 0x0D) || u == 0x85 || u == 0x2028 || u == 0x2029;
}

template <typename Predicate> QStringView trimmed(QStringView text, Predicate trims)
{
    qsizetype begin = 0;
    qsizetype end = text.size();
    while (begin < end && trims(text[begin]))
        ++begin;
    while (end > begin && trims(text[end - 1]))
        --end;
    return text.sliced(begin, end - begin);
}

QStringView trimBlank(QStringView text)
{
    return trimmed(text, isBlank);
}

QStringView trimSpaceAndBreaks(QStringView text)
{
    return trimmed(text, isSpaceOrBreak);
}

// The lines of a text, split at "\n" and nowhere else, as views into it: a text
// without "\n" is one line, and a trailing "\n" gives a last, empty line.
class Lines final
{
public:
    explicit Lines(QStringView text) : m_text(text) { }

    bool next(QStringView &line)
    {
        if (m_pos > m_text.size())
            return false;
        qsizetype end = m_text.indexOf(u'\n', m_pos);
        if (end < 0)
            end = m_text.size();
        line = m_text.sliced(m_pos, end - m_pos);
        m_pos = end + 1;
        return true;
    }

    // Where the line after the last one read begins; the end of the text after the last line.
    qsizetype position() const { return std::min(m_pos, m_text.size()); }

private:
    QStringView m_text;
    qsizetype m_pos = 0;
};

// The key lines between the delimiters. Once a key has been seen it stays
// current until the next key line: unindented lines that are not keys (list
// items, stray text) do not end its value.
class KeyReader final
{
public:
    void read(QStringView line, QStringView trimmedLine)
    {
        if (trimmedLine.isEmpty()) {
            if (m_blockMode)
                ++m_pendingBreaks;
            return;
        }
        const bool indented = line.front() == u' ' || line.front() == u'\t';
        if (indented && m_hasKey) {
            const QStringView item
                = trimmedLine.startsWith(u"- ") ? trimmedLine.sliced(2) : trimmedLine;
            // Blank lines count only between text: leading and trailing ones are
            // trimmed from the stored value, so they are never written out.
            if (!m_value.isEmpty())
                m_value.resize(m_value.size() + m_pendingBreaks + 1, u'\n');
            m_pendingBreaks = 0;
            m_value.append(item);
            return;
        }
        readKeyLine(trimmedLine);
    }

    QMap<QString, QString> finish()
    {
        store();
        return std::move(m_map);
    }

private:
    void readKeyLine(QStringView line)
    {
        const qsizetype colon = line.indexOf(u':');
        if (colon < 0)
            return;
        const QStringView key = trimBlank(line.first(colon));
        if (key.isEmpty() || key.front() == u'-')
            return;
        const QStringView value = trimBlank(line.sliced(colon + 1));
        // The same key again overwrites its value anyway, so it is stored only once.
        if (!m_hasKey || key != m_key) {
            store();
            m_key = key.toString();
            m_hasKey = true;
        }
        m_blockMode = value.isEmpty() || value == u"|" || value == u">";
        m_value.truncate(0); // keeps the buffer for the next value
        m_pendingBreaks = 0;
        if (!m_blockMode)
            m_value.append(value);
    }

    // A key's value is stored when the next key begins and after the last line,
    // not at every unindented line: nothing reads the map in between, and storing
    // a long value once per stray line would copy it over and over.
    void store()
    {
        if (m_hasKey)
            m_map.insert(m_key, trimSpaceAndBreaks(m_value).toString());
    }

    QMap<QString, QString> m_map;
    QString m_key;
    QString m_value;
    qsizetype m_pendingBreaks = 0; // blank lines in block mode not yet added to m_value
    bool m_hasKey = false;
    bool m_blockMode = false;
};

} // namespace

ParsedSkill FrontmatterParser::parseFrontmatter(const QString &text)
{
    ParsedSkill result;
    Lines lines(text);
    QStringView line;
    if (!lines.next(line) || trimBlank(line) != u"---") {
        result.content = text;
        return result;
    }

    KeyReader keys;
    bool closed = false;
    while (!closed && lines.next(line)) {
        const QStringView trimmedLine = trimBlank(line);
        if (trimmedLine == u"---")
            closed = true;
        else
            keys.read(line, trimmedLine);
    }
    if (!closed) {
        result.content = text;
        return result;
    }

    result.frontmatter = keys.finish();
    result.content = trimSpaceAndBreaks(QStringView(text).sliced(lines.position())).toString();
    result.name = result.frontmatter.value(u"name"_s);
    result.description = result.frontmatter.value(u"description"_s);
    return result;
}

ParsedSkill FrontmatterParser::parseHeadingSkill(const QString &text)
{
    ParsedSkill result;
    result.content = text;
    Lines lines(text);
    QStringView line;
    while (lines.next(line)) {
        if (line.startsWith(u"# ")) {
            result.name = trimBlank(line.sliced(2)).toString();
            break;
        }
    }
    return result;
}

ParsedSkill FrontmatterParser::parse(const QString &text, ParseStyle style)
{
    switch (style) {
    case ParseStyle::Frontmatter:
        return parseFrontmatter(text);
    case ParseStyle::Heading:
        return parseHeadingSkill(text);
    case ParseStyle::FrontmatterThenHeading: {
        ParsedSkill parsed = parseFrontmatter(text);
        return parsed.name.isEmpty() ? parseHeadingSkill(text) : parsed;
    }
    case ParseStyle::TomlCommand:
        return TomlCommandReader::parse(text);
    }
    return parseFrontmatter(text);
}
