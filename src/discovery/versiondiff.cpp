#include "versiondiff.h"

#include <dtl/dtl.hpp>

#include <algorithm>
#include <string>
#include <vector>

using namespace Qt::StringLiterals;

namespace {

// Lines keep their break, so a last line without one differs from the same
// line with one, as in any unified diff.
std::vector<std::string> splitLines(const QString &text)
{
    std::vector<std::string> lines;
    const QByteArray utf8 = text.toUtf8();
    qsizetype start = 0;
    while (start < utf8.size()) {
        qsizetype end = utf8.indexOf('\n', start);
        end = end < 0 ? utf8.size() : end + 1;
        lines.emplace_back(utf8.constData() + start, size_t(end - start));
        start = end;
    }
    return lines;
}

void addLine(QList<VersionDiff::Line> &out, VersionDiff::Line::Kind kind, const std::string &elem)
{
    QString text = QString::fromUtf8(elem.data(), qsizetype(elem.size()));
    const bool broken = text.endsWith(u'\n');
    if (broken)
        text.chop(1);
    out.append({ kind, text });
    if (!broken)
        out.append({ VersionDiff::Line::NoNewline, u"\\ No newline at end of file"_s });
}

using Token = std::pair<qsizetype, QString>; // where it starts, what it is

// Words and the runs of space and punctuation between them, so a changed
// word is marked alone.
std::vector<Token> tokens(const QString &line)
{
    std::vector<Token> out;
    qsizetype i = 0;
    while (i < line.size()) {
        const qsizetype start = i;
        if (line.at(i).isLetterOrNumber()) {
            while (i < line.size() && line.at(i).isLetterOrNumber())
                ++i;
        } else {
            ++i;
        }
        out.emplace_back(start, line.mid(start, i - start));
    }
    return out;
}

} // namespace

QList<VersionDiff::Line> VersionDiff::lines(const QString &before, const QString &after)
{
    QList<Line> out;
    if (before == after)
        return out;
    const std::vector<std::string> a = splitLines(before);
    const std::vector<std::string> b = splitLines(after);
    dtl::Diff<std::string> diff(a, b);
    diff.onHuge(); // bounded memory on long files; the result is still a diff
    diff.compose();
    diff.composeUnifiedHunks();
    for (const auto &hunk : diff.getUniHunks()) {
        // An empty range names the line before it, as patch expects.
        auto start = [](long long line, long long count) {
            return count == 0 ? std::max(0LL, line - 1) : line;
        };
        out.append({ Line::Hunk,
            u"@@ -%1,%2 +%3,%4 @@"_s.arg(start(hunk.a, hunk.b))
                .arg(hunk.b)
                .arg(start(hunk.c, hunk.d))
                .arg(hunk.d) });
        for (const auto &elem : hunk.common[0])
            addLine(out, Line::Context, elem.first);
        for (const auto &elem : hunk.change) {
            const Line::Kind kind = elem.second.type == dtl::SES_ADD ? Line::Added
                : elem.second.type == dtl::SES_DELETE                ? Line::Removed
                                                                     : Line::Context;
            addLine(out, kind, elem.first);
        }
        for (const auto &elem : hunk.common[1])
            addLine(out, Line::Context, elem.first);
    }
    return out;
}

QString VersionDiff::unified(const QString &before, const QString &after,
    const QString &beforeLabel, const QString &afterLabel)
{
    const QList<Line> diff = lines(before, after);
    if (diff.isEmpty())
        return {};
    QString out = u"--- %1\n+++ %2\n"_s.arg(beforeLabel, afterLabel);
    for (const Line &line : diff) {
        switch (line.kind) {
        case Line::Hunk:
        case Line::NoNewline:
            break;
        case Line::Context:
            out += u' ';
            break;
        case Line::Removed:
            out += u'-';
            break;
        case Line::Added:
            out += u'+';
            break;
        }
        out += line.text;
        out += u'\n';
    }
    return out;
}

std::pair<QList<VersionDiff::Span>, QList<VersionDiff::Span>> VersionDiff::changedWords(
    const QString &before, const QString &after)
{
    const std::vector<Token> a = tokens(before);
    const std::vector<Token> b = tokens(after);
    std::vector<QString> aWords;
    std::vector<QString> bWords;
    for (const Token &token : a)
        aWords.push_back(token.second);
    for (const Token &token : b)
        bWords.push_back(token.second);
    dtl::Diff<QString> diff(aWords, bWords);
    diff.compose();

    std::pair<QList<Span>, QList<Span>> spans;
    auto mark = [](QList<Span> &out, const Token &token) {
        const qsizetype length = token.second.size();
        if (!out.isEmpty() && out.last().start + out.last().length == token.first)
            out.last().length += length; // one mark for neighbouring words
        else
            out.append({ token.first, length });
    };
    for (const auto &elem : diff.getSes().getSequence()) {
        if (elem.second.type == dtl::SES_DELETE)
            mark(spans.first, a[size_t(elem.second.beforeIdx - 1)]);
        else if (elem.second.type == dtl::SES_ADD)
            mark(spans.second, b[size_t(elem.second.afterIdx - 1)]);
    }
    return spans;
}
