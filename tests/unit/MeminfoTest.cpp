// SPDX-License-Identifier: MIT
#include "platform/MeminfoParser.h"
#include "platform/ProcMemorySource.h"

#include <gtest/gtest.h>

#include <cstdint>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <optional>
#include <ostream>
#include <string>
#include <string_view>
#include <sys/sysinfo.h>
#include <utility>
#include <vector>

using namespace std::literals;

namespace {

constexpr uint64_t KiB = 1024;
constexpr std::nullopt_t kNone = std::nullopt;

using Field = std::optional<uint64_t>;

// Expected fields in file order. Positional rather than designated
// initialisers: GCC 12 warns about every member a designated list leaves out.
MeminfoFields Fields(Field memTotal, Field memFree, Field memAvailable, Field buffers, Field cached,
                     Field swapTotal, Field swapFree)
{
    MeminfoFields f;
    f.MemTotal = memTotal;
    f.MemFree = memFree;
    f.MemAvailable = memAvailable;
    f.Buffers = buffers;
    f.Cached = cached;
    f.SwapTotal = swapTotal;
    f.SwapFree = swapFree;
    return f;
}

// A full file as a 6.x kernel writes it, with figures unlike the test
// machine's so a reading taken from it is recognisable.
constexpr std::string_view kFullText =
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
    "Zswap:                 0 kB\n"
    "Zswapped:              0 kB\n"
    "Dirty:               228 kB\n"
    "Writeback:             0 kB\n"
    "AnonPages:       2412636 kB\n"
    "Mapped:           813448 kB\n"
    "Shmem:            312128 kB\n"
    "KReclaimable:     268120 kB\n"
    "Slab:             391364 kB\n"
    "SReclaimable:     268120 kB\n"
    "SUnreclaim:       123244 kB\n"
    "KernelStack:       12052 kB\n"
    "PageTables:        31872 kB\n"
    "CommitLimit:    16547808 kB\n"
    "Committed_AS:    9082460 kB\n"
    "VmallocTotal:   34359738367 kB\n"
    "VmallocUsed:       74860 kB\n"
    "VmallocChunk:          0 kB\n"
    "Percpu:             5744 kB\n"
    "AnonHugePages:    204800 kB\n"
    "HugePages_Total:       0\n"
    "HugePages_Free:        0\n"
    "HugePages_Rsvd:        0\n"
    "HugePages_Surp:        0\n"
    "Hugepagesize:       2048 kB\n"
    "Hugetlb:               0 kB\n"
    "DirectMap4k:      428672 kB\n"
    "DirectMap2M:    16068480 kB\n";

const MeminfoFields kFullFields =
    Fields(16318412 * KiB, 1203344 * KiB, 9876540 * KiB, 402112 * KiB, 8123456 * KiB, 8388604 * KiB, 8126460 * KiB);
const MemoryStatus kFullMemory{.AvailPhys = 9876540 * KiB, .TotalPhys = 16318412 * KiB};
const SwapStatus kFullSwap{.Total = 8388604 * KiB, .InUse = (8388604 - 8126460) * KiB};

void ExpectFields(const MeminfoFields& actual, const MeminfoFields& expected)
{
    EXPECT_EQ(actual.MemTotal, expected.MemTotal) << "MemTotal";
    EXPECT_EQ(actual.MemFree, expected.MemFree) << "MemFree";
    EXPECT_EQ(actual.MemAvailable, expected.MemAvailable) << "MemAvailable";
    EXPECT_EQ(actual.Buffers, expected.Buffers) << "Buffers";
    EXPECT_EQ(actual.Cached, expected.Cached) << "Cached";
    EXPECT_EQ(actual.SwapTotal, expected.SwapTotal) << "SwapTotal";
    EXPECT_EQ(actual.SwapFree, expected.SwapFree) << "SwapFree";
}

void ExpectMemory(const std::optional<MemoryStatus>& actual, const std::optional<MemoryStatus>& expected)
{
    ASSERT_EQ(actual.has_value(), expected.has_value()) << "memory half present";
    if (!expected)
        return;
    EXPECT_EQ(actual->AvailPhys, expected->AvailPhys) << "AvailPhys";
    EXPECT_EQ(actual->TotalPhys, expected->TotalPhys) << "TotalPhys";
}

void ExpectSwap(const std::optional<SwapStatus>& actual, const std::optional<SwapStatus>& expected)
{
    ASSERT_EQ(actual.has_value(), expected.has_value()) << "swap half present";
    if (!expected)
        return;
    EXPECT_EQ(actual->Total, expected->Total) << "swap Total";
    EXPECT_EQ(actual->InUse, expected->InUse) << "swap InUse";
}

struct MeminfoCase {
    std::string name;
    std::string_view text;
    MeminfoFields fields;
    std::optional<MemoryStatus> memory;
    std::optional<SwapStatus> swap;
};

// Failures name the row rather than dumping its bytes.
void PrintTo(const MeminfoCase& c, std::ostream* os)
{
    *os << c.name;
}

std::vector<MeminfoCase> MeminfoCases()
{
    return {
        {"FullFile", kFullText, kFullFields, kFullMemory, kFullSwap},
        {"NoTrailingNewline",
         "MemTotal: 2048 kB\nMemAvailable: 1024 kB\nSwapTotal: 512 kB\nSwapFree: 256 kB",
         Fields(2048 * KiB, kNone, 1024 * KiB, kNone, kNone, 512 * KiB, 256 * KiB),
         MemoryStatus{1024 * KiB, 2048 * KiB},
         SwapStatus{512 * KiB, 256 * KiB}},
        // No swap configured: a reading of 0 of 0, not a failed one.
        {"SwapTotalZero",
         "MemTotal: 2048 kB\nMemAvailable: 1024 kB\nSwapTotal:             0 kB\nSwapFree:              0 kB\n",
         Fields(2048 * KiB, kNone, 1024 * KiB, kNone, kNone, 0, 0),
         MemoryStatus{1024 * KiB, 2048 * KiB},
         SwapStatus{0, 0}},
        // Kernels before 3.14.
        {"NoMemAvailableFallsBackToSum",
         "MemTotal: 8000 kB\nMemFree: 1000 kB\nBuffers: 200 kB\nCached: 3000 kB\n",
         Fields(8000 * KiB, 1000 * KiB, kNone, 200 * KiB, 3000 * KiB, kNone, kNone),
         MemoryStatus{4200 * KiB, 8000 * KiB},
         std::nullopt},
        {"FallbackWithoutCached",
         "MemTotal: 8000 kB\nMemFree: 1000 kB\nBuffers: 200 kB\n",
         Fields(8000 * KiB, 1000 * KiB, kNone, 200 * KiB, kNone, kNone, kNone),
         std::nullopt,
         std::nullopt},
        {"NoMemTotal",
         "MemFree: 1000 kB\nMemAvailable: 900 kB\nSwapTotal: 100 kB\nSwapFree: 40 kB\n",
         Fields(kNone, 1000 * KiB, 900 * KiB, kNone, kNone, 100 * KiB, 40 * KiB),
         std::nullopt,
         SwapStatus{100 * KiB, 60 * KiB}},
        {"NoSwapLines",
         "MemTotal: 2048 kB\nMemAvailable: 1024 kB\nSwapCached: 0 kB\n",
         Fields(2048 * KiB, kNone, 1024 * KiB, kNone, kNone, kNone, kNone),
         MemoryStatus{1024 * KiB, 2048 * KiB},
         std::nullopt},
        {"SwapFreeWithoutSwapTotal",
         "MemTotal: 2048 kB\nMemAvailable: 1024 kB\nSwapFree: 40 kB\n",
         Fields(2048 * KiB, kNone, 1024 * KiB, kNone, kNone, kNone, 40 * KiB),
         MemoryStatus{1024 * KiB, 2048 * KiB},
         std::nullopt},
        // Lookalike names come first, where a prefix match would take them.
        {"KeyIsPrefixOfAnother",
         "MemTotalX: 1 kB\nMemTotal: 4096 kB\nMemAvailableX: 9 kB\nMemAvailable: 1024 kB\n"
         "Mem: 5 kB\nXMemFree: 3 kB\nSwapTotal: 100 kB\nSwapFreeX: 7 kB\nSwapFre: 6 kB\n",
         Fields(4096 * KiB, kNone, 1024 * KiB, kNone, kNone, 100 * KiB, kNone),
         MemoryStatus{1024 * KiB, 4096 * KiB},
         std::nullopt},
        // 2^54 kB is 2^64 bytes: one past what fits. A plain count may reach
        // the 64-bit limit itself.
        {"HugeNumbers",
         "MemTotal: 18014398509481984 kB\nMemFree: 99999999999999999999999 kB\n"
         "Buffers: 18446744073709551615\nCached: 18446744073709551616\n"
         "SwapTotal: 18014398509481983 kB\nSwapFree: 0 kB\n",
         Fields(kNone, kNone, kNone, UINT64_MAX, kNone, 18446744073709550592u, 0),
         std::nullopt,
         SwapStatus{18446744073709550592u, 18446744073709550592u}},
        {"MalformedValues",
         "MemTotal: abc kB\nMemFree: -5 kB\nMemAvailable: 12x kB\nBuffers: 12 MB\nCached:\n"
         "SwapTotal: 1 2 kB\nSwapFree: 12kB\n",
         {},
         std::nullopt,
         std::nullopt},
        // Binary junk must neither crash nor stop the lines after it.
        {"GarbageThenGoodLine",
         "\xff\xfe\x00garbage\x00:\x01 kB\n:::\n\n:\nMemTotal\n\x00MemFree: 1 kB\nMemTotal:\t3 kB"sv,
         Fields(3 * KiB, kNone, kNone, kNone, kNone, kNone, kNone),
         std::nullopt,
         std::nullopt},
        {"Empty", "", {}, std::nullopt, std::nullopt},
        // The fallback sum in particular can exceed the total; the bar is
        // drawn free against total, so free is held to the total.
        {"FreeAboveTotalIsClamped",
         "MemTotal: 1000 kB\nMemFree: 900 kB\nBuffers: 200 kB\nCached: 300 kB\nSwapTotal: 100 kB\nSwapFree: 300 kB\n",
         Fields(1000 * KiB, 900 * KiB, kNone, 200 * KiB, 300 * KiB, 100 * KiB, 300 * KiB),
         MemoryStatus{1000 * KiB, 1000 * KiB},
         SwapStatus{100 * KiB, 0}},
        {"CrlfTabsAndUnitlessCount",
         "MemTotal:\t4096 kB\r\nMemAvailable: 2048\r\n",
         Fields(4096 * KiB, kNone, 2048, kNone, kNone, kNone, kNone),
         MemoryStatus{2048, 4096 * KiB},
         std::nullopt},
        {"DuplicateKeyFirstLineWins",
         "MemTotal: 4096 kB\nMemAvailable: 1024 kB\nMemTotal: junk\nMemAvailable: 2 kB\n",
         Fields(4096 * KiB, kNone, 1024 * KiB, kNone, kNone, kNone, kNone),
         MemoryStatus{1024 * KiB, 4096 * KiB},
         std::nullopt},
    };
}

class MeminfoText : public ::testing::TestWithParam<MeminfoCase> {};

TEST_P(MeminfoText, ParsesFieldsAndBothHalves)
{
    const MeminfoCase& c = GetParam();
    const MeminfoFields fields = ParseMeminfo(c.text);
    ExpectFields(fields, c.fields);
    ExpectMemory(MemoryFromMeminfo(fields), c.memory);
    ExpectSwap(SwapFromMeminfo(fields), c.swap);
}

INSTANTIATE_TEST_SUITE_P(MeminfoFixtures, MeminfoText, ::testing::ValuesIn(MeminfoCases()),
                         [](const ::testing::TestParamInfo<MeminfoCase>& info) { return info.param.name; });

uint64_t SysinfoTotalBytes()
{
    struct sysinfo info {};
    EXPECT_EQ(::sysinfo(&info), 0);
    return static_cast<uint64_t>(info.totalram) * (info.mem_unit != 0 ? info.mem_unit : 1);
}

class ProcMemorySourceTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        std::string pattern = (std::filesystem::temp_directory_path() / "pelorin-meminfo-XXXXXX").string();
        ASSERT_NE(::mkdtemp(pattern.data()), nullptr);
        dir_ = pattern;
    }

    void TearDown() override
    {
        std::error_code ignored;
        std::filesystem::remove_all(dir_, ignored);
    }

    std::string WriteFile(std::string_view text)
    {
        const std::filesystem::path path = dir_ / "meminfo";
        std::ofstream out(path, std::ios::binary | std::ios::trunc);
        out << text;
        out.close();
        EXPECT_TRUE(out) << "could not write " << path;
        return path.string();
    }

    std::filesystem::path dir_;
};

