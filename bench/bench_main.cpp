// SPDX-License-Identifier: MIT
#include <QApplication>
#include <QFont>
#include <benchmark/benchmark.h>

#include <algorithm>
#include <cstdio>
#include <map>
#include <string>
#include <unistd.h>
#include <vector>

namespace {

// The console table as usual, plus the real and CPU time of every run kept by
// name so that the cost of a window reading can be set against the bare read
// once all benchmarks are done.
class RatioReporter : public benchmark::ConsoleReporter {
public:
    // Colour only on a terminal: a custom reporter does not follow
    // --benchmark_color, and escapes would spoil a saved log.
    RatioReporter() : ConsoleReporter(isatty(STDOUT_FILENO) ? OO_ColorTabular : OO_Tabular) {}

    void ReportRuns(const std::vector<Run>& runs) override
    {
        ConsoleReporter::ReportRuns(runs);
        for (const Run& run : runs) {
            if (run.error_occurred)
                continue;
            // With --benchmark_report_aggregates_only only the aggregates
            // arrive; their median stands in for the single runs.
            const bool single = run.run_type == Run::RT_Iteration;
            if (!single && run.aggregate_name != "median")
                continue;
            // In nanoseconds whatever unit a benchmark chose for its table.
            const double toNs = 1e9 / benchmark::GetTimeUnitMultiplier(run.time_unit);
            const std::string& name = run.run_name.function_name;
            (single ? realNs_ : medianRealNs_)[name].push_back(run.GetAdjustedRealTime() * toNs);
            (single ? cpuNs_ : medianCpuNs_)[name].push_back(run.GetAdjustedCPUTime() * toNs);
        }
    }

    // The median of the repetitions (one unless --benchmark_repetitions),
    // or a negative value when the benchmark did not run.
    double MedianRealNs(const std::string& name) const { return Median(realNs_, medianRealNs_, name); }
    double MedianCpuNs(const std::string& name) const { return Median(cpuNs_, medianCpuNs_, name); }

private:
    using Times = std::map<std::string, std::vector<double>>;

    static double Median(const Times& singles, const Times& medians, const std::string& name)
    {
        const Times& all = singles.count(name) ? singles : medians;
        const auto found = all.find(name);
        if (found == all.end() || found->second.empty())
            return -1.0;
        std::vector<double> times = found->second;
        std::sort(times.begin(), times.end());
        const size_t mid = times.size() / 2;
        return times.size() % 2 ? times[mid] : (times[mid - 1] + times[mid]) / 2.0;
    }

    Times realNs_;
    Times cpuNs_;
    Times medianRealNs_;
    Times medianCpuNs_;
};

// The goal is judged on real time, as a user waits for it; the CPU ratio is
// printed beside it because on a busy machine real time also counts the
// moments the benchmark was not running at all.
void PrintRatio(const RatioReporter& reporter, const char* window, const char* raw, double goal)
{
    const double windowNs = reporter.MedianRealNs(window);
    const double rawNs = reporter.MedianRealNs(raw);
    if (windowNs < 0 || rawNs <= 0)
        return;
    const double ratio = windowNs / rawNs;
    const double windowCpuNs = reporter.MedianCpuNs(window);
    const double rawCpuNs = reporter.MedianCpuNs(raw);
    std::printf("%s / %s: real %.0f ns / %.0f ns = %.2fx (goal <= %.1fx: %s); cpu %.0f ns / %.0f ns = %.2fx\n",
                window, raw, windowNs, rawNs, ratio, goal, ratio <= goal ? "met" : "missed", windowCpuNs,
                rawCpuNs, rawCpuNs > 0 ? windowCpuNs / rawCpuNs : 0.0);
}

}  // namespace

int main(int argc, char** argv)
{
    // The window benchmarks need a QApplication but no display: the offscreen
    // platform draws the same way without a server that could add its own
    // latency to the figures.
    qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication app(argc, argv);
    // The same face the program substitutes, so text in the difference rows
    // costs what it costs on a desktop.
    QFont::insertSubstitutions(QStringLiteral("ＦＡ ゴシック"),
                               {QStringLiteral("IPAGothic"), QStringLiteral("Noto Sans CJK JP"),
                                QStringLiteral("VL Gothic"), QStringLiteral("Sans")});

    benchmark::Initialize(&argc, argv);
    if (benchmark::ReportUnrecognizedArguments(argc, argv))
        return 1;
    RatioReporter reporter;
    benchmark::RunSpecifiedBenchmarks(&reporter);
    benchmark::Shutdown();
    std::fflush(stdout);
    PrintRatio(reporter, "BM_LimitedGroupReading", "BM_RawMeminfoRead", 3.0);
    PrintRatio(reporter, "BM_WindowReading", "BM_RawMeminfoRead", 3.0);
    PrintRatio(reporter, "BM_WindowReadingShown", "BM_RawMeminfoRead", 3.0);
    return 0;
}
