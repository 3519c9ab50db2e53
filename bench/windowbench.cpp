// The main window over a full store: how soon it first shows its list, and
// how long a letter typed into the search field takes to reach the screen.

#include "appstate.h"
#include "benchcorpus.h"
#include "contentview.h"
#include "discoverysession.h"
#include "modelcontext.h"
#include "scannedstore.h"
#include "settingsstore.h"
#include "skillfiltermodel.h"
#include "skillhealth.h"
#include "skilllistview.h"
#include "stopwatch.h"
#include "tablereporter.h"

#include <QCoreApplication>
#include <QDeadlineTimer>
#include <QEvent>
#include <QFile>
#include <QLineEdit>
#include <QListView>
#include <QTemporaryDir>
#include <QTest>

#include <benchmark/benchmark.h>

#include <algorithm>
#include <functional>
#include <memory>

using namespace Qt::StringLiterals;

namespace {

// In the corpus, in a few hundred skills; typed a letter at a time.
const QString query = u"deploy"_s;

// Longer than any step takes; a step that runs out is reported as an error,
// never timed as if it had finished.
constexpr int stepTimeoutMs = 30'000;

// A store filled by one scan of the corpus, and a home with no tool folders:
// the window's own first scan then finds nothing and changes nothing, so
// neither measure times a scan.
struct WindowSetup
{
    std::unique_ptr<ScannedStore> store;
    QTemporaryDir emptyHome;
    std::unique_ptr<SettingsStore> settings;
    int skills = 0;
    QString error;
};

WindowSetup &setup()
{
    static WindowSetup made = [] {
        WindowSetup s;
        const auto corpus = BenchCorpus::fromEnvironment(&s.error);
        if (!corpus)
            return s;
        s.skills = corpus->skills();
        s.store = std::make_unique<ScannedStore>(*corpus);
        s.error = s.store->error();
        if (!s.error.isEmpty())
            return s;
        s.store->close();
        if (!s.emptyHome.isValid()) {
            s.error = u"cannot make an empty home: %1"_s.arg(s.emptyHome.errorString());
            return s;
        }
        qputenv("HOME", QFile::encodeName(s.emptyHome.path()));
        // No scan directories either: the store's own settings list the corpus's.
        s.settings = std::make_unique<SettingsStore>(s.emptyHome.filePath(u"Quire.conf"_s));
        return s;
    }();
    return made;
}

// Counts the paint events a widget receives.
class PaintCounter final : public QObject
{
public:
    explicit PaintCounter(QWidget *widget) { widget->installEventFilter(this); }
    int count() const { return m_count; }

protected:
    bool eventFilter(QObject *, QEvent *event) override
    {
        if (event->type() == QEvent::Paint)
            ++m_count;
        return false;
    }

private:
    int m_count = 0;
};

bool processEventsUntil(const std::function<bool()> &done)
{
    const QDeadlineTimer deadline(stepTimeoutMs);
    while (!done()) {
        if (deadline.hasExpired())
            return false;
        QCoreApplication::processEvents(QEventLoop::AllEvents);
    }
    return true;
}

// One window as the application opens it, over its own store connection.
struct OpenWindow
{
    std::unique_ptr<ModelContext> context;
    std::unique_ptr<AppState> state;
    std::unique_ptr<ContentView> window; // declared last: it goes first
    std::unique_ptr<PaintCounter> listPaints;
    bool scanned = false;
    QString error;

    SkillListView *listView() const { return window->findChild<SkillListView *>(); }
    int rows() const { return listView()->filterModel()->rowCount(); }

    // Opens the store, builds and shows the window, and returns once the
    // list has been drawn.
    void show(const QString &storePath, SettingsStore *settings)
    {
        auto opened = ModelContext::open(storePath);
        if (!opened) {
            error = opened.error().message;
            return;
        }
        context = std::move(opened.value());
        state = std::make_unique<AppState>();
        window = std::make_unique<ContentView>(state.get(), context.get(), settings, nullptr);
        listPaints = std::make_unique<PaintCounter>(listView()->list()->viewport());
        QObject::connect(window->discovery(), &DiscoverySession::scanFinished, window.get(),
            [this] { scanned = true; });
        window->show();
        if (!processEventsUntil([this] { return listPaints->count() > 0; }))
            error = u"the window never drew its list"_s;
    }

    // The window's first scan, queued on show; runs outside any timing.
    void settle()
    {
        if (error.isEmpty() && !processEventsUntil([this] { return scanned; }))
            error = u"the window's first scan never finished"_s;
    }

    // Types one letter and returns once the list has been drawn again.
    void type(QChar letter)
    {
        const int before = listPaints->count();
        QTest::keyClick(window->searchField(), char(letter.toLatin1()));
        if (!processEventsUntil([&] { return listPaints->count() > before; }))
            error = u"the list was not drawn again after a keystroke"_s;
    }

    void clearSearch()
    {
        const int before = listPaints->count();
        window->searchField()->clear();
        if (!processEventsUntil([&] { return listPaints->count() > before; }))
            error = u"the list was not drawn again after clearing the search"_s;
    }

