// Opening a full store: what the window waits for before its list can show.

#include "benchcorpus.h"
#include "modelcontext.h"
#include "posixfloor.h"
#include "scannedstore.h"
#include "skillcreator.h"
#include "stopwatch.h"
#include "tablereporter.h"

#include <QDir>
#include <QFile>

#include <benchmark/benchmark.h>

#include <memory>

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

using namespace Qt::StringLiterals;

namespace {

// The corpus scanned into a store of its own, and how many skills the
// corpus holds; null, with the benchmark skipped and the reason given, when
// that cannot be done.
std::unique_ptr<ScannedStore> scannedCorpus(benchmark::State &state, int *corpusSkills = nullptr)
{
    QString why;
    const auto corpus = BenchCorpus::fromEnvironment(&why);
    if (!corpus) {
        state.SkipWithError(qPrintable(why));
        return nullptr;
    }
    if (corpusSkills)
        *corpusSkills = corpus->skills();
    auto full = std::make_unique<ScannedStore>(*corpus);
    if (!full->error().isEmpty()) {
        state.SkipWithError(qPrintable(full->error()));
        return nullptr;
    }
    return full;
}

void openStore(benchmark::State &state)
{
    int corpusSkills = 0;
    const std::unique_ptr<ScannedStore> scanned = scannedCorpus(state, &corpusSkills);
    if (!scanned)
        return;
    ScannedStore &full = *scanned;
    full.close();
    const QString path = full.storePath();

    double operationMs = 0;
    double floorMs = 0;
    for (auto _ : state) {
        // The columns the list needs, without the bodies, which load lazily.
        qsizetype rows = 0;
        floorMs += millisecondsOf([&] {
            rows = PosixFloor::selectRows(path,
                "SELECT id, resolvedPath, filePath, isDirectory, name, skillDescription, "
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
        if (!context || context->skillCount() != corpusSkills || rows != corpusSkills) {
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

// "Create" in the sheet over a full store: the folder, the exclusive atomic
// write, the record and a save. The floor makes the same folders and writes
// the same bytes with plain POSIX calls, synced as the real write is.
void createSkills(benchmark::State &state)
{
    const std::unique_ptr<ScannedStore> scanned = scannedCorpus(state);
    if (!scanned)
        return;
    ScannedStore &full = *scanned;
    constexpr int perRound = 50;
    QStringList names;
    std::vector<QByteArray> texts;
    for (int i = 0; i < perRound; ++i) {
        names.append(u"Bench Skill %1"_s.arg(i));
        texts.push_back(SkillCreator::skillTemplate(names.last(), ToolSource::Claude).toUtf8());
    }

    double operationMs = 0;
    double floorMs = 0;
    int round = 0;
    for (auto _ : state) {
        const QString home = full.scratch() + u"/home%1"_s.arg(round);
        const QString floorRoot = full.scratch() + u"/floor%1/.claude/skills"_s.arg(round);
        ++round;
        QDir().mkpath(floorRoot);
        std::vector<QByteArray> folders;
        for (int i = 0; i < perRound; ++i)
            folders.push_back(QFile::encodeName(floorRoot + u"/bench-skill-%1"_s.arg(i)));
        bool floorOk = true;
        floorMs += millisecondsOf([&] {
            for (int i = 0; i < perRound; ++i) {
                const QByteArray file = folders[size_t(i)] + "/SKILL.md";
                ::mkdir(folders[size_t(i)].constData(), 0777);
                const int fd = ::open(file.constData(), O_WRONLY | O_CREAT | O_EXCL, 0666);
                const QByteArray &text = texts[size_t(i)];
                floorOk = floorOk && fd >= 0
                    && ::write(fd, text.constData(), size_t(text.size())) == text.size()
                    && ::fsync(fd) == 0;
                if (fd >= 0)
                    ::close(fd);
            }
        });
        QString error;
        const double ms = millisecondsOf([&] {
            for (const QString &name : std::as_const(names)) {
                const auto created
                    = SkillCreator::createSkill(name, ToolSource::Claude, *full.context(), home);
                if (!created && error.isEmpty())
                    error = created.error().message;
            }
        });
        if (!error.isEmpty() || !floorOk) {
            state.SkipWithError(
                qPrintable(error.isEmpty() ? u"the floor could not write"_s : error));
            return;
        }
        state.SetIterationTime(ms / 1e3);
        operationMs += ms;
    }
    TableReporter::setFloor(state, operationMs, floorMs);
}

} // namespace

BENCHMARK(createSkills)
    ->Name("skill/create x50")
    ->Iterations(5)
    ->Unit(benchmark::kMillisecond)
    ->UseManualTime();
BENCHMARK(openStore)
    ->Name("store/open")
    ->Iterations(5)
    ->Unit(benchmark::kMillisecond)
    ->UseManualTime();
