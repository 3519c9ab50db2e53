#pragma once

#include "markdownhighlighter.h"
#include "markdownreference.h"

#include <QTextBlock>
#include <QTextDocument>
#include <QTextLayout>

#include <optional>
#include <vector>

// What the editor's highlighter left in a document, in the terms of the
// whole-text reference pass, for the tests and the fuzz target that hold one
// against the other. Header only: its users link the views, the support
// library does not.
namespace highlightedstyles {

// How the editor keeps carriage returns, which QTextDocument turns into breaks.
inline constexpr QChar crStandIn = QChar(0x240D);

inline QString toDocument(QString text)
{
    return text.replace(u'\r', crStandIn);
}

inline QString fromDocument(const QTextDocument &document)
{
    QString text = document.toRawText();
    text.replace(QChar::ParagraphSeparator, u'\n');
    return text.replace(crStandIn, u'\r');
}

// A colour that is not the theme's, or a format that adds nothing, has a
// point size of -1, so it never equals a style of the pass.
inline ReferenceStyle styleOf(
    const QTextCharFormat &format, const MarkdownHighlighter::Theme &theme)
{
    ReferenceStyle style;
    if (format.hasProperty(QTextFormat::FontPointSize))
        style.pointSize = qRound(format.fontPointSize());
    if (format.hasProperty(QTextFormat::FontWeight))
        style.bold = format.fontWeight() >= QFont::Bold;
    if (format.hasProperty(QTextFormat::ForegroundBrush))
        style.secondary = format.foreground().color() == theme.secondary;
    if (format.hasProperty(QTextFormat::BackgroundBrush))
        style.codeBackground = format.background().color() == theme.codeBackground;
    const bool unknownColour
        = (format.hasProperty(QTextFormat::ForegroundBrush) && !style.secondary)
        || (format.hasProperty(QTextFormat::BackgroundBrush) && !style.codeBackground);
    if (unknownColour || style == ReferenceStyle {})
        style.pointSize = -1;
    return style;
}

// One style per code unit, a plain one per block break; nothing when a
// format range reaches outside its block.
inline std::optional<std::vector<ReferenceStyle>> highlighted(
    const QTextDocument &document, const MarkdownHighlighter &highlighter)
{
    std::vector<ReferenceStyle> styles;
    for (QTextBlock block = document.begin(); block.isValid(); block = block.next()) {
        if (block != document.begin())
            styles.emplace_back();
        const std::size_t first = styles.size();
        styles.resize(first + std::size_t(block.length() - 1));
        const QList<QTextLayout::FormatRange> ranges = block.layout()->formats();
        for (const QTextLayout::FormatRange &range : ranges) {
            for (int i = range.start; i < range.start + range.length; ++i) {
                if (i < 0 || first + std::size_t(i) >= styles.size())
                    return std::nullopt;
                styles[first + std::size_t(i)] = styleOf(range.format, highlighter.theme());
            }
        }
    }
    return styles;
}

} // namespace highlightedstyles
