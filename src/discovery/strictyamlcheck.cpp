#include "strictyamlcheck.h"

#include <QList>

using namespace Qt::StringLiterals;

namespace {

bool isBlank(QChar c)
{
    return c == u' ' || c == u'\t';
}

QStringView trimBlank(QStringView text)
{
    qsizetype begin = 0;
    qsizetype end = text.size();
    while (begin < end && isBlank(text[begin]))
        ++begin;
    while (end > begin && isBlank(text[end - 1]))
        --end;
    return text.sliced(begin, end - begin);
}

qsizetype indentOf(QStringView line)
{
    qsizetype n = 0;
    while (n < line.size() && isBlank(line[n]))
        ++n;
    return n;
}

// Where the key of a mapping line ends: the first colon followed by a blank
// or the end of the line. A colon inside a word ("https://") is no indicator.
qsizetype mappingColon(QStringView line)
{
    for (qsizetype i = 0; i < line.size(); ++i) {
        if (line[i] == u':' && (i + 1 == line.size() || isBlank(line[i + 1])))
            return i;
    }
    return -1;
}

// A plain value without its comment: " #" starts one, as does a leading "#".
QStringView withoutComment(QStringView value)
{
    if (value.startsWith(u'#'))
        return {};
    for (qsizetype i = 1; i < value.size(); ++i) {
        if (value[i] == u'#' && isBlank(value[i - 1]))
            return trimBlank(value.first(i));
    }
    return value;
}

// Whether a quoted value ends on its own line; if not, the lines that follow
// are its text, not keys or values to judge.
bool closesOnLine(QStringView value)
{
    const QChar quote = value.front();
    if (quote == u'\'') {
        // Inside single quotes a quote is written twice; an odd count closes.
        return value.count(u'\'') % 2 == 0;
    }
    for (qsizetype i = 1; i < value.size(); ++i) {
        if (value[i] == u'\\')
            ++i;
        else if (value[i] == u'"')
            return true;
    }
    return false;
}

} // namespace

std::optional<StrictYamlCheck::Trouble> StrictYamlCheck::firstTrouble(QStringView text)
{
    const QList<QStringView> lines = text.split(u'\n');
    if (lines.isEmpty() || trimBlank(lines.first()) != u"---")
        return std::nullopt;
    // A block that never closes is no frontmatter to any reader: the whole file is body.
    qsizetype end = 1;
    while (end < lines.size() && trimBlank(lines.at(end)) != u"---")
        ++end;
    if (end == lines.size())
        return std::nullopt;
    qsizetype skipDeeperThan = -1; // block scalars, open quotes and flows: their text
    qsizetype plainIndent = -1; // the indent of the key whose plain value may go on
    QString plainKey;
    for (qsizetype i = 1; i < end; ++i) {
        const QStringView line = lines.at(i);
        const QStringView trimmed = trimBlank(line);
        if (trimmed.isEmpty() || trimmed.startsWith(u'#'))
            continue;
        const qsizetype indent = indentOf(line);
        if (skipDeeperThan >= 0 && indent > skipDeeperThan)
            continue;
        skipDeeperThan = -1;
        if (plainIndent >= 0 && indent > plainIndent) {
            // A deeper line goes on with the plain value above: the same rule holds.
            const QStringView rest = withoutComment(trimmed);
            if (mappingColon(rest) >= 0)
                return Trouble { Kind::ColonInValue, plainKey, rest.toString(), {} };
            continue;
        }
        plainIndent = -1;
        if (trimmed.startsWith(u"- ") || trimmed == u"-") {
            // List items hold maps or values of their own; they are rare in
            // frontmatter, so they are left alone rather than half judged.
            skipDeeperThan = indent;
            continue;
        }
        const qsizetype colon = mappingColon(trimmed);
        if (colon < 0)
            continue;
        const QStringView key = trimBlank(trimmed.first(colon));
        const QStringView value = withoutComment(trimBlank(trimmed.sliced(colon + 1)));
        if (value.isEmpty())
            continue; // a nested map follows, whose lines are keys again
        const QChar first = value.front();
        if (first == u'"' || first == u'\'') {
            if (!closesOnLine(value))
                skipDeeperThan = indent;
            continue;
        }
        if (first == u'|' || first == u'>' || first == u'{' || first == u'[' || first == u'&'
            || first == u'*' || first == u'!') {
            skipDeeperThan = indent;
            continue;
        }
        if (first == u'@' || first == u'`' || first == u'%')
            return Trouble { Kind::ReservedStart, key.toString(), value.toString(), first };
        if (mappingColon(value) >= 0)
            return Trouble { Kind::ColonInValue, key.toString(), value.toString(), {} };
        plainIndent = indent;
        plainKey = key.toString();
    }
    return std::nullopt;
}

QString StrictYamlCheck::doubleQuoted(const QString &value)
{
    QString out = value;
    out.replace(u'\\', u"\\\\"_s).replace(u'"', u"\\\""_s);
    return u'"' + out + u'"';
}