    void close()
    {
        listPaints.reset();
        window.reset();
        state.reset();
        context.reset();
    }
};

// Opening the store through the first drawn frame of a window over it.
void startup(benchmark::State &state)
{
    WindowSetup &s = setup();
    if (!s.error.isEmpty()) {
        state.SkipWithError(qPrintable(s.error));
        return;
    }
    const QString path = s.store->storePath();
    const auto once = [&](OpenWindow &window) {
        const double ms = millisecondsOf([&] { window.show(path, s.settings.get()); });
        window.settle();
        if (window.error.isEmpty() && window.rows() != s.skills)
            window.error = u"the window lists %1 of %2 skills"_s.arg(window.rows()).arg(s.skills);
        window.close();
        return ms;
    };

    // The process's first window also loads fonts and the style; shown as
    // its own figure, not mixed into the mean.
    OpenWindow first;
    const double firstMs = once(first);
    if (!first.error.isEmpty()) {
        state.SkipWithError(qPrintable(first.error));
        return;
    }
    for (auto _ : state) {
        OpenWindow window;
        const double ms = once(window);
        if (!window.error.isEmpty()) {
            state.SkipWithError(qPrintable(window.error));
            return;
        }
        state.SetIterationTime(ms / 1e3);
    }
    TableReporter::setTimeGoal(state, 300);
    state.counters["first_window_ms"] = firstMs;
}

// The first letter typed into a new window, right after its first scan.
// With settled, typed once the window has been open a moment: the health
// check, done between events after the first scan, has finished.
void firstKeystroke(benchmark::State &state, bool settled)
{
    WindowSetup &s = setup();
    if (!s.error.isEmpty()) {
        state.SkipWithError(qPrintable(s.error));
        return;
    }
    double settleMs = 0;
    for (auto _ : state) {
        OpenWindow window;
        window.show(s.store->storePath(), s.settings.get());
        window.settle();
        if (settled) {
            settleMs += millisecondsOf([&] {
                if (!processEventsUntil(
                        [&] { return !window.window->discovery()->health()->isChecking(); }))
                    window.error = u"the health check never finished"_s;
            });
        }
        double ms = 0;
        if (window.error.isEmpty())
            ms = millisecondsOf([&] { window.type(query.front()); });
        const QString error = window.error;
        window.close();
        if (!error.isEmpty()) {
            state.SkipWithError(qPrintable(error));
            return;
        }
        state.SetIterationTime(ms / 1e3);
    }
    if (!settled || state.iterations() == 0)
        return;
    TableReporter::setTimeGoal(state, 5);
    state.counters["settle_ms"] = settleMs / double(state.iterations());
}

// Every letter of the query once the index exists; the time is per letter.
void keystroke(benchmark::State &state)
{
    WindowSetup &s = setup();
    if (!s.error.isEmpty()) {
        state.SkipWithError(qPrintable(s.error));
        return;
    }
    OpenWindow window;
    window.show(s.store->storePath(), s.settings.get());
    window.settle();
    // Reads the first bodies outside the timing.
    if (window.error.isEmpty())
        window.type(query.front());
    if (window.error.isEmpty())
        window.clearSearch();
    if (!window.error.isEmpty()) {
        state.SkipWithError(qPrintable(window.error));
        return;
    }

    double slowestMs = 0;
    double oneLetterMs = 0; // the widest search: the most rows to filter and draw
    int matches = 0;
    for (auto _ : state) {
        double totalMs = 0;
        for (qsizetype i = 0; i < query.size() && window.error.isEmpty(); ++i) {
            const double ms = millisecondsOf([&] { window.type(query.at(i)); });
            totalMs += ms;
            slowestMs = std::max(slowestMs, ms);
            if (i == 0)
                oneLetterMs += ms;
        }
        matches = window.error.isEmpty() ? window.rows() : 0;
        if (window.error.isEmpty() && window.window->searchField()->text() != query)
            window.error
                = u"the search field holds \"%1\""_s.arg(window.window->searchField()->text());
        if (window.error.isEmpty() && (matches == 0 || matches == s.skills))
            window.error
                = u"\"%1\" matched %2 of %3 skills"_s.arg(query).arg(matches).arg(s.skills);
        if (window.error.isEmpty())
            window.clearSearch();
        if (!window.error.isEmpty()) {
            state.SkipWithError(qPrintable(window.error));
            break;
        }
        state.SetIterationTime(totalMs / double(query.size()) / 1e3);
    }
    window.close();
    TableReporter::setTimeGoal(state, 5);
    state.counters["slowest_ms"] = slowestMs;
    if (state.iterations() > 0)
        state.counters["one_letter_ms"] = oneLetterMs / double(state.iterations());
    state.counters["matches"] = double(matches);
}

} // namespace

BENCHMARK(startup)
    ->Name("window/startup")
    ->Iterations(5)
    ->Unit(benchmark::kMillisecond)
    ->UseManualTime();
BENCHMARK_CAPTURE(firstKeystroke, now, false)
    ->Name("window/first-keystroke")
    ->Iterations(2)
    ->Unit(benchmark::kMillisecond)
    ->UseManualTime();
BENCHMARK_CAPTURE(firstKeystroke, settled, true)
    ->Name("window/first-keystroke-settled")
    ->Iterations(2)
    ->Unit(benchmark::kMillisecond)
    ->UseManualTime();
BENCHMARK(keystroke)
    ->Name("window/keystroke")
    ->Iterations(20)
    ->Unit(benchmark::kMillisecond)
    ->UseManualTime();
