// SPDX-License-Identifier: MIT
#include "platform/CgroupParser.h"
#include "platform/KernelFile.h"
#include "platform/MeminfoParser.h"
#include "platform/ProcMemorySource.h"

#include <benchmark/benchmark.h>

#include <cstdint>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <optional>
#include <string>
#include <string_view>
#include <unistd.h>

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

// The yardstick: the machine's figures alone, open, read, close, parse,
// both halves.
void BM_RawMeminfoRead(benchmark::State& state)
{
    ProcMemorySource source("/proc/meminfo");
    for (auto _ : state) {
        MemoryReading reading = source.Read();
        benchmark::DoNotOptimize(reading);
    }
}
BENCHMARK(BM_RawMeminfoRead);

// One reading as the window takes it, in whatever control group the
// benchmark runs: /proc/meminfo plus the limit files of the groups above.
void BM_SourceReading(benchmark::State& state)
{
    ProcMemorySource source;
    for (auto _ : state) {
        MemoryReading reading = source.Read();
        benchmark::DoNotOptimize(reading);
    }
}
BENCHMARK(BM_SourceReading);

bool WriteText(const std::string& path, const std::string& text)
{
    std::ofstream out(path, std::ios::trunc);
    out << text;
    out.close();
    return static_cast<bool>(out);
}

// A real memory-limited group of 1 GiB beside the benchmark's own, with a
// /proc stand-in that names it as the program's group: the reading then
// goes through the kernel's own limit files without moving this process.
// Needs root and a writable memory controller; removed again at the end.
class LimitedGroup {
public:
    LimitedGroup()
    {
        const std::optional<std::string> mountinfo = ReadWholeFile("/proc/self/mountinfo", 16 << 20);
        if (!mountinfo)
            return;
        const std::string name = "pelorin-bench-" + std::to_string(::getpid());
        for (const CgroupHierarchy hierarchy : {CgroupHierarchy::LegacyMemory, CgroupHierarchy::Unified}) {
            for (const CgroupMount& mount : ParseCgroupMounts(*mountinfo)) {
                if (mount.Hierarchy != hierarchy || !folder_.empty())
                    continue;
                const std::string folder = mount.MountPoint + "/" + name;
                std::error_code error;
                if (!std::filesystem::create_directory(folder, error))
                    continue;
                const bool legacy = hierarchy == CgroupHierarchy::LegacyMemory;
                if (!WriteText(folder + (legacy ? "/memory.limit_in_bytes" : "/memory.max"), "1073741824\n")) {
                    std::filesystem::remove(folder, error);
                    continue;
                }
                folder_ = folder;
                const std::string group = (mount.Root == "/" ? "" : mount.Root) + "/" + name;
                proc_ = std::filesystem::temp_directory_path() / name;
                std::filesystem::create_directories(proc_ + "/self", error);
                WriteText(proc_ + "/self/mountinfo", *mountinfo);
                WriteText(proc_ + "/self/cgroup", legacy ? "1:memory:" + group + "\n0::/\n" : "0::" + group + "\n");
            }
        }
    }
    ~LimitedGroup()
    {
        std::error_code ignored;
        if (!folder_.empty())
            std::filesystem::remove(folder_, ignored);
        if (!proc_.empty())
            std::filesystem::remove_all(proc_, ignored);
    }
    LimitedGroup(const LimitedGroup&) = delete;
    LimitedGroup& operator=(const LimitedGroup&) = delete;

    bool Made() const { return !folder_.empty(); }
    CgroupRoots Roots() const { return CgroupRoots{proc_, "/"}; }

private:
    std::string folder_;
    std::string proc_;
};

// One reading with a 1 GiB limit in force: the goal is within 3x of the raw read.
void BM_LimitedGroupReading(benchmark::State& state)
{
    LimitedGroup group;
    if (!group.Made()) {
        state.SkipWithError("needs root and a writable memory controller to make a group");
        return;
    }
    ProcMemorySource source("/proc/meminfo", group.Roots());
    if (source.Read().Mem.TotalPhys != (uint64_t{1} << 30)) {
        state.SkipWithError("the group's limit did not show in the reading");
        return;
    }
    for (auto _ : state) {
        MemoryReading reading = source.Read();
        benchmark::DoNotOptimize(reading);
    }
}
BENCHMARK(BM_LimitedGroupReading);

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