TEST_F(ProcMemorySourceTest, BothHalvesFromTheFile)
{
    ProcMemorySource source(WriteFile(kFullText));
    const MemoryReading reading = source.Read();
    ExpectMemory(reading.Mem, kFullMemory);
    ExpectSwap(reading.Swap, kFullSwap);
}

TEST_F(ProcMemorySourceTest, EveryReadTakesTheFileAfresh)
{
    const std::string path = WriteFile("MemTotal: 4096 kB\nMemAvailable: 1024 kB\n");
    ProcMemorySource source(path);
    ExpectMemory(source.Read().Mem, MemoryStatus{1024 * KiB, 4096 * KiB});

    WriteFile("MemTotal: 4096 kB\nMemAvailable: 3000 kB\nSwapTotal: 10 kB\nSwapFree: 4 kB\n");
    const MemoryReading second = source.Read();
    ExpectMemory(second.Mem, MemoryStatus{3000 * KiB, 4096 * KiB});
    ExpectSwap(second.Swap, SwapStatus{10 * KiB, 6 * KiB});
}

TEST_F(ProcMemorySourceTest, MemoryFromSysinfoWhenTheFileLacksMemoryLines)
{
    ProcMemorySource source(WriteFile("SwapTotal: 100 kB\nSwapFree: 40 kB\n"));
    const MemoryReading reading = source.Read();
    EXPECT_EQ(reading.Mem.TotalPhys, SysinfoTotalBytes());
    EXPECT_LE(reading.Mem.AvailPhys, reading.Mem.TotalPhys);
    ExpectSwap(reading.Swap, SwapStatus{100 * KiB, 60 * KiB});
}

