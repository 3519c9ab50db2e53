// Shared main of the benchmark executables: a headless Qt application whose
// home is the generated corpus. Built with QUIRE_BENCH_WIDGETS, a widget
// application on the offscreen platform unless another one is chosen.

#include "benchcorpus.h"
#include "tablereporter.h"

#include <QFile>
#include <QTemporaryDir>

#include <benchmark/benchmark.h>

#ifdef QUIRE_BENCH_WIDGETS
#include <QApplication>
using BenchApplication = QApplication;
#else
#include <QCoreApplication>
using BenchApplication = QCoreApplication;
#endif

#include <cstdio>

#include <unistd.h>

int main(int argc, char *argv[])
{
    benchmark::Initialize(&argc, argv);
    if (benchmark::ReportUnrecognizedArguments(argc, argv))
        return 2;

    QString why;
    const auto corpus = BenchCorpus::fromEnvironment(&why);
    if (!corpus || !corpus->waitUntilSettled(&why)) {
        std::fprintf(stderr, "%s\n", qPrintable(why));
        return 1;
    }
    QTemporaryDir scratch;
    if (!scratch.isValid()) {
        std::fprintf(
            stderr, "cannot make a scratch folder: %s\n", qPrintable(scratch.errorString()));
        return 1;
    }
    corpus->enterHome(scratch.path());
#ifdef QUIRE_BENCH_WIDGETS
    if (!qEnvironmentVariableIsSet("QT_QPA_PLATFORM"))
        qputenv("QT_QPA_PLATFORM", "offscreen");
    // Qt makes it, private to the user, when first asked.
    qputenv("XDG_RUNTIME_DIR", QFile::encodeName(scratch.path()) + "/runtime");
#endif
    BenchApplication app(argc, argv);
#ifdef QUIRE_BENCH_WIDGETS
    // The views' icons live in a static library: pull them in by name, as
    // the application does, or the window would draw without them.
    Q_INIT_RESOURCE(quire);
#endif

    // Colour for a terminal only: bench/run keeps the console report as a log.
    TableReporter reporter(
        ::isatty(STDOUT_FILENO) ? TableReporter::OO_ColorTabular : TableReporter::OO_Tabular);
    benchmark::RunSpecifiedBenchmarks(&reporter);
    benchmark::Shutdown();
    return 0;
}
