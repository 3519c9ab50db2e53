// Full scan into a new store, rescan of an unchanged tree and prune, each
// timed beside the file-system and SQLite work it cannot avoid.

#include "benchcorpus.h"
#include "modelcontext.h"
#include "posixfloor.h"
#include "scannedstore.h"
#include "skillhealth.h"
#include "skillscanner.h"
#include "stopwatch.h"
#include "tablereporter.h"

#include <QFile>

#include <benchmark/benchmark.h>

#include <sys/time.h>

using namespace Qt::StringLiterals;

namespace {

// Made once and shared by the three benchmarks; a scan takes seconds.
ScannedStore *fullStore(benchmark::State &state)
{
    static std::unique_ptr<ScannedStore> store;
    static QString why;
    if (!store && why.isEmpty()) {
        if (const auto corpus = BenchCorpus::fromEnvironment(&why)) {
            store = std::make_unique<ScannedStore>(*corpus);
            why = store->error();
        }
    }
    if (!why.isEmpty()) {
        state.SkipWithError(qPrintable(why));
        return nullptr;
    }
    return store.get();
}

void coldScan(benchmark::State &state)
{
    ScannedStore *full = fullStore(state);
    if (!full)
        return;
    // The floor reads each skill file once, as the scanner does, and stores
    // its text under its resolved path.
    const std::vector<QByteArray> files = PosixFloor::nativePaths(full->readPaths());
    const std::vector<QByteArray> keys = PosixFloor::nativePaths(full->resolvedPaths());
    const QString storePath = full->scratch() + u"/cold.sqlite"_s;
    const QString floorPath = full->scratch() + u"/floor.sqlite"_s;
    const qsizetype expected = full->readPaths().size();

    double operationMs = 0;
    double floorMs = 0;
    for (auto _ : state) {
        QString error;
        bool floorOk = false;
        floorMs += millisecondsOf([&] {
            std::vector<std::string> texts;
            floorOk = PosixFloor::readFiles(files, texts)
                && PosixFloor::writeTexts(floorPath, keys, texts, &error);
        });
        PosixFloor::removeDatabase(floorPath);

        qsizetype found = 0;
        const double ms = millisecondsOf([&] {
            auto opened = ModelContext::open(storePath);
            if (!opened) {
                error = opened.error().message;
                return;
            }
            SkillScanner scanner(opened.value().get(), full->settings());
            scanner.scanAll();
            found = opened.value()->skillCount();
        }); // the context closes here, as `quire scan` ends
        PosixFloor::removeDatabase(storePath);
        if (!floorOk || found != expected) {
            state.SkipWithError(
                qPrintable(error.isEmpty() ? u"the cold scan missed skills"_s : error));
            return;
        }
        state.SetIterationTime(ms / 1e3);
        operationMs += ms;
    }
    TableReporter::setFloor(state, operationMs, floorMs);
    TableReporter::setRatioGoal(state, 1.5);
}

void rescan(benchmark::State &state)
{
    ScannedStore *full = fullStore(state);
    if (!full)
        return;
    QString why;
    const auto corpus = BenchCorpus::fromEnvironment(&why);
    if (!corpus) {
        state.SkipWithError(qPrintable(why));
        return;
    }
    const std::vector<QByteArray> folders = PosixFloor::nativePaths(corpus->listedFolders());
    const std::vector<QByteArray> routes = PosixFloor::nativePaths(full->routes());
    const std::vector<QByteArray> skillFolders = PosixFloor::nativePaths(full->skillFolders());

    double operationMs = 0;
    double floorMs = 0;
    double walkMs = 0;
    qsizetype listed = 0;
    qsizetype stated = 0;
    for (auto _ : state) {
        floorMs += millisecondsOf([&] {
            listed = PosixFloor::listFolders(folders);
            stated = PosixFloor::statFiles(routes);
        });
        // Not part of the floor: what re-listing every skill folder for its
        // artifacts costs at the least, to tell how much of the gap it explains.
        walkMs += millisecondsOf([&] { (void)PosixFloor::walkFolders(skillFolders); });
        full->scanner()->resetCounts();
        const double ms = millisecondsOf([&] { full->scanner()->scanAll(); });
        // Nothing changed on disk, so nothing may be read again.
        const int readAgain = full->scanner()->counts().filesRead;
        if (readAgain != 0 || listed < 0 || stated != qsizetype(routes.size())) {
            state.SkipWithError(qPrintable(
                u"the unchanged tree was read again (%1 files) or a route vanished (%2 of %3 left)"_s
                    .arg(readAgain)
                    .arg(stated)
                    .arg(routes.size())));
            return;
        }
        state.SetIterationTime(ms / 1e3);
        operationMs += ms;
    }
    TableReporter::setFloor(state, operationMs, floorMs);
    TableReporter::setRatioGoal(state, 2.0);
    state.counters["artifact_walk_floor_ms"] = walkMs / double(state.iterations());
}

// A rescan with the window's findings attached, one file touched before
// each scan so that a batch arrives: the findings follow the saved batches,
// re-checking what changed and the clashes across all skills.
void rescanAndCheck(benchmark::State &state)
{
    ScannedStore *full = fullStore(state);
    if (!full)
        return;
    const QByteArray touched = QFile::encodeName(full->readPaths().first());
    long stamp = 1'000'000'000;
    const auto touch = [&] {
        const struct timeval times[2] = { { ++stamp, 0 }, { stamp, 0 } };
        return ::utimes(touched.constData(), times) == 0;
    };
    double operationMs = 0;
    double floorMs = 0;
    for (auto _ : state) {
        if (!touch()) {
            state.SkipWithError("could not touch a skill file");
            return;
        }
        floorMs += millisecondsOf([&] { full->scanner()->scanAll(); });
        double ms = 0;
        {
            const SkillHealth health(full->context()); // checked once, as at start-up; not timed
            touch();
            ms = millisecondsOf([&] { full->scanner()->scanAll(); });
        }
        state.SetIterationTime(ms / 1e3);
        operationMs += ms;
    }
    TableReporter::setFloor(state, operationMs, floorMs);
    TableReporter::setRatioGoal(state, 1.1);
}

// Every skill checked from scratch, bodies loaded from a store just opened,
// beside one rescan: what start-up and `quire check` pay at the most.
void checkAll(benchmark::State &state)
{
    ScannedStore *full = fullStore(state);
    if (!full)
        return;
    double operationMs = 0;
    double floorMs = 0;
    int flagged = 0;
    for (auto _ : state) {
        floorMs += millisecondsOf([&] { full->scanner()->scanAll(); });
        auto opened = ModelContext::open(full->storePath());
        if (!opened) {
            state.SkipWithError(qPrintable(opened.error().message));
            return;
        }
        std::unique_ptr<SkillHealth> health;
        const double ms
            = millisecondsOf([&] { health = std::make_unique<SkillHealth>(opened.value().get()); });
        flagged = health->attentionCount();
        state.SetIterationTime(ms / 1e3);
        operationMs += ms;
    }
    TableReporter::setFloor(state, operationMs, floorMs);
    TableReporter::setRatioGoal(state, 0.1);
    state.counters["skills_needing_attention"] = flagged;
}

void prune(benchmark::State &state)
{
    ScannedStore *full = fullStore(state);
    if (!full)
        return;
    const std::vector<QByteArray> routes = PosixFloor::nativePaths(full->routes());
    const qsizetype expected = full->context()->skillCount();

    double operationMs = 0;
    double floorMs = 0;
    for (auto _ : state) {
        floorMs += millisecondsOf([&] { (void)PosixFloor::statFiles(routes); });
        const double ms = millisecondsOf([&] { full->scanner()->pruneMissingSkills(); });
        if (full->context()->skillCount() != expected) {
            state.SkipWithError("the prune of an unchanged tree removed skills");
            return;
        }
        state.SetIterationTime(ms / 1e3);
        operationMs += ms;
    }
    TableReporter::setFloor(state, operationMs, floorMs);
    TableReporter::setRatioGoal(state, 1.2);
}

} // namespace

// Manual time: the operation is timed by the same clock as its floor, so the
// ratio in the table is exactly time / floor.
BENCHMARK(coldScan)
    ->Name("scan/cold")
    ->Iterations(3)
    ->Unit(benchmark::kMillisecond)
    ->UseManualTime();
BENCHMARK(rescan)
    ->Name("scan/rescan")
    ->Iterations(5)
    ->Unit(benchmark::kMillisecond)
    ->UseManualTime();
BENCHMARK(rescanAndCheck)
    ->Name("scan/rescan+check")
    ->Iterations(5)
    ->Unit(benchmark::kMillisecond)
    ->UseManualTime();
BENCHMARK(checkAll)
    ->Name("scan/check-all")
    ->Iterations(3)
    ->Unit(benchmark::kMillisecond)
    ->UseManualTime();
BENCHMARK(prune)->Name("scan/prune")->Iterations(5)->Unit(benchmark::kMillisecond)->UseManualTime();
