#include "highlightedstyles.h"
#include "markdownhighlighter.h"
#include "markdownreference.h"

#include <QPlainTextEdit>
#include <QRandomGenerator>
#include <QTest>
#include <QTextBlock>
#include <QTextCursor>
#include <QTextDocument>
#include <QTextLayout>

using namespace Qt::StringLiterals;
using namespace highlightedstyles;

namespace {

// One letter per code unit: '.' body, 's' secondary colour, 'k' code
// background, 'b' bold (and headings 4 to 6), 'B' bold on code background,
// '1' to '3' headings; '?' anything else, including a format that adds nothing.
QChar letterOf(const ReferenceStyle &s)
{
    if (s.pointSize == 13 && !s.bold && !s.secondary)
        return s.codeBackground ? u'k' : u'.';
    if (s.pointSize == 13 && !s.bold && s.secondary && !s.codeBackground)
        return u's';
    if (s.pointSize == 13 && s.bold && !s.secondary)
        return s.codeBackground ? u'B' : u'b';
    if (s.bold && !s.secondary && !s.codeBackground && s.pointSize > 13 && s.pointSize <= 18)
        return QChar(u'0' + (20 - s.pointSize) / 2);
    return u'?';
}

QString maskOf(const std::vector<ReferenceStyle> &styles)
{
    QString mask;
    for (const ReferenceStyle &s : styles)
        mask += letterOf(s);
    return mask;
}

// What the highlighter left in the layouts, with a plain line feed between blocks.
QString highlightedMask(const QTextDocument &document, const MarkdownHighlighter &highlighter)
{
    const auto styles = highlighted(document, highlighter);
    return styles ? maskOf(*styles) : u"range out of its block"_s;
}

QString escaped(const QString &text)
{
    QString out;
    for (const QChar c : text)
        out += c.unicode() < 0x20 || c.unicode() > 0x7e
            ? u"\\u%1"_s.arg(int(c.unicode()), 4, 16, QChar(u'0'))
            : QString(c);
    return out;
}

// Empty when the document's styling is the whole-text pass's over its text.
QString differenceFromPass(const QTextDocument &document, const MarkdownHighlighter &highlighter)
{
    const QString text = fromDocument(document);
    const QString expected = maskOf(referenceHighlight(text));
    const QString actual = highlightedMask(document, highlighter);
    if (actual == expected)
        return {};
    return u"text \"%1\"\n  pass        %2\n  highlighter %3"_s.arg(
        escaped(text), expected, actual);
}

// Markdown-significant pieces; random texts and edits are made of them.
const QStringList fragments = { u"---"_s, u"```"_s, u"#"_s, u"**"_s, u"__"_s, u"`"_s, u" "_s,
    u"\t"_s, u"\r"_s, u"\n"_s, u"x"_s, u"😀"_s, u"é"_s };

QString randomText(QRandomGenerator &random, int maxFragments)
{
    QString text;
    const int count = random.bounded(maxFragments + 1);
    for (int i = 0; i < count; ++i)
        text += fragments.at(random.bounded(int(fragments.size())));
    return text;
}

} // namespace

class MarkdownHighlighterTest final : public QObject
{
    Q_OBJECT

private slots:
    void matchesPass_data();
    void matchesPass();
    void followsRandomEdits();
    void themeChangeRestyles();
    void crLfFileMatchesPass();
};

void MarkdownHighlighterTest::matchesPass_data()
{
    QTest::addColumn<QString>("text");
    QTest::addColumn<QString>("mask");

    QTest::newRow("empty") << u""_s << u""_s;
    QTest::newRow("frontmatter closed") << u"---\nname: x\n---\n# T"_s << u"sss.sssssss.sss.111"_s;
    QTest::newRow("frontmatter unclosed") << u"---\na\n```\n# b"_s << u"sss.s.sss.sss"_s;
    QTest::newRow("frontmatter lines get nothing else")
        << u"---\n**a**\n---"_s << u"sss.sssss.sss"_s;
    QTest::newRow("dashes padded by spaces and tabs") << u" \t--- \na\n---"_s << u"ssssss.s.sss"_s;
    QTest::newRow("dashes and CR do not open") << u"---\r\na\r\n"_s << u"........"_s;
    QTest::newRow("CR LF body") << u"x\r\n**b**\r\n"_s << u"...bbbbb.."_s;
    QTest::newRow("later dashes are ordinary") << u"a\n---"_s << u"....."_s;
    QTest::newRow("dashes in a code block") << u"```\n---\n```"_s << u"sss.kkk.sss"_s;
    QTest::newRow("fence with language") << u"```bash\nls\n```\nx"_s << u"sssssss.kk.sss.."_s;
    QTest::newRow("fence in frontmatter opens nothing")
        << u"---\n```\n---\nx"_s << u"sss.sss.sss.."_s;
    QTest::newRow("fence unclosed") << u"```\n# a\n**b**"_s << u"sss.kkk.kkkkk"_s;
    QTest::newRow("fence must start the line") << u" ```\nx"_s << u"......"_s;
    QTest::newRow("hash and word") << u"#word"_s << u"....."_s;
    QTest::newRow("six hashes") << u"###### a"_s << u"bbbbbbbb"_s;
    QTest::newRow("seven hashes") << u"####### a"_s << u"........."_s;
    QTest::newRow("two hashes alone") << u"##"_s << u"22"_s;
    QTest::newRow("heading sizes") << u"# a\n## b\n### c"_s << u"111.2222.33333"_s;
    QTest::newRow("heading has no inline styling") << u"# **a** `b`"_s << u"11111111111"_s;
    QTest::newRow("bold then code") << u"**a** and `b`"_s << u"bbbbb.....kkk"_s;
    QTest::newRow("two bold spans") << u"**a** x **b**"_s << u"bbbbb...bbbbb"_s;
    QTest::newRow("five stars") << u"*****"_s << u"bbbbb"_s;
    QTest::newRow("unclosed stars") << u"**a b"_s << u"....."_s;
    QTest::newRow("unclosed backtick") << u"`a b"_s << u"...."_s;
    QTest::newRow("underscores") << u"__a__ b"_s << u"bbbbb.."_s;
    QTest::newRow("code inside bold keeps both") << u"**a `b` c**"_s << u"bbbbBBBbbbb"_s;
    QTest::newRow("emoji before bold") << u"😀 **a**\n**b**"_s << u"...bbbbb.bbbbb"_s;
    // The spans stop at every Unicode line end, not only at a line feed.
    QTest::newRow("CR stops bold") << u"**a\rb**"_s << u"......."_s;
    QTest::newRow("VT stops bold") << u"**a\vb**"_s << u"......."_s;
    QTest::newRow("FF stops bold") << u"__a\fb__"_s << u"......."_s;
    QTest::newRow("NEL stops bold") << u"**a\u0085b**"_s << u"......."_s;
    QTest::newRow("LS stops bold") << u"**a\u2028b**"_s << u"......."_s;
    QTest::newRow("CR inside inline code") << u"`a\rb`"_s << u"kkkkk"_s;
    QString unpaired = u"**a?b** x?`c`"_s;
    unpaired[3] = QChar(0xD800);
    unpaired[9] = QChar(0xDC00);
    QTest::newRow("unpaired surrogates") << unpaired << u"bbbbbbb...kkk"_s;
}

