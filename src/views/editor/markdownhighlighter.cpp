#include "markdownhighlighter.h"

#include <QFontDatabase>
#include <QGuiApplication>
#include <QPalette>
#include <QRegularExpression>
#include <QTextBlock>
#include <QVarLengthArray>

#include <algorithm>

using namespace Qt::StringLiterals;

namespace {

// A block's user state: the flags the next line starts with, and whether
// this block is the first line, so that a block that becomes or stops being
// the first one counts as changed and its successor is looked at again.
enum BlockState : int {
    InFrontmatter = 1,
    InCodeBlock = 2,
    FirstLine = 4,
};

constexpr std::array<int, 6> headingPointSizes = { 18, 16, 14, 13, 13, 13 };
constexpr int bodyPointSize = 13;

enum InlineKind : quint8 { Bold = 1, Code = 2 };

// PCRE2's dot stops only at LF. The patterns were written for a dot that
// stops at every Unicode line end, and a line here may still hold a CR (CR LF
// files), VT, FF, U+0085 or U+2028: a bold span must not run across them.
QString anyInLine()
{
    return u"[^\\n\\x{0B}\\f\\r\\x{85}\\x{2028}\\x{2029}]"_s;
}

const QRegularExpression &boldStars()
{
    static const QRegularExpression re(u"\\*\\*("_s + anyInLine() + u"+?)\\*\\*"_s);
    return re;
}

const QRegularExpression &boldUnderscores()
{
    static const QRegularExpression re(u"__("_s + anyInLine() + u"+?)__"_s);
    return re;
}

const QRegularExpression &inlineCode()
{
    static const QRegularExpression re(u"`([^`]+)`"_s);
    return re;
}

// PCRE2 refuses a subject with an unpaired surrogate outright, where the
// patterns' own engine takes it as one more character; U+FFFD stands in for
// it, one code unit for one, so offsets still line up.
QString matchable(const QString &line)
{
    if (QStringView(line).isValidUtf16())
        return line;
    QString out = line;
    for (qsizetype i = 0; i < out.size(); ++i) {
        if (out.at(i).isHighSurrogate() && i + 1 < out.size() && out.at(i + 1).isLowSurrogate())
            ++i;
        else if (out.at(i).isSurrogate())
            out[i] = QChar::ReplacementCharacter;
    }
    return out;
}

bool isSpaceOrTab(QChar c)
{
    return c == u' ' || c == u'\t';
}

// "---" once spaces and tabs are taken off both ends; nothing else is trimmed.
bool isDashLine(QStringView line)
{
    qsizetype begin = 0;
    qsizetype end = line.size();
    while (begin < end && isSpaceOrTab(line.at(begin)))
        ++begin;
    while (end > begin && isSpaceOrTab(line.at(end - 1)))
        --end;
    return line.sliced(begin, end - begin) == u"---";
}

// 1 to 6 for a heading line, else 0: the hashes alone, or followed by a space.
int headingLevel(QStringView line)
{
    qsizetype level = 0;
    while (level < line.size() && line.at(level) == u'#')
        ++level;
    if (level == 0 || level > 6)
        return 0;
    return level == line.size() || line.at(level) == u' ' ? int(level) : 0;
}

} // namespace

QFont MarkdownHighlighter::Theme::bodyFont(qreal pointScale)
{
    QFont font = QFontDatabase::systemFont(QFontDatabase::FixedFont);
    font.setPointSizeF(bodyPointSize * pointScale);
    font.setWeight(QFont::Normal);
    return font;
}

MarkdownHighlighter::Theme MarkdownHighlighter::Theme::fromPalette(
    const QPalette &palette, qreal pointScale)
{
    Theme theme;
    const QFont body = bodyFont(pointScale);
    theme.boldFont = body;
    theme.boldFont.setWeight(QFont::Bold);
    for (std::size_t i = 0; i < headingPointSizes.size(); ++i) {
        theme.headingFonts[i] = theme.boldFont;
        theme.headingFonts[i].setPointSizeF(headingPointSizes[i] * pointScale);
    }
    theme.secondary = palette.color(QPalette::PlaceholderText);
    // A faint wash of the text colour: dark on light, light on dark.
    theme.codeBackground = palette.color(QPalette::Text);
    theme.codeBackground.setAlphaF(0.1f);
    return theme;
}

MarkdownHighlighter::MarkdownHighlighter(QTextDocument *document)
    : QSyntaxHighlighter(document), m_theme(Theme::fromPalette(QGuiApplication::palette()))
{
    buildFormats();
}

void MarkdownHighlighter::setTheme(const Theme &theme)
{
    m_theme = theme;
    buildFormats();
    rehighlight();
}

