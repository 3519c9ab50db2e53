#include "tablereporter.h"

#include <QFile>

#include <cstdio>
#include <string_view>

namespace {

constexpr const char *floorCounter = "floor_ms";
constexpr const char *ratioCounter = "ratio";
constexpr const char *ratioGoalCounter = "goal_ratio";
constexpr const char *timeGoalCounter = "goal_ms";
constexpr const char *memoryCounter = "memory_mb";
constexpr const char *memoryGoalCounter = "goal_mb";
constexpr const char *peakCounter = "peak_mb";
constexpr const char *peakGoalCounter = "goal_peak_mb";
constexpr std::string_view skipPrefix = "skipped: ";

std::string milliseconds(double ms)
{
    char text[32];
    std::snprintf(text, sizeof text, ms < 10 ? "%.3f ms" : ms < 100 ? "%.1f ms" : "%.0f ms", ms);
    return text;
}

std::string number(const char *format, double value)
{
    char text[32];
    std::snprintf(text, sizeof text, format, value);
    return text;
}

const benchmark::Counter *counter(const benchmark::BenchmarkReporter::Run &run, const char *name)
{
    const auto found = run.counters.find(name);
    return found == run.counters.end() ? nullptr : &found->second;
}

} // namespace

void TableReporter::setFloor(benchmark::State &state, double operationMs, double floorMs)
{
    const double iterations = double(state.iterations());
    if (iterations <= 0 || floorMs <= 0)
        return;
    state.counters[floorCounter] = floorMs / iterations;
    state.counters[ratioCounter] = operationMs / floorMs;
}

void TableReporter::setRatioGoal(benchmark::State &state, double goal)
{
    state.counters[ratioGoalCounter] = goal;
}

void TableReporter::setTimeGoal(benchmark::State &state, double goalMs)
{
    state.counters[timeGoalCounter] = goalMs;
}

void TableReporter::setMemoryGoal(benchmark::State &state, double megabytes, double goalMegabytes)
{
    state.counters[memoryCounter] = megabytes;
    state.counters[memoryGoalCounter] = goalMegabytes;
}

void TableReporter::setPeakMemory(benchmark::State &state, double peakMb, double goalMb)
{
    state.counters[peakCounter] = peakMb;
    state.counters[peakGoalCounter] = goalMb;
}

void TableReporter::skip(benchmark::State &state, const std::string &why)
{
    state.SkipWithError((std::string(skipPrefix) + why).c_str());
}

void TableReporter::ReportRuns(const std::vector<Run> &reports)
{
    ConsoleReporter::ReportRuns(reports);
    for (const Run &run : reports) {
        if (run.run_type != Run::RT_Iteration)
            continue;
        // The registered name alone: the iteration count and timer kind are noise here.
        std::string name = run.run_name.function_name;
        if (!run.run_name.args.empty())
            name += '/' + run.run_name.args;
        if (run.error_occurred) {
            const bool skipped = std::string_view(run.error_message).starts_with(skipPrefix);
            appendRow(name + "\t-\t-\t-\t-\t-\t" + (skipped ? "" : "error: ") + run.error_message);
            continue;
        }
        const double ms
            = run.GetAdjustedRealTime() / benchmark::GetTimeUnitMultiplier(run.time_unit) * 1e3;
        const benchmark::Counter *floor = counter(run, floorCounter);
        const benchmark::Counter *ratio = counter(run, ratioCounter);
        const benchmark::Counter *ratioGoal = counter(run, ratioGoalCounter);
        const benchmark::Counter *timeGoal = counter(run, timeGoalCounter);
        const benchmark::Counter *memory = counter(run, memoryCounter);
        const benchmark::Counter *memoryGoal = counter(run, memoryGoalCounter);

        const benchmark::Counter *peak = counter(run, peakCounter);
        const benchmark::Counter *peakGoal = counter(run, peakGoalCounter);

        std::string goal = "-";
        std::string verdict = "-";
        if (ratioGoal && ratio) {
            goal = "<= " + number("%g", ratioGoal->value) + "x floor";
            verdict = ratio->value <= ratioGoal->value ? "pass" : "MISS";
        } else if (memory && memoryGoal) {
            goal = "<= " + number("%g", memoryGoal->value) + " MB";
            verdict = (memory->value <= memoryGoal->value ? "pass " : "MISS ")
                + number("%.0f MB", memory->value);
        } else if (timeGoal) {
            goal = "<= " + number("%g", timeGoal->value) + " ms";
            verdict = ms <= timeGoal->value ? "pass" : "MISS";
        }
        if (peak && peakGoal) {
            goal = (goal == "-" ? "" : goal + ", ") + "<= " + number("%.0f", peakGoal->value)
                + " MB";
            if (peak->value > peakGoal->value || verdict == "-")
                verdict = peak->value <= peakGoal->value ? "pass" : "MISS";
        }
        appendRow(name + '\t' + milliseconds(ms) + '\t' + (floor ? milliseconds(floor->value) : "-")
            + '\t' + (ratio ? number("%.3gx", ratio->value) : "-") + '\t'
            + (peak ? number("%.0f MB", peak->value) : "-") + '\t' + goal + '\t' + verdict);
    }
}

void TableReporter::appendRow(const std::string &row) const
{
    const QString path = qEnvironmentVariable("QUIRE_BENCH_TABLE");
    if (path.isEmpty())
        return;
    QFile file(path);
    if (file.open(QIODevice::WriteOnly | QIODevice::Append))
        file.write(QByteArray::fromStdString(row + '\n'));
}
