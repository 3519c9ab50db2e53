// Opening a full store: what the window waits for before its list can show.

#include "benchcorpus.h"
#include "modelcontext.h"
#include "posixfloor.h"
#include "scannedstore.h"
#include "stopwatch.h"
#include "tablereporter.h"

#include <benchmark/benchmark.h>

using namespace Qt::StringLiterals;

namespace {

void openStore(benchmark::State &state)
{
    QString why;
    const auto corpus = BenchCorpus::fromEnvironment(&why);
    if (!corpus) {
        state.SkipWithError(qPrintable(why));
        return;
    }
    ScannedStore full(*corpus);
    if (!full.error().isEmpty()) {
        state.SkipWithError(qPrintable(full.error()));
        return;
    }
    full.close();
    const QString path = full.storePath();

    double operationMs = 0;
    double floorMs = 0;
    for (auto _ : state) {
        // The columns the list needs, without the bodies, which load lazily.
        qsizetype rows = 0;
        floorMs += millisecondsOf([&] {
            rows = PosixFloor::selectRows(
                path, "SELECT id, resolvedPath, filePath, isDirectory, name, skillDescription, "
                      "frontmatterData, isFavorite, lastOpened, fileModifiedDate, fileSize, "
                      "isGlobal, toolSourcesRaw, installedPathsData, scanSignature FROM skill");
        });
        std::unique_ptr<ModelContext> context;
        QString error;
        const double ms = millisecondsOf([&] {
            auto opened = ModelContext::open(path);
            if (opened)
                context = std::move(opened.value());
            else
                error = opened.error().message;
        });
        if (!context || context->skillCount() != corpus->skills() || rows != corpus->skills()) {
            state.SkipWithError(qPrintable(error.isEmpty() ? u"the store lost skills"_s : error));
            return;
        }
        context.reset(); // closing is not part of opening
        state.SetIterationTime(ms / 1e3);
        operationMs += ms;
    }
    TableReporter::setFloor(state, operationMs, floorMs);
    TableReporter::setTimeGoal(state, 100);
}

} // namespace

BENCHMARK(openStore)->Name("store/open")->Iterations(5)->Unit(benchmark::kMillisecond)->UseManualTime();