void MarkdownHighlighter::setCarriageReturnStandIn(std::optional<QChar> standIn)
{
    if (standIn == m_crStandIn)
        return;
    m_crStandIn = standIn;
    rehighlight();
}

void MarkdownHighlighter::setCrLfLineEnds(bool crLf)
{
    if (crLf == m_crLfLineEnds)
        return;
    m_crLfLineEnds = crLf;
    rehighlight();
}

void MarkdownHighlighter::buildFormats()
{
    m_secondaryFormat = {};
    m_secondaryFormat.setForeground(m_theme.secondary);
    m_codeBlockFormat = {};
    m_codeBlockFormat.setBackground(m_theme.codeBackground);
    for (std::size_t i = 0; i < m_headingFormats.size(); ++i) {
        m_headingFormats[i] = {};
        m_headingFormats[i].setFont(m_theme.headingFonts[i]);
    }
    m_inlineFormats = {};
    m_inlineFormats[Bold].setFont(m_theme.boldFont);
    m_inlineFormats[Code].setBackground(m_theme.codeBackground);
    m_inlineFormats[Bold | Code] = m_inlineFormats[Bold];
    m_inlineFormats[Bold | Code].setBackground(m_theme.codeBackground);
}

void MarkdownHighlighter::highlightBlock(const QString &text)
{
    const bool firstLine = !currentBlock().previous().isValid();
    const int incoming = firstLine ? 0 : std::max(previousBlockState(), 0);
    bool inFrontmatter = (incoming & InFrontmatter) != 0;
    bool inCodeBlock = (incoming & InCodeBlock) != 0;

    QString withCarriageReturns;
    if (m_crStandIn && text.contains(*m_crStandIn)) {
        withCarriageReturns = text;
        withCarriageReturns.replace(*m_crStandIn, u'\r');
    }
    // The line's CR is not in the block; styles that reach it are clipped.
    if (m_crLfLineEnds && currentBlock().next().isValid())
        withCarriageReturns = (withCarriageReturns.isNull() ? text : withCarriageReturns) + u'\r';
    const QString &line = withCarriageReturns.isNull() ? text : withCarriageReturns;
    const auto length = int(line.size());

    bool styled = false;
    if (isDashLine(line)) {
        // Only the very first line opens the frontmatter; a later "---"
        // closes it, or is an ordinary line outside it.
        if (firstLine || inFrontmatter) {
            setFormat(0, length, m_secondaryFormat);
            inFrontmatter = firstLine;
            styled = true;
        }
    } else if (inFrontmatter) {
        setFormat(0, length, m_secondaryFormat);
        styled = true;
    }
    if (!styled) {
        if (line.startsWith(u"```")) {
            setFormat(0, length, m_secondaryFormat);
            inCodeBlock = !inCodeBlock;
        } else if (inCodeBlock) {
            setFormat(0, length, m_codeBlockFormat);
        } else if (const int level = headingLevel(line); level > 0) {
            setFormat(0, length, m_headingFormats[std::size_t(level - 1)]);
        } else {
            highlightInline(line);
        }
    }

    setCurrentBlockState((inFrontmatter ? InFrontmatter : 0) | (inCodeBlock ? InCodeBlock : 0)
        | (firstLine ? FirstLine : 0));
}

// Spans add to each other: inline code inside a bold span keeps both.
void MarkdownHighlighter::highlightInline(const QString &line)
{
    const bool mayBold = line.contains(u"**") || line.contains(u"__");
    const bool mayCode = line.contains(u'`');
    if (!mayBold && !mayCode)
        return;

    const QString subject = matchable(line);
    QVarLengthArray<quint8, 256> kinds(line.size());
    std::fill(kinds.begin(), kinds.end(), quint8(0));
    const auto mark = [&](const QRegularExpression &pattern, quint8 kind) {
        QRegularExpressionMatchIterator matches = pattern.globalMatch(subject);
        while (matches.hasNext()) {
            const QRegularExpressionMatch match = matches.next();
            for (qsizetype i = match.capturedStart(); i < match.capturedEnd(); ++i)
                kinds[i] |= kind;
        }
    };
    if (mayBold) {
        mark(boldStars(), Bold);
        mark(boldUnderscores(), Bold);
    }
    if (mayCode)
        mark(inlineCode(), Code);

    qsizetype start = 0;
    while (start < kinds.size()) {
        qsizetype end = start + 1;
        while (end < kinds.size() && kinds[end] == kinds[start])
            ++end;
        if (kinds[start] != 0)
            setFormat(int(start), int(end - start), m_inlineFormats[kinds[start]]);
        start = end;
    }
}
