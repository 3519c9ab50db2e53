#include "fuzzinput.h"
#include "highlightedstyles.h"
#include "markdownhighlighter.h"
#include "markdownreference.h"

#include <QAbstractTextDocumentLayout>
#include <QGuiApplication>
#include <QTextBlock>
#include <QTextCursor>
#include <QTextDocument>
#include <QTextLayout>

using namespace Qt::StringLiterals;
using namespace highlightedstyles;

// The editor's block pass, held against the whole-text pass the tests use:
// once after loading the input, and again after one edit derived from it,
// which restyles only the blocks whose incoming state changed.

namespace {

// With crLf, the document shows a CR LF file with plain line breaks: the
// pass reads every line but the last with a CR at its end, whose style is
// not shown anywhere.
void checkAgainstPass(const QTextDocument &document, const MarkdownHighlighter &highlighter)
{
    const QString shown = fromDocument(document);
    if (!highlighter.crLfLineEnds()) {
        FUZZ_CHECK(highlighted(document, highlighter) == referenceHighlight(shown));
        return;
    }
    QString file;
    std::vector<bool> added;
    for (const QChar c : shown) {
        if (c == u'\n') {
            file += u'\r';
            added.push_back(true);
        }
        file += c;
        added.push_back(false);
    }
    const std::vector<ReferenceStyle> pass = referenceHighlight(file);
    std::vector<ReferenceStyle> expected;
    for (std::size_t i = 0; i < pass.size(); ++i) {
        if (!added[i])
            expected.push_back(pass[i]);
    }
    FUZZ_CHECK(highlighted(document, highlighter) == expected);
}

} // namespace

// Fontconfig keeps its caches until exit on purpose.
extern "C" const char *__lsan_default_suppressions()
{
    return "leak:libfontconfig\n";
}

extern "C" int LLVMFuzzerInitialize(int *argc, char ***argv)
{
    qputenv("QT_QPA_PLATFORM", "offscreen");
    // Never destroyed: at exit it would outlive the Qt globals it tears down.
    new QGuiApplication(*argc, *argv);
    return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size)
{
    QString text = fuzzinput::text(data, size);
    const QByteArray bytes = fuzzinput::bytes(data, size);
    const size_t hash = qHash(bytes, 20261209);
    QTextDocument document;
    document.documentLayout(); // without a layout the document announces no edits
    MarkdownHighlighter highlighter(&document);
    highlighter.setCarriageReturnStandIn(crStandIn);
    // Half the inputs are shown as a CR LF file would be, their CR LFs as plain breaks.
    if ((hash >> 40) & 1) {
        text.replace(u"\r\n"_s, u"\n"_s);
        highlighter.setCrLfLineEnds(true);
    }
    document.setPlainText(text.replace(u'\r', crStandIn));
    checkAgainstPass(document, highlighter);

    // One edit, chosen from the input so that a finding replays.
    const int length = document.characterCount() - 1;
    QTextCursor cursor(&document);
    cursor.setPosition(int(hash % size_t(length + 1)));
    const int removed = std::min(length - cursor.position(), int((hash >> 8) % 8));
    cursor.setPosition(cursor.position() + removed, QTextCursor::KeepAnchor);
    const qsizetype from = text.isEmpty() ? 0 : qsizetype((hash >> 16) % size_t(text.size()));
    cursor.insertText(text.mid(from, qsizetype((hash >> 32) % 12)));
    checkAgainstPass(document, highlighter);
    return 0;
}
