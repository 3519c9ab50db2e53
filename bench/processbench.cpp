// Whole `quire` processes on the corpus, as a user or a script runs them:
// start-up, opening the store and writing the output included. Each row is
// timed beside its floor in the same run and reports the child's peak
// resident memory.

#include "benchcorpus.h"
#include "posixfloor.h"
#include "scannedstore.h"
#include "stopwatch.h"
#include "tablereporter.h"

#include <QByteArray>
#include <QCoreApplication>
#include <QDir>
#include <QFile>
#include <QStandardPaths>

#include <benchmark/benchmark.h>

#include <fcntl.h>
#include <spawn.h>
#include <sys/wait.h>
#include <unistd.h>

extern char **environ;

using namespace Qt::StringLiterals;

namespace {

// The memory goal of every listing and search, whatever the number of skills.
constexpr double flatMemoryGoalMb = 64;

struct ProcessRun
{
    int code = -1;
    double ms = 0;
    double peakMb = 0;
};

QByteArray readAll(const QString &path)
{
    QFile file(path);
    return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
}

// Runs a program with the bench's environment, stdout to outputPath (or
// /dev/null), through quire-peakmemory, which reports the program's own peak.
ProcessRun run(const QString &program, const QStringList &arguments, const QString &outputPath = {})
{
    static const QString peakReport = QDir::temp().filePath(
        u"quire-bench-peak-%1.txt"_s.arg(QCoreApplication::applicationPid()));
    std::vector<QByteArray> storage { QByteArrayLiteral(QUIRE_PEAKMEMORY),
        QFile::encodeName(peakReport), QFile::encodeName(program) };
    for (const QString &argument : arguments)
        storage.push_back(argument.toUtf8());
    std::vector<char *> argv;
    for (QByteArray &argument : storage)
        argv.push_back(argument.data());
    argv.push_back(nullptr);

    posix_spawn_file_actions_t actions;
    posix_spawn_file_actions_init(&actions);
    const QByteArray output = outputPath.isEmpty() ? "/dev/null" : QFile::encodeName(outputPath);
    posix_spawn_file_actions_addopen(
        &actions, STDOUT_FILENO, output.constData(), O_WRONLY | O_CREAT | O_TRUNC, 0644);
    posix_spawn_file_actions_addopen(&actions, STDERR_FILENO, "/dev/null", O_WRONLY, 0);

    ProcessRun result;
    pid_t pid = 0;
    int status = 0;
    result.ms = millisecondsOf([&] {
        if (::posix_spawnp(&pid, argv[0], &actions, nullptr, argv.data(), environ) != 0) {
            pid = 0;
            return;
        }
        ::waitpid(pid, &status, 0);
    });
    posix_spawn_file_actions_destroy(&actions);
    if (pid != 0 && WIFEXITED(status))
        result.code = WEXITSTATUS(status);
    result.peakMb = readAll(peakReport).trimmed().toDouble() / 1024.0;
    QFile::remove(peakReport);
    return result;
}

// The binary built beside the benchmark, or $QUIRE_BENCH_QUIRE (another
// build, to compare before and after on the same corpus and machine).
QString quire()
{
    const QString chosen = qEnvironmentVariable("QUIRE_BENCH_QUIRE");
    return chosen.isEmpty() ? QStringLiteral(QUIRE_BINARY) : chosen;
}

// The corpus scanned once in process, for the floors' paths, and a store the
// processes share; the scan directories are set the way a user sets them.
struct Setup
{
    std::unique_ptr<ScannedStore> scanned;
    QString scratch;
    QString store;
    qint64 corpusBytes = 0;
    QString error;
};

Setup &setup()
{
    static Setup s;
    static bool made = false;
    if (made)
        return s;
    made = true;
    const auto corpus = BenchCorpus::fromEnvironment(&s.error);
    if (!corpus)
        return s;
    s.scanned = std::make_unique<ScannedStore>(*corpus);
    if (!(s.error = s.scanned->error()).isEmpty())
        return s;
    s.scanned->close();
    s.scratch = s.scanned->scratch();
    s.store = s.scratch + u"/process.sqlite"_s;
    qputenv("QUIRE_STORE", QFile::encodeName(s.store));
    for (const QString &directory : corpus->scanDirectories()) {
        if (run(quire(), { u"dirs"_s, u"add"_s, directory }).code != 0) {
            s.error = u"quire dirs add %1 failed"_s.arg(directory);
            return s;
        }
    }
    const QByteArray manifest = readAll(corpus->root() + u"/corpus.txt"_s);
    for (const QByteArray &line : manifest.split('\n')) {
        if (line.startsWith("bytes="))
            s.corpusBytes = line.mid(6).toLongLong();
    }
    return s;
}

bool ready(benchmark::State &state)
{
    if (!setup().error.isEmpty()) {
        state.SkipWithError(qPrintable(setup().error));
        return false;
    }
    return true;
}

// "Skill files: N (read R, ..." from a scan's report; -1 when absent.
int filesRead(const QByteArray &report)
{
    const qsizetype at = report.indexOf("(read ");
    return at < 0 ? -1 : report.mid(at + 6, report.indexOf(',', at) - at - 6).toInt();
}

void coldScan(benchmark::State &state)
{
    if (!ready(state))
        return;
    Setup &s = setup();
    const std::vector<QByteArray> files = PosixFloor::nativePaths(s.scanned->readPaths());
    const std::vector<QByteArray> keys = PosixFloor::nativePaths(s.scanned->resolvedPaths());
    const QString floorPath = s.scratch + u"/floor.sqlite"_s;
    const QString report = s.scratch + u"/scan.txt"_s;
    double operationMs = 0, floorMs = 0, peakMb = 0;
    for (auto _ : state) {
        QString error;
        bool floorOk = false;
        floorMs += millisecondsOf([&] {
            std::vector<std::string> texts;
            floorOk = PosixFloor::readFiles(files, texts)
                && PosixFloor::writeTexts(floorPath, keys, texts, &error);
        });
        PosixFloor::removeDatabase(floorPath);
        PosixFloor::removeDatabase(s.store);
        const ProcessRun scan = run(quire(), { u"scan"_s }, report);
        const QByteArray out = readAll(report);
        if (!floorOk || scan.code != 0
            || !out.contains("New skills: " + QByteArray::number(s.scanned->readPaths().size()))) {
            state.SkipWithError(
                qPrintable(u"quire scan into a new store failed (exit %1): %2"_s.arg(scan.code).arg(
                    error.isEmpty() ? QString::fromUtf8(out) : error)));
            return;
        }
        state.SetIterationTime(scan.ms / 1e3);
        operationMs += scan.ms;
        peakMb = std::max(peakMb, scan.peakMb);
    }
    TableReporter::setFloor(state, operationMs, floorMs);
    TableReporter::setRatioGoal(state, 1.5);
    // Bodies go to the store as they are read, not all into memory first.
    TableReporter::setPeakMemory(state, peakMb, double(s.corpusBytes) / 2 / 1024 / 1024);
}

void rescan(benchmark::State &state)
{
    if (!ready(state))
        return;
    Setup &s = setup();
    QString why;
    const auto corpus = BenchCorpus::fromEnvironment(&why);
    const std::vector<QByteArray> folders = PosixFloor::nativePaths(corpus->listedFolders());
    const std::vector<QByteArray> routes = PosixFloor::nativePaths(s.scanned->routes());
    const std::vector<QByteArray> skillFolders = PosixFloor::nativePaths(s.scanned->skillFolders());
    const QString report = s.scratch + u"/rescan.txt"_s;
    if (!QFile::exists(s.store) && run(quire(), { u"scan"_s }).code != 0) {
        state.SkipWithError("the first quire scan failed");
        return;
    }
    double operationMs = 0, floorMs = 0, peakMb = 0;
    for (auto _ : state) {
        qsizetype listed = 0, stated = 0;
        floorMs += millisecondsOf([&] {
            listed = PosixFloor::listFolders(folders);
            stated = PosixFloor::statFiles(routes) + PosixFloor::statFiles(skillFolders);
        });
        const ProcessRun scan = run(quire(), { u"scan"_s }, report);
        const int readAgain = filesRead(readAll(report));
        if (scan.code != 0 || readAgain != 0 || listed < 0
            || stated != qsizetype(routes.size() + skillFolders.size())) {
            state.SkipWithError(qPrintable(
                u"quire scan of the unchanged tree: exit %1, %2 files read again"_s.arg(scan.code)
                    .arg(readAgain)));
            return;
        }
        state.SetIterationTime(scan.ms / 1e3);
        operationMs += scan.ms;
        peakMb = std::max(peakMb, scan.peakMb);
    }
    TableReporter::setFloor(state, operationMs, floorMs);
    TableReporter::setRatioGoal(state, 2.5);
    state.counters["peak_mb"] = peakMb;
}

void listJson(benchmark::State &state)
{
    if (!ready(state))
        return;
    Setup &s = setup();
    const std::vector<QByteArray> files = PosixFloor::nativePaths(s.scanned->readPaths());
    if (!QFile::exists(s.store) && run(quire(), { u"scan"_s }).code != 0) {
        state.SkipWithError("the first quire scan failed");
        return;
    }
    // Once to a file, to know the run lists every record; then timed into /dev/null.
    const QString listed = s.scratch + u"/list.json"_s;
    const ProcessRun checked = run(quire(), { u"list"_s, u"--json"_s }, listed);
    const QByteArray text = readAll(listed);
    QFile::remove(listed);
    const qsizetype records = text.count("\n        \"resolvedPath\": ");
    if (checked.code != 0 || !text.startsWith("[\n") || !text.endsWith("\n]\n")
        || records != s.scanned->readPaths().size()) {
        state.SkipWithError(
            qPrintable(u"quire list --json: exit %1, %2 records"_s.arg(checked.code).arg(records)));
        return;
    }
    double operationMs = 0, floorMs = 0, peakMb = checked.peakMb;
    for (auto _ : state) {
        floorMs += millisecondsOf([&] {
            std::vector<std::string> texts;
            (void)PosixFloor::readFiles(files, texts);
        });
        const ProcessRun list = run(quire(), { u"list"_s, u"--json"_s });
        if (list.code != 0) {
            state.SkipWithError("quire list --json failed");
            return;
        }
        state.SetIterationTime(list.ms / 1e3);
        operationMs += list.ms;
        peakMb = std::max(peakMb, list.peakMb);
    }
    TableReporter::setFloor(state, operationMs, floorMs);
    TableReporter::setRatioGoal(state, 3);
    TableReporter::setPeakMemory(state, peakMb, flatMemoryGoalMb);
}

// A search's own time: the same command with a filter that keeps nothing and
// no search is the floor, so what is left is the search, not opening the store.
void searchNet(benchmark::State &state, const QString &text)
{
    if (!ready(state))
        return;
    Setup &s = setup();
    if (!QFile::exists(s.store) && run(quire(), { u"scan"_s }).code != 0) {
        state.SkipWithError("the first quire scan failed");
        return;
    }
    const QStringList opening { u"list"_s, u"--filter"_s, u"collection:no such collection"_s };
    double operationMs = 0, floorMs = 0, peakMb = 0;
    for (auto _ : state) {
        const ProcessRun open = run(quire(), opening);
        const ProcessRun search = run(quire(), { u"list"_s, u"--search"_s, text });
        if (open.code != 0 || search.code != 0) {
            state.SkipWithError("quire list failed");
            return;
        }
        const double net = std::max(search.ms - open.ms, 0.0);
        state.SetIterationTime(std::max(net, 1e-3) / 1e3);
        operationMs += net;
        floorMs += open.ms;
        peakMb = std::max(peakMb, search.peakMb);
    }
    state.counters["opening_ms"] = floorMs / double(state.iterations());
    TableReporter::setTimeGoal(state, 5);
    TableReporter::setPeakMemory(state, peakMb, flatMemoryGoalMb);
}

// What a person would use instead, side by side: the whole search process
// against ripgrep over the same files; the goal is five times faster.
void searchAgainstRipgrep(benchmark::State &state)
{
    if (!ready(state))
        return;
    const QString rg = QStandardPaths::findExecutable(u"rg"_s);
    if (rg.isEmpty()) {
        TableReporter::skip(state, "rg is not installed");
        return;
    }
    Setup &s = setup();
    QString why;
    const auto corpus = BenchCorpus::fromEnvironment(&why);
    QStringList rgArguments { u"-il"_s, u"-F"_s, u"--hidden"_s, u"--no-ignore"_s, u"jwt"_s,
        corpus->home() };
    rgArguments += corpus->scanDirectories();
    if (!QFile::exists(s.store) && run(quire(), { u"scan"_s }).code != 0) {
        state.SkipWithError("the first quire scan failed");
        return;
    }
    double operationMs = 0, floorMs = 0, peakMb = 0;
    for (auto _ : state) {
        const ProcessRun grep = run(rg, rgArguments);
        const ProcessRun search = run(quire(), { u"list"_s, u"--search"_s, u"jwt"_s });
        if (grep.code != 0 || search.code != 0) {
            state.SkipWithError("rg or quire list --search failed");
            return;
        }
        state.SetIterationTime(search.ms / 1e3);
        operationMs += search.ms;
        floorMs += grep.ms;
        peakMb = std::max(peakMb, search.peakMb);
    }
    TableReporter::setFloor(state, operationMs, floorMs);
    TableReporter::setRatioGoal(state, 0.2);
    TableReporter::setPeakMemory(state, peakMb, flatMemoryGoalMb);
}

} // namespace

BENCHMARK(coldScan)
    ->Name("process/scan-cold")
    ->Iterations(3)
    ->Unit(benchmark::kMillisecond)
    ->UseManualTime();
BENCHMARK(rescan)
    ->Name("process/scan-unchanged")
    ->Iterations(5)
    ->Unit(benchmark::kMillisecond)
    ->UseManualTime();
BENCHMARK(listJson)
    ->Name("process/list-json")
    ->Iterations(3)
    ->Unit(benchmark::kMillisecond)
    ->UseManualTime();
BENCHMARK_CAPTURE(searchNet, jwt, u"jwt"_s)
    ->Name("process/list-search-jwt-net")
    ->Iterations(5)
    ->Unit(benchmark::kMillisecond)
    ->UseManualTime();
BENCHMARK_CAPTURE(searchNet, zqxj, u"zqxj"_s)
    ->Name("process/list-search-zqxj-net")
    ->Iterations(5)
    ->Unit(benchmark::kMillisecond)
    ->UseManualTime();
BENCHMARK(searchAgainstRipgrep)
    ->Name("process/list-search-jwt-vs-rg")
    ->Iterations(5)
    ->Unit(benchmark::kMillisecond)
    ->UseManualTime();
