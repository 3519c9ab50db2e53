#pragma once

#include <QColor>
#include <QFont>
#include <QSyntaxHighlighter>
#include <QTextCharFormat>

#include <array>
#include <optional>

class QPalette;

// Markdown styling for the skill editor: frontmatter and fence lines in the
// secondary colour, code blocks and inline code on the code background,
// headings "#" to "######" in their bold sizes, "**…**" and "__…__" bold.
//
// Contract with the editor: the body font and the body colour are the
// document's own defaults (QTextDocument::setDefaultFont and the widget's
// palette), set by the editor; the highlighter only adds what goes on top of
// them, so characters it leaves alone carry no format at all.
//
// A line's styling depends only on its text, on whether it is the first line
// and on two flags carried from the line before (inside the frontmatter,
// inside a code block). Those flags live in each block's user state, so an
// edit re-highlights the edited blocks and then only the following blocks
// whose incoming flags changed: typing in a body line costs one block,
// opening a fence restyles everything below it.
//
// Lines are the document's blocks. QTextDocument cannot hold a carriage
// return (it makes CR, CR LF and U+2029 block breaks). An editor that shows a
// CR LF file with plain line breaks says so with setCrLfLineEnds(), and one
// that keeps a stray CR as a stand-in character names it with
// setCarriageReturnStandIn(); either way the highlighter styles the text as
// it is on disk, so "---" followed by a CR does not open the frontmatter.
class MarkdownHighlighter final : public QSyntaxHighlighter
{
    Q_OBJECT

public:
    // The fonts and colours the highlighter adds; the body font itself is the
    // document's. Follow a palette change with setTheme(Theme::fromPalette(…)).
    struct Theme
    {
        QFont boldFont;
        std::array<QFont, 6> headingFonts; // level 1 to 6
        QColor secondary; // frontmatter and fence lines
        QColor codeBackground; // code blocks and inline code

        // The system's fixed-pitch font at 13 pt and colours derived from the
        // palette's text colour, so light and dark both read well.
        // pointScale multiplies every size, e.g. to read them as pixels.
        static Theme fromPalette(const QPalette &palette, qreal pointScale = 1.0);
        // The body font the editor should set as the document's default.
        static QFont bodyFont(qreal pointScale = 1.0);
    };

    // Highlights `document` with a theme from QGuiApplication::palette().
    explicit MarkdownHighlighter(QTextDocument *document);

    const Theme &theme() const { return m_theme; }
    // Restyles the whole document.
    void setTheme(const Theme &theme);

    std::optional<QChar> carriageReturnStandIn() const { return m_crStandIn; }
    // Restyles the whole document; empty for none (the default).
    void setCarriageReturnStandIn(std::optional<QChar> standIn);

    bool crLfLineEnds() const { return m_crLfLineEnds; }
    // Every line but the last ends with a CR on disk; restyles the whole document.
    void setCrLfLineEnds(bool crLf);

protected:
    void highlightBlock(const QString &text) override;

private:
    void buildFormats();
    void highlightInline(const QString &line);

    Theme m_theme;
    std::optional<QChar> m_crStandIn;
    bool m_crLfLineEnds = false;
    QTextCharFormat m_secondaryFormat;
    QTextCharFormat m_codeBlockFormat;
    std::array<QTextCharFormat, 6> m_headingFormats;
    // Inline spans by kind: 1 bold, 2 code, 3 both.
    std::array<QTextCharFormat, 4> m_inlineFormats;
};
