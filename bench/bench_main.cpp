// SPDX-License-Identifier: MIT
#include <QApplication>
#include <QFont>
#include <benchmark/benchmark.h>

#include <algorithm>
#include <cstdio>
#include <map>
#include <string>
#include <vector>

namespace {

// The console table as usual, plus the real time of every run kept by name so
// that the cost of a window reading can be set against the bare read once all
// benchmarks are done.
class RatioReporter : public benchmark::ConsoleReporter {
public:
    void ReportRuns(const std::vector<Run>& runs) override
    {
        ConsoleReporter::ReportRuns(runs);
        for (const Run& run : runs) {
            if (run.run_type != Run::RT_Iteration || run.error_occurred)
                continue;
            // In nanoseconds whatever unit a benchmark chose for its table.
            const double ns = run.GetAdjustedRealTime() / benchmark::GetTimeUnitMultiplier(run.time_unit) * 1e9;
            timesNs_[run.run_name.function_name].push_back(ns);
        }
    }

    // The median of the repetitions (one unless --benchmark_repetitions),
    // or a negative value when the benchmark did not run.
    double MedianNs(const std::string& name) const
    {
        const auto found = timesNs_.find(name);
        if (found == timesNs_.end() || found->second.empty())
            return -1.0;
        std::vector<double> times = found->second;
        std::sort(times.begin(), times.end());
        const size_t mid = times.size() / 2;
        return times.size() % 2 ? times[mid] : (times[mid - 1] + times[mid]) / 2.0;
    }

private:
    std::map<std::string, std::vector<double>> timesNs_;
};

void PrintRatio(const RatioReporter& reporter, const char* window, const char* raw, double goal)
{
    const double windowNs = reporter.MedianNs(window);
    const double rawNs = reporter.MedianNs(raw);
    if (windowNs < 0 || rawNs <= 0)
        return;
    const double ratio = windowNs / rawNs;
    std::printf("%s / %s: %.0f ns / %.0f ns = %.2fx (goal <= %.1fx: %s)\n", window, raw, windowNs, rawNs,
                ratio, goal, ratio <= goal ? "met" : "missed");
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
    PrintRatio(reporter, "BM_WindowReading", "BM_RawMeminfoRead", 3.0);
    PrintRatio(reporter, "BM_WindowReadingShown", "BM_RawMeminfoRead", 3.0);
    return 0;
}
