// SPDX-License-Identifier: MIT
#include "platform/MeminfoParser.h"
#include "platform/ProcMemorySource.h"

#include <benchmark/benchmark.h>

#include <string_view>

namespace {

// The head of a real file; the figures do not matter, the line shapes do.
constexpr std::string_view kMeminfoText =
    "MemTotal:       16318412 kB\n"
    "MemFree:         1203344 kB\n"
    "MemAvailable:    9876540 kB\n"
    "Buffers:          402112 kB\n"
    "Cached:          8123456 kB\n"
    "SwapCached:        10240 kB\n"
    "Active:          5123456 kB\n"
    "Inactive:        7654321 kB\n"
    "Active(anon):    2345678 kB\n"
    "Inactive(anon):   123456 kB\n"
    "Active(file):    2777778 kB\n"
    "Inactive(file):  7530865 kB\n"
    "Unevictable:       17812 kB\n"
    "Mlocked:           14660 kB\n"
    "SwapTotal:       8388604 kB\n"
    "SwapFree:        8126460 kB\n"
    "Dirty:               228 kB\n"
    "Writeback:             0 kB\n"
    "AnonPages:       2412636 kB\n"
    "Mapped:           813448 kB\n"
    "Shmem:            312128 kB\n"
    "Slab:             391364 kB\n"
    "CommitLimit:    16547808 kB\n"
    "Committed_AS:    9082460 kB\n"
    "VmallocTotal:   34359738367 kB\n"
    "HugePages_Total:       0\n"
    "HugePages_Free:        0\n"
    "Hugepagesize:       2048 kB\n"
    "DirectMap4k:      428672 kB\n"
    "DirectMap2M:    16068480 kB\n";

// One reading as the window takes it: open, read, close, parse, both halves.
void BM_RawMeminfoRead(benchmark::State& state)
{
    ProcMemorySource source;
    for (auto _ : state) {
        MemoryReading reading = source.Read();
        benchmark::DoNotOptimize(reading);
    }
}
BENCHMARK(BM_RawMeminfoRead);

// The parsing alone, without the kernel's cost of producing the file.
void BM_ParseOnly(benchmark::State& state)
{
    for (auto _ : state) {
        const MeminfoFields fields = ParseMeminfo(kMeminfoText);
        auto memory = MemoryFromMeminfo(fields);
        auto swap = SwapFromMeminfo(fields);
        benchmark::DoNotOptimize(memory);
        benchmark::DoNotOptimize(swap);
    }
    state.SetBytesProcessed(static_cast<int64_t>(state.iterations()) *
                            static_cast<int64_t>(kMeminfoText.size()));
}
BENCHMARK(BM_ParseOnly);

}  // namespace