void MarkdownHighlighterTest::matchesPass()
{
    QFETCH(QString, text);
    QFETCH(QString, mask);
    QCOMPARE(maskOf(referenceHighlight(text)), mask);

    QTextDocument document;
    document.setPlainText(toDocument(text));
    MarkdownHighlighter highlighter(&document);
    highlighter.setCarriageReturnStandIn(crStandIn);
    QCOMPARE(highlightedMask(document, highlighter), mask);
}

// Edits restyle only blocks whose incoming state changed; after every edit
// the whole document must still read as a fresh pass over its text.
void MarkdownHighlighterTest::followsRandomEdits()
{
    QPlainTextEdit editor;
    QTextDocument &document = *editor.document();
    MarkdownHighlighter highlighter(&document);
    highlighter.setCarriageReturnStandIn(crStandIn);
    QRandomGenerator random(7);
    for (int round = 0; round < 150; ++round) {
        editor.setPlainText(toDocument(randomText(random, 40)));
        for (int edit = 0; edit < 30; ++edit) {
            const int length = document.characterCount() - 1;
            QTextCursor cursor(&document);
            cursor.setPosition(random.bounded(length + 1));
            const int kind = random.bounded(3); // insert, delete, replace
            if (kind > 0) {
                const int end = std::min(length, cursor.position() + random.bounded(1, 8));
                cursor.setPosition(end, QTextCursor::KeepAnchor);
            }
            if (kind == 1)
                cursor.removeSelectedText();
            else
                cursor.insertText(toDocument(randomText(random, 3)));
            const QString difference = differenceFromPass(document, highlighter);
            QVERIFY2(difference.isEmpty(), qPrintable(difference));
        }
    }
}

void MarkdownHighlighterTest::themeChangeRestyles()
{
    QTextDocument document;
    document.setPlainText(u"---\na\n---\n```\ncode"_s);
    MarkdownHighlighter highlighter(&document);
    highlighter.rehighlight();
    MarkdownHighlighter::Theme theme = highlighter.theme();
    theme.secondary = QColor(u"#123456"_s);
    theme.codeBackground = QColor(u"#654321"_s);
    highlighter.setTheme(theme);
    QCOMPARE(highlightedMask(document, highlighter), u"sss.s.sss.sss.kkkk"_s);
}

// A CR LF file is shown with plain line breaks; its styling must still be the
// pass's over the file, whose lines end in a CR.
void MarkdownHighlighterTest::crLfFileMatchesPass()
{
    QPlainTextEdit editor;
    MarkdownHighlighter highlighter(editor.document());
    highlighter.setCrLfLineEnds(true);
    QRandomGenerator random(12);
    for (int i = 0; i < 1000; ++i) {
        const QString text = randomText(random, 30).remove(u'\r');
        QString file = text;
        file.replace(u'\n', u"\r\n"_s);
        editor.setPlainText(text);
        // The pass's letters without those of the CRs before each line feed.
        const QString fileMask = maskOf(referenceHighlight(file));
        QString expected;
        for (qsizetype at = 0; at < file.size(); ++at) {
            if (!(file.at(at) == u'\r' && at + 1 < file.size() && file.at(at + 1) == u'\n'))
                expected += fileMask.at(at);
        }
        QCOMPARE(highlightedMask(*editor.document(), highlighter), expected);
    }
    // No frontmatter (its "---" ends in a CR); the last line has no CR, so "##" is a heading.
    editor.setPlainText(u"---\nname: x\n---\n##"_s);
    QCOMPARE(highlightedMask(*editor.document(), highlighter), u"................22"_s);
}

QTEST_MAIN(MarkdownHighlighterTest)
#include "tst_markdownhighlighter.moc"
