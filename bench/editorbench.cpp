// The skill editor on a 20,000-line skill file: a keystroke in a body line
// (highlighting and the modified check), a keystroke that opens a code fence
// near the top, and opening the file; each beside one whole-text pass over
// the same text.

#include "markdownhighlighter.h"
#include "markdownreference.h"
#include "seededrandom.h"
#include "skill.h"
#include "skilleditorview.h"
#include "skillfile.h"
#include "skilltextmaker.h"
#include "stopwatch.h"
#include "tablereporter.h"

#include <QCoreApplication>
#include <QPlainTextEdit>
#include <QTemporaryDir>
#include <QTextBlock>
#include <QTextCursor>

#include <benchmark/benchmark.h>

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

// The skill's file on disk, written once.
struct SkillOnDisk
{
    QTemporaryDir dir;
    std::unique_ptr<Skill> skill;
    QString error;

    SkillOnDisk()
    {
        Skill::Seed seed;
        seed.filePath = dir.filePath(u"SKILL.md"_s);
        seed.name = u"long"_s;
        skill.reset(Skill::make(seed));
        if (!dir.isValid() || !SkillFile::save(seed.filePath, skillFile()))
            error = u"cannot write the skill file"_s;
    }
};

SkillOnDisk &onDisk()
{
    static SkillOnDisk made;
    return made;
}

struct Editor
{
    QString text = skillFile();
    std::unique_ptr<SkillEditorView> view;
    QString error;

    Editor()
    {
        error = onDisk().error;
        view = std::make_unique<SkillEditorView>(nullptr);
        view->resize(900, 700);
        view->show();
        QCoreApplication::processEvents();
    }

    QTextDocument *document() const { return view->textEdit()->document(); }

    // Reading the file and showing its first screens, highlighted; the rest
    // follows between events.
    void open() { view->setSkill(onDisk().skill.get()); }

    // Lets the editor show the rest of the file; then checks all of it.
    void finish()
    {
        while (view->isLoading())
            QCoreApplication::processEvents();
        if (document()->blockCount() != lineCount)
            error = u"the editor holds %1 lines, not %2"_s.arg(document()->blockCount())
                        .arg(lineCount);
        else if (document()->lastBlock().userState() < 0)
            error = u"the last line was never highlighted"_s;
    }

    // The first line at or after `from` that the pass leaves as plain text.
    int plainLine(int from) const
    {
        const std::vector<ReferenceStyle> styles = referenceHighlight(text);
        for (QTextBlock block = document()->findBlockByNumber(from); block.isValid();
             block = block.next()) {
            if (block.length() > 20 && block.text().at(0).isLetter()
                && styles[std::size_t(block.position())] == ReferenceStyle {})
                return block.blockNumber();
        }
        return -1;
    }

    QTextCursor cursorAt(int line, int column) const
    {
        QTextCursor cursor(document()->findBlockByNumber(line));
        cursor.setPosition(cursor.position() + column);
        return cursor;
    }
};

// Qt's own share of opening: the same text into a bare plain-text editor.
double unhighlightedOpenMs()
{
    QPlainTextEdit plain;
    plain.resize(900, 700);
    plain.show();
    QCoreApplication::processEvents();
    return millisecondsOf([&] { plain.setPlainText(skillFile()); });
}

double passMs(const QString &text)
{
    return millisecondsOf([&] { benchmark::DoNotOptimize(referenceHighlight(text)); });
}

void open(benchmark::State &state)
{
    double operationMs = 0;
    double floorMs = 0;
    double unhighlightedMs = 0;
    double fullMs = 0; // until the whole file is in, slices and events between them included
    for (auto _ : state) {
        Editor editor;
        const double ms = millisecondsOf([&] { editor.open(); });
        fullMs += ms + millisecondsOf([&] { editor.finish(); });
        unhighlightedMs += unhighlightedOpenMs();
        if (!editor.error.isEmpty()) {
            state.SkipWithError(qPrintable(editor.error));
            return;
        }
        floorMs += passMs(editor.text);
        operationMs += ms;
        state.SetIterationTime(ms / 1e3);
    }
    TableReporter::setFloor(state, operationMs, floorMs);
    TableReporter::setTimeGoal(state, 50);
    if (state.iterations() > 0) {
        state.counters["unhighlighted_ms"] = unhighlightedMs / double(state.iterations());
        state.counters["whole_file_ms"] = fullMs / double(state.iterations());
    }
}

// One letter typed in the middle of a body line half way down the file.
void keystroke(benchmark::State &state)
{
    Editor editor;
    editor.open();
    editor.finish();
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
        if (!editor.view->hasUnsavedChanges()) {
            state.SkipWithError("the keystroke did not mark the text modified");
            return;
        }
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
    editor.finish();
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
        const QTextBlock last = editor.document()->lastBlock();
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

BENCHMARK(open)->Name("editor/open")->Iterations(5)->Unit(benchmark::kMillisecond)->UseManualTime();
BENCHMARK(keystroke)
    ->Name("editor/keystroke")
    ->Iterations(50)
    ->Unit(benchmark::kMillisecond)
    ->UseManualTime();
BENCHMARK(fenceKeystroke)
    ->Name("editor/fence-keystroke")
    ->Iterations(10)
    ->Unit(benchmark::kMillisecond)
    ->UseManualTime();
