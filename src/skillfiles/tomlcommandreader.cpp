#include "tomlcommandreader.h"

#include <QStringView>

#include <optional>

using namespace Qt::StringLiterals;

namespace {

class Cursor final
{
public:
    explicit Cursor(QStringView text) : m_text(text) { }

    bool atEnd() const { return m_pos >= m_text.size(); }
    QChar peek(qsizetype ahead = 0) const
    {
        return m_pos + ahead < m_text.size() ? m_text[m_pos + ahead] : QChar();
    }
    bool startsWith(QStringView prefix) const { return m_text.sliced(m_pos).startsWith(prefix); }
    void skip(qsizetype count = 1) { m_pos = std::min(m_pos + count, m_text.size()); }

    void skipBlanks()
    {
        while (!atEnd() && (peek() == u' ' || peek() == u'\t'))
            skip();
    }
    void skipLine()
    {
        while (!atEnd() && peek() != u'\n')
            skip();
    }

    // A string value at the cursor, or nothing when there is none or it never ends.
    std::optional<QString> string()
    {
        if (startsWith(u"\"\"\""))
            return delimited(u"\"\"\"", true, true);
        if (startsWith(u"'''"))
            return delimited(u"'''", false, true);
        if (peek() == u'"')
            return delimited(u"\"", true, false);
        if (peek() == u'\'')
            return delimited(u"'", false, false);
        return std::nullopt;
    }

    // Skips a value that is not a string, arrays across lines included.
    void skipValue()
    {
        int depth = 0;
        while (!atEnd()) {
            const QChar c = peek();
            if (c == u'"' || c == u'\'') {
                if (!string())
                    return;
                continue;
            }
            if (c == u'[' || c == u'{')
                ++depth;
            else if (c == u']' || c == u'}')
                --depth;
            else if (c == u'#')
                skipLine();
            else if (c == u'\n' && depth <= 0)
                return;
            skip();
        }
    }

private:
    std::optional<QString> delimited(QStringView quote, bool escapes, bool multiLine)
    {
        skip(quote.size());
        // A line break right after an opening triple quote is not part of the text.
        if (multiLine && peek() == u'\n')
            skip();
        else if (multiLine && peek() == u'\r' && peek(1) == u'\n')
            skip(2);
        QString out;
        while (!atEnd()) {
            if (startsWith(quote)) {
                // Up to two quotes just before a closing triple belong to the text.
                qsizetype run = quote.size();
                while (multiLine && run < 5 && peek(run) == quote[0])
                    ++run;
                out.append(QString(run - quote.size(), quote[0]));
                skip(run);
                return out;
            }
            const QChar c = peek();
            if (!multiLine && c == u'\n')
                return std::nullopt;
            if (escapes && c == u'\\') {
                skip();
                if (!escape(out, multiLine))
                    return std::nullopt;
                continue;
            }
            out.append(c);
            skip();
        }
        return std::nullopt;
    }

    bool escape(QString &out, bool multiLine)
    {
        const QChar c = peek();
        skip();
        switch (c.unicode()) {
        case u'b':
            out.append(u'\b');
            return true;
        case u't':
            out.append(u'\t');
            return true;
        case u'n':
            out.append(u'\n');
            return true;
        case u'f':
            out.append(u'\f');
            return true;
        case u'r':
            out.append(u'\r');
            return true;
        case u'"':
        case u'\\':
            out.append(c);
            return true;
        case u'u':
            return codePoint(out, 4);
        case u'U':
            return codePoint(out, 8);
        default:
            break;
        }
        // A backslash ending a line joins it to the next, dropping the blanks between.
        if (multiLine && (c == u' ' || c == u'\t' || c == u'\r' || c == u'\n')) {
            while (!atEnd() && (peek().isSpace()))
                skip();
            return true;
        }
        return false;
    }

    bool codePoint(QString &out, int digits)
    {
        bool ok = false;
        const uint value = m_text.sliced(m_pos, std::min<qsizetype>(digits, m_text.size() - m_pos))
                               .toUInt(&ok, 16);
        if (!ok || m_pos + digits > m_text.size() || value > 0x10FFFF
            || (value >= 0xD800 && value <= 0xDFFF))
            return false;
        skip(digits);
        const char32_t point = value;
        out.append(QString::fromUcs4(&point, 1));
        return true;
    }

    QStringView m_text;
    qsizetype m_pos = 0;
};

QString bareKey(Cursor &cursor)
{
    QString key;
    while (!cursor.atEnd()) {
        const QChar c = cursor.peek();
        if (!(c.isLetterOrNumber() || c == u'_' || c == u'-') || c.unicode() > 0x7F)
            break;
        key.append(c);
        cursor.skip();
    }
    return key;
}

} // namespace

ParsedSkill TomlCommandReader::parse(const QString &text)
{
    ParsedSkill parsed;
    parsed.content = text;
    Cursor cursor(text);
    while (!cursor.atEnd()) {
        cursor.skipBlanks();
        const QChar c = cursor.peek();
        if (c == u'\n' || c == u'\r') {
            cursor.skip();
            continue;
        }
        if (c == u'#') {
            cursor.skipLine();
            continue;
        }
        if (c == u'[')
            break; // a table begins: the keys after it are not the command's own
        std::optional<QString> key = c == u'"' || c == u'\'' ? cursor.string() : bareKey(cursor);
        if (!key || key->isEmpty())
            break;
        cursor.skipBlanks();
        if (cursor.peek() != u'=') {
            cursor.skipValue(); // a dotted key: not the one wanted
            continue;
        }
        cursor.skip();
        cursor.skipBlanks();
        std::optional<QString> value = cursor.string();
        if (!value) {
            cursor.skipValue();
            continue;
        }
        if (*key == u"description")
            parsed.description = *value;
    }
    if (!parsed.description.isEmpty())
        parsed.frontmatter.insert(u"description"_s, parsed.description);
    return parsed;
}
