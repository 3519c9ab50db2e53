#pragma once

#include <QString>

#include <benchmark/benchmark.h>

#include <string>
#include <vector>

// The console report, plus one tab-separated row per benchmark appended to
// $QUIRE_BENCH_TABLE: name, time, floor, ratio, peak memory, goal, pass or
// miss. bench/run
// prints the rows of every executable as one table.
class TableReporter final : public benchmark::ConsoleReporter
{
public:
    using ConsoleReporter::ConsoleReporter;

    // Counters a benchmark sets so that its row can be judged.
    static void setFloor(benchmark::State &state, double operationMs, double floorMs);
    static void setRatioGoal(benchmark::State &state, double goal);
    static void setTimeGoal(benchmark::State &state, double goalMs);
    // A row judged by memory rather than time.
    static void setMemoryGoal(benchmark::State &state, double megabytes, double goalMegabytes);
    // Peak resident memory of a whole process, judged beside the time goal.
    static void setPeakMemory(benchmark::State &state, double peakMb, double goalMb);
    // A row that cannot run here (a missing tool): noted in the table, not an error.
    static void skip(benchmark::State &state, const std::string &why);

    void ReportRuns(const std::vector<Run> &reports) override;

private:
    void appendRow(const std::string &row) const;
};
