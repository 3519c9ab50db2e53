// The editor's markdown highlighter on a 20,000-line skill file: a keystroke
// in a body line, a keystroke that opens a code fence near the top, and
// opening the file; each beside one whole-text pass over the same text.

#include "markdownhighlighter.h"
#include "markdownreference.h"
#include "seededrandom.h"
#include "skilltextmaker.h"
#include "stopwatch.h"
#include "tablereporter.h"

#include <benchmark/benchmark.h>

#include <QCoreApplication>
#include <QPlainTextEdit>
#include <QTextBlock>
#include <QTextCursor>

#include <memory>

using namespace Qt::StringLiterals;

namespace {

constexpr int lineCount = 20'000;

// Frontmatter, then generated bodies (headings, lists, tables, fences, bold
// and inline code, some emoji) until the file has exactly lineCount lines.
QString makeSkillFile()
{
    SeededRandom random(1);
    SkillTextMaker maker(random);
    const int topic = maker.pickTopic();
    QByteArray text = "---\nname: " + maker.slug(topic) + "\ndescription: "
        + maker.sentence(topic, false, 8, 16) + "\nallowed-tools: Bash, Read, Edit\n---\n\n";
    qsizetype lines = text.count('\n');
    while (lines < lineCount) {
        const QByteArray body = maker.markdown(topic, true, 16 * 1024, true) + '\n';
        lines += body.count('\n');
        text += body;
    }
    qsizetype end = -1;
    for (int i = 0; i < lineCount; ++i)
        end = text.indexOf('\n', end + 1);
    text.truncate(end);
    return QString::fromUtf8(text);
}

const QString &skillFile()
{
    static const QString made = makeSkillFile();
    return made;
}

struct Editor
{
    QString text = skillFile();
    std::unique_ptr<QPlainTextEdit> view;
    MarkdownHighlighter *highlighter = nullptr;
    QString error;

    explicit Editor(bool highlighted = true)
    {
        view = std::make_unique<QPlainTextEdit>();
        view->document()->setDefaultFont(MarkdownHighlighter::Theme::bodyFont());
        if (highlighted)
            highlighter = new MarkdownHighlighter(view->document());
        view->resize(900, 700);
        view->show();
        QCoreApplication::processEvents();
    }

    // Opening through the highlighter, which runs inside setPlainText.
    void open()
    {
        view->setPlainText(text);
        const QTextDocument *document = view->document();
        if (document->blockCount() != lineCount)
            error = u"the editor holds %1 lines, not %2"_s.arg(document->blockCount()).arg(lineCount);
        else if (highlighter && document->lastBlock().userState() < 0)
            error = u"the last line was never highlighted"_s;
    }

    // The first line at or after `from` that the pass leaves as plain text.
    int plainLine(int from) const
    {
        const std::vector<ReferenceStyle> styles = referenceHighlight(text);
        for (QTextBlock block = view->document()->findBlockByNumber(from); block.isValid();
             block = block.next()) {
            if (block.length() > 20 && block.text().at(0).isLetter()
                && styles[std::size_t(block.position())] == ReferenceStyle {})
                return block.blockNumber();
        }
        return -1;
    }

    QTextCursor cursorAt(int line, int column) const
    {
        QTextCursor cursor(view->document()->findBlockByNumber(line));
        cursor.setPosition(cursor.position() + column);
        return cursor;
    }
};

double passMs(const QString &text)
{
    return millisecondsOf([&] { benchmark::DoNotOptimize(referenceHighlight(text)); });
}

void open(benchmark::State &state)
{
    double operationMs = 0;
    double floorMs = 0;
    double unhighlightedMs = 0;
    for (auto _ : state) {
        Editor editor;
        const double ms = millisecondsOf([&] { editor.open(); });
        Editor plain(false);
        unhighlightedMs += millisecondsOf([&] { plain.open(); });
        if (!editor.error.isEmpty() || !plain.error.isEmpty()) {
            state.SkipWithError(qPrintable(editor.error + plain.error));
            return;
        }
        floorMs += passMs(editor.text);
        operationMs += ms;
        state.SetIterationTime(ms / 1e3);
    }
    TableReporter::setFloor(state, operationMs, floorMs);
    TableReporter::setTimeGoal(state, 50);
    // The same text into an editor without the highlighter: Qt's own share.
    if (state.iterations() > 0)
        state.counters["unhighlighted_ms"] = unhighlightedMs / double(state.iterations());
}

// One letter typed in the middle of a body line half way down the file.
void keystroke(benchmark::State &state)
{
    Editor editor;
    editor.open();
    const int line = editor.plainLine(lineCount / 2);
    if (editor.error.isEmpty() && line < 0)
        editor.error = u"no plain body line below the middle"_s;
    if (!editor.error.isEmpty()) {
        state.SkipWithError(qPrintable(editor.error));
        return;
    }
    double operationMs = 0;
    double floorMs = 0;
    for (auto _ : state) {
        QTextCursor cursor = editor.cursorAt(line, 10);
        const double ms = millisecondsOf([&] { cursor.insertText(u"x"_s); });
        cursor.deletePreviousChar();
        floorMs += passMs(editor.text);
        operationMs += ms;
        state.SetIterationTime(ms / 1e3);
    }
    TableReporter::setFloor(state, operationMs, floorMs);
    TableReporter::setTimeGoal(state, 1);
}

// The worst case: a third backtick at the start of a line near the top opens
// a fence, and every line below changes state; the next keystroke closes it.
// It should cost no more than opening the file.
void fenceKeystroke(benchmark::State &state)
{
    Editor editor;
    editor.open();
    const int line = editor.plainLine(8);
    if (editor.error.isEmpty() && line < 0)
        editor.error = u"no plain body line near the top"_s;
    if (!editor.error.isEmpty()) {
        state.SkipWithError(qPrintable(editor.error));
        return;
    }
    editor.cursorAt(line, 0).insertText(u"``"_s);
    double operationMs = 0;
    double floorMs = 0;
    double closeMs = 0;
    for (auto _ : state) {
        QTextCursor cursor = editor.cursorAt(line, 0);
        const QTextBlock last = editor.view->document()->lastBlock();
        const int lastState = last.userState();
        const double ms = millisecondsOf([&] { cursor.insertText(u"`"_s); });
        if (last.userState() == lastState) {
            state.SkipWithError("the new fence did not reach the last line");
            return;
        }
        closeMs += millisecondsOf([&] { cursor.deletePreviousChar(); });
        floorMs += passMs(editor.text);
        operationMs += ms;
        state.SetIterationTime(ms / 1e3);
    }
    TableReporter::setFloor(state, operationMs, floorMs);
    TableReporter::setTimeGoal(state, 50);
    if (state.iterations() > 0)
        state.counters["close_ms"] = closeMs / double(state.iterations());
}

} // namespace

BENCHMARK(open)->Name("highlight/open")->Iterations(5)->Unit(benchmark::kMillisecond)->UseManualTime();
BENCHMARK(keystroke)->Name("highlight/keystroke")->Iterations(50)->Unit(benchmark::kMillisecond)->UseManualTime();
BENCHMARK(fenceKeystroke)
    ->Name("highlight/fence-keystroke")
    ->Iterations(10)
    ->Unit(benchmark::kMillisecond)
    ->UseManualTime();