// Sources that give no text: memory still comes (from sysinfo), swap does not.
TEST_F(ProcMemorySourceTest, UnreadableSourceFallsBackForMemoryOnly)
{
    const std::vector<std::pair<std::string, std::string>> sources = {
        {"missing file", (dir_ / "no-such-file").string()},
        {"directory", dir_.string()},
        {"empty file", WriteFile("")},
        // A never-ending device must end in a failed read, not a hang.
        {"endless device", "/dev/zero"},
    };
    for (const auto& [what, path] : sources) {
        SCOPED_TRACE(what);
        ProcMemorySource source(path);
        const MemoryReading reading = source.Read();
        EXPECT_EQ(reading.Mem.TotalPhys, SysinfoTotalBytes());
        EXPECT_GT(reading.Mem.AvailPhys, 0u);
        EXPECT_LE(reading.Mem.AvailPhys, reading.Mem.TotalPhys);
        EXPECT_FALSE(reading.Swap.has_value());
    }
}

TEST(ProcMemorySourceLive, ReadsTheRealProcMeminfo)
{
    ProcMemorySource source;
    const MemoryReading reading = source.Read();
    EXPECT_GT(reading.Mem.TotalPhys, 0u);
    EXPECT_LE(reading.Mem.AvailPhys, reading.Mem.TotalPhys);
    // The kernel always writes the swap lines, "0 kB" when there is no swap.
    ASSERT_TRUE(reading.Swap.has_value());
    EXPECT_LE(reading.Swap->InUse, reading.Swap->Total);
}

}  // namespace
