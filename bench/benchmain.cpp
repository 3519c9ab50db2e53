// Shared main of the benchmark executables: a headless Qt application whose
// home is the generated corpus.

#include "benchcorpus.h"
#include "tablereporter.h"

#include <benchmark/benchmark.h>

#include <QCoreApplication>
#include <QTemporaryDir>

#include <cstdio>

#include <unistd.h>

int main(int argc, char *argv[])
{
    benchmark::Initialize(&argc, argv);
    if (benchmark::ReportUnrecognizedArguments(argc, argv))
        return 2;

    QString why;
    const auto corpus = BenchCorpus::fromEnvironment(&why);
    if (!corpus) {
        std::fprintf(stderr, "%s\n", qPrintable(why));
        return 1;
    }
    QTemporaryDir scratch;
    if (!scratch.isValid()) {
        std::fprintf(stderr, "cannot make a scratch folder: %s\n", qPrintable(scratch.errorString()));
        return 1;
    }
    corpus->enterHome(scratch.path());
    QCoreApplication app(argc, argv);

    // Colour for a terminal only: bench/run keeps the console report as a log.
    TableReporter reporter(::isatty(STDOUT_FILENO) ? TableReporter::OO_ColorTabular
                                                   : TableReporter::OO_Tabular);
    benchmark::RunSpecifiedBenchmarks(&reporter);
    benchmark::Shutdown();
    return 0;
}
