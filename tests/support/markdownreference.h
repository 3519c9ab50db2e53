#pragma once

// The whole-text markdown pass of the editor, transcribed step by step into
// one character style per UTF-16 code unit. Tests and the benchmark hold the
// incremental highlighter against it.

#include <QRegularExpression>
#include <QString>
#include <QStringList>

#include <array>
#include <vector>

struct ReferenceStyle
{
    int pointSize = 13; // the body font unless bold or a heading sets another
    bool bold = false;
    bool secondary = false; // foreground: secondary colour, else the body colour
    bool codeBackground = false; // background: the code colour, else none

    friend bool operator==(const ReferenceStyle &, const ReferenceStyle &) = default;
};

inline std::vector<ReferenceStyle> referenceHighlight(const QString &text)
{
    // (*ANY) makes every Unicode line end a newline, so the dot stops at CR,
    // VT, FF, U+0085, U+2028 and U+2029 as well as at LF.
    const QRegularExpression boldStars(QStringLiteral("(*ANY)\\*\\*(.+?)\\*\\*"));
    const QRegularExpression boldUnderscores(QStringLiteral("(*ANY)__(.+?)__"));
    const QRegularExpression inlineCode(QStringLiteral("(*ANY)`([^`]+)`"));
    constexpr std::array<int, 6> headingSizes = { 18, 16, 14, 13, 13, 13 };

    std::vector<ReferenceStyle> styles(std::size_t(text.size()));
    const auto apply = [&](qsizetype start, qsizetype length, auto &&change) {
        for (qsizetype i = start; i < start + length; ++i)
            change(styles[std::size_t(i)]);
    };
    const auto secondary = [](ReferenceStyle &s) { s.secondary = true; };
    const auto code = [](ReferenceStyle &s) { s.codeBackground = true; };
    const auto bold = [](ReferenceStyle &s) {
        s.bold = true;
        s.pointSize = 13;
    };

    const QStringList lines = text.split(u'\n');
    bool inFrontmatter = false;
    bool inCodeBlock = false;
    qsizetype lineStart = 0;
    for (qsizetype index = 0; index < lines.size(); ++index) {
        const QString &line = lines.at(index);
        const qsizetype length = line.size();
        qsizetype first = 0;
        qsizetype last = length;
        while (first < last && (line.at(first) == u' ' || line.at(first) == u'\t'))
            ++first;
        while (last > first && (line.at(last - 1) == u' ' || line.at(last - 1) == u'\t'))
            --last;
        const QString trimmed = line.mid(first, last - first);

        [&] {
            if (trimmed == QStringLiteral("---")) {
                if (index == 0) {
                    apply(lineStart, length, secondary);
                    inFrontmatter = true;
                    return;
                }
                if (inFrontmatter) {
                    apply(lineStart, length, secondary);
                    inFrontmatter = false;
                    return;
                }
            } else if (inFrontmatter) {
                apply(lineStart, length, secondary);
                return;
            }
            if (line.startsWith(QStringLiteral("```"))) {
                apply(lineStart, length, secondary);
                inCodeBlock = !inCodeBlock;
                return;
            }
            if (inCodeBlock) {
                apply(lineStart, length, code);
                return;
            }
            if (line.startsWith(u'#')) {
                qsizetype level = 0;
                while (level < length && line.at(level) == u'#')
                    ++level;
                if (level <= 6 && (level == length || line.at(level) == u' ')) {
                    apply(lineStart, length, [&](ReferenceStyle &s) {
                        s.bold = true;
                        s.pointSize = headingSizes[std::size_t(level - 1)];
                    });
                    return;
                }
            }
            // ICU takes an unpaired surrogate as a character; PCRE2 would
            // refuse the whole line, so it sees U+FFFD in its place.
            QString subject = line;
            for (qsizetype i = 0; i < subject.size(); ++i) {
                const bool paired = i + 1 < subject.size() && subject.at(i).isHighSurrogate()
                    && subject.at(i + 1).isLowSurrogate();
                if (paired)
                    ++i;
                else if (subject.at(i).isSurrogate())
                    subject[i] = QChar::ReplacementCharacter;
            }
            const auto each = [&](const QRegularExpression &pattern, auto &&change) {
                if (!pattern.isValid())
                    return;
                QRegularExpressionMatchIterator matches = pattern.globalMatch(subject);
                while (matches.hasNext()) {
                    const QRegularExpressionMatch match = matches.next();
                    apply(lineStart + match.capturedStart(), match.capturedLength(), change);
                }
            };
            each(boldStars, bold);
            each(boldUnderscores, bold);
            each(inlineCode, code);
        }();
        lineStart += length + 1;
    }
    return styles;
}
