// The window's resident memory once its first scan has filled a new store
// with the whole corpus, and the store's size on disk against the corpus's.
// A process of its own: memory figures mean nothing after other rows ran.

#include "appstate.h"
#include "benchcorpus.h"
#include "contentview.h"
#include "discoverysession.h"
#include "modelcontext.h"
#include "settingsstore.h"
#include "skillhealth.h"
#include "stopwatch.h"
#include "tablereporter.h"

#include <QCoreApplication>
#include <QDeadlineTimer>
#include <QFile>
#include <QFileInfo>
#include <QTemporaryDir>

#include <benchmark/benchmark.h>

#include <memory>

using namespace Qt::StringLiterals;

namespace {

constexpr int stepTimeoutMs = 120'000;

// kB figures of /proc/self/status, in MB; 0 where there is no such file.
double statusMegabytes(const QByteArray &key)
{
    QFile status(u"/proc/self/status"_s);
    if (!status.open(QIODevice::ReadOnly))
        return 0;
    for (const QByteArray &line : status.readAll().split('\n')) {
        if (line.startsWith(key + ':'))
            return line.mid(key.size() + 1).trimmed().split(' ').value(0).toDouble() / 1024;
    }
    return 0;
}

void firstScan(benchmark::State &state)
{
    QString why;
    const auto corpus = BenchCorpus::fromEnvironment(&why);
    QTemporaryDir scratch;
    if (!corpus || !scratch.isValid()) {
        state.SkipWithError(qPrintable(corpus ? scratch.errorString() : why));
        return;
    }
    SettingsStore settings(scratch.filePath(u"Quire.conf"_s));
    settings.setCustomScanPaths(corpus->scanDirectories());
    const QString storePath = scratch.filePath(u"store.sqlite"_s);

    double scanMs = 0;
    double rssMb = 0;
    for (auto _ : state) {
        auto opened = ModelContext::open(storePath);
        if (!opened) {
            state.SkipWithError(qPrintable(opened.error().message));
            return;
        }
        const std::unique_ptr<ModelContext> context = std::move(opened.value());
        AppState appState;
        ContentView window(&appState, context.get(), &settings, nullptr);
        bool scanned = false;
        QObject::connect(window.discovery(), &DiscoverySession::scanFinished, &window,
            [&scanned] { scanned = true; });
        const QDeadlineTimer deadline(stepTimeoutMs);
        scanMs = millisecondsOf([&] {
            window.show();
            while (!scanned && !deadline.hasExpired())
                QCoreApplication::processEvents();
        });
        // Then the health check, done between events, as a user would wait.
        while (window.discovery()->health()->isChecking() && !deadline.hasExpired())
            QCoreApplication::processEvents();
        QCoreApplication::processEvents();
        if (deadline.hasExpired() || context->skillCount() != corpus->skills()) {
            state.SkipWithError("the first scan did not finish with every skill");
            return;
        }
        rssMb = statusMegabytes("VmRSS");
        state.SetIterationTime(scanMs / 1e3);
    }
    state.counters["rss_mb"] = rssMb;
    state.counters["peak_mb"] = statusMegabytes("VmHWM");
    TableReporter::setMemoryGoal(state, rssMb, 150);
    const double storeMb
        = double(QFileInfo(storePath).size() + QFileInfo(storePath + u"-wal"_s).size())
        / (1024 * 1024);
    state.counters["store_mb"] = storeMb;
    state.counters["store_per_corpus"] = storeMb * 1024 * 1024 / double(corpus->bytes());
}

} // namespace

BENCHMARK(firstScan)
    ->Name("window/memory-after-first-scan")
    ->Iterations(1)
    ->Unit(benchmark::kMillisecond)
    ->UseManualTime();
