// SPDX-License-Identifier: MIT
#include "platform/CgroupParser.h"
#include "platform/ProcMemorySource.h"

#include "ScratchDir.h"

#include <gtest/gtest.h>

#include <cstdint>
#include <optional>
#include <ostream>
#include <string>
#include <utility>
#include <vector>

namespace {

constexpr uint64_t KiB = 1024;
constexpr uint64_t MiB = 1024 * KiB;
constexpr uint64_t GiB = 1024 * MiB;

std::string Kb(uint64_t bytes)
{
    return std::to_string(bytes / KiB) + " kB";
}

std::string Meminfo(uint64_t total, uint64_t avail, uint64_t swapTotal, uint64_t swapFree)
{
    return "MemTotal:       " + Kb(total) + "\nMemFree:         1000 kB\nMemAvailable:   " + Kb(avail) +
           "\nBuffers:          100 kB\nCached:          2000 kB\nSwapTotal:      " + Kb(swapTotal) +
           "\nSwapFree:       " + Kb(swapFree) + "\n";
}

// A 16 GiB machine with 12 GiB available and 6 of 8 GiB swap free.
const std::string kMachine = Meminfo(16 * GiB, 12 * GiB, 8 * GiB, 6 * GiB);
const MemoryReading kMachineReading{{12 * GiB, 16 * GiB}, SwapStatus{8 * GiB, 2 * GiB}};

// A unified-only machine as systemd sets it up, the program in a session scope.
constexpr const char* kUnifiedMounts =
    "22 1 259:2 / / rw,relatime shared:1 - ext4 /dev/root rw\n"
    "30 23 0:26 / /sys/fs/cgroup rw,nosuid,nodev,noexec,relatime shared:4 - cgroup2 cgroup2 "
    "rw,nsdelegate,memory_recursiveprot\n";
constexpr const char* kSessionGroup = "0::/user.slice/user-1000.slice/session-2.scope\n";
constexpr const char* kCg = "sys/fs/cgroup";
const std::string kSlice = std::string(kCg) + "/user.slice";
const std::string kUserSlice = kSlice + "/user-1000.slice";
const std::string kScope = kUserSlice + "/session-2.scope";

// The legacy memory controller beside an empty unified mount, as older
// distributions and some virtual machines have it.
constexpr const char* kHybridMounts =
    "31 22 0:28 / /sys/fs/cgroup rw,relatime - tmpfs tmpfs rw,mode=755\n"
    "32 31 0:29 / /sys/fs/cgroup/cpu rw,relatime - cgroup cgroup rw,cpu\n"
    "35 31 0:32 / /sys/fs/cgroup/memory rw,relatime - cgroup cgroup rw,memory\n"
    "41 31 0:38 / /sys/fs/cgroup/unified rw,relatime - cgroup2 cgroup2 rw\n";
constexpr const char* kLegacyGroup = "5:memory:/apps/editor\n1:cpu:/\n0::/\n";
const std::string kMem = "sys/fs/cgroup/memory";
constexpr const char* kLegacyUnlimited = "9223372036854771712\n";

using Files = std::vector<std::pair<std::string, std::string>>;

std::string Stat(uint64_t inactiveFile)
{
    return "anon 1000\nfile 2000\nactive_anon 10\ninactive_anon 20\nactive_file 30\ninactive_file " +
           std::to_string(inactiveFile) + "\nunevictable 0\n";
}

std::string Figure(uint64_t bytes)
{
    return std::to_string(bytes) + "\n";
}

// One unified group: its limit, usage and reclaimable cache, swap limit and usage.
Files UnifiedGroup(const std::string& dir, std::string max, uint64_t current, uint64_t inactive,
                   std::string swapMax = "max\n", uint64_t swapCurrent = 0)
{
    return {{dir + "/memory.max", std::move(max)},
            {dir + "/memory.current", Figure(current)},
            {dir + "/memory.stat", Stat(inactive)},
            {dir + "/memory.swap.max", std::move(swapMax)},
            {dir + "/memory.swap.current", Figure(swapCurrent)}};
}

Files Join(std::vector<Files> parts)
{
    Files all;
    for (Files& part : parts)
        all.insert(all.end(), part.begin(), part.end());
    return all;
}

// The three systemd levels with no limit anywhere; the root has no memory.max.
Files UnlimitedPath()
{
    return Join({UnifiedGroup(kSlice, "max\n", 3 * GiB, 0), UnifiedGroup(kUserSlice, "max\n", 3 * GiB, 0),
                 UnifiedGroup(kScope, "max\n", 1 * GiB, 0), {{std::string(kCg) + "/cgroup.procs", "1\n"}}});
}

// Later entries for the same file replace earlier ones.
Files With(Files base, const Files& changes)
{
    for (const auto& change : changes) {
        bool replaced = false;
        for (auto& entry : base) {
            if (entry.first == change.first) {
                entry.second = change.second;
                replaced = true;
            }
        }
        if (!replaced)
            base.push_back(change);
    }
    return base;
}

std::string LegacyStat(uint64_t hierLimit, uint64_t hierMemsw, uint64_t totalInactive)
{
    return "cache 0\nrss 0\ninactive_file 7\nhierarchical_memory_limit " + std::to_string(hierLimit) +
           "\nhierarchical_memsw_limit " + std::to_string(hierMemsw) + "\ntotal_rss 0\ntotal_inactive_file " +
           std::to_string(totalInactive) + "\n";
}

Files LegacyGroup(const std::string& dir, uint64_t limit, uint64_t usage, uint64_t memswLimit, uint64_t memswUsage,
                  const std::string& stat)
{
    return {{dir + "/memory.limit_in_bytes", Figure(limit)},
            {dir + "/memory.usage_in_bytes", Figure(usage)},
            {dir + "/memory.memsw.limit_in_bytes", Figure(memswLimit)},
            {dir + "/memory.memsw.usage_in_bytes", Figure(memswUsage)},
            {dir + "/memory.stat", stat}};
}

constexpr uint64_t kLegacyMax = 9223372036854771712u;

struct CgroupCase {
    std::string name;
    std::string meminfo;
    std::string mountinfo;
    std::string membership;
    Files files;
    MemoryReading expected;
};

void PrintTo(const CgroupCase& c, std::ostream* os)
{
    *os << c.name;
}

MemoryReading Reading(uint64_t avail, uint64_t total, std::optional<SwapStatus> swap)
{
    return MemoryReading{{avail, total}, swap};
}

std::vector<CgroupCase> CgroupCases()
{
    const Files unlimited = UnlimitedPath();
    return {
        {"NoLimitAnywhere", kMachine, kUnifiedMounts, kSessionGroup, unlimited, kMachineReading},
        // 1 GiB, 600 MiB used of which 100 MiB is droppable cache.
        {"LimitOnOwnGroup", kMachine, kUnifiedMounts, kSessionGroup,
         With(unlimited, UnifiedGroup(kScope, "1073741824\n", 600 * MiB, 100 * MiB)),
         Reading(524 * MiB, 1 * GiB, SwapStatus{8 * GiB, 2 * GiB})},
        {"ParentSliceTighterThanChild", kMachine, kUnifiedMounts, kSessionGroup,
         With(unlimited, Join({UnifiedGroup(kSlice, Figure(2 * GiB), 1536 * MiB, 0),
                               UnifiedGroup(kScope, Figure(4 * GiB), 1 * GiB, 0)})),
         Reading(512 * MiB, 2 * GiB, SwapStatus{8 * GiB, 2 * GiB})},
        // The child's limit is the smaller, but its parent is nearly full
        // with its siblings: the child cannot take more than the parent has.
        {"FullParentLimitsTheRoomOfALooserChild", kMachine, kUnifiedMounts, kSessionGroup,
         With(unlimited, Join({UnifiedGroup(kUserSlice, Figure(3 * GiB), 3 * GiB - 100 * MiB, 0),
                               UnifiedGroup(kScope, Figure(1 * GiB), 200 * MiB, 0)})),
         Reading(100 * MiB, 1 * GiB, SwapStatus{8 * GiB, 2 * GiB})},
        {"LimitAboveMemTotalIgnored", kMachine, kUnifiedMounts, kSessionGroup,
         With(unlimited, UnifiedGroup(kScope, Figure(32 * GiB), 1 * GiB, 0, Figure(64 * GiB))), kMachineReading},
        {"SwapMaxZeroMeansNoSwap", kMachine, kUnifiedMounts, kSessionGroup,
         With(unlimited, UnifiedGroup(kScope, Figure(1 * GiB), 0, 0, "0\n")),
         Reading(1 * GiB, 1 * GiB, SwapStatus{0, 0})},
        {"SwapLimitAndUsage", kMachine, kUnifiedMounts, kSessionGroup,
         With(unlimited, UnifiedGroup(kUserSlice, "max\n", 0, 0, Figure(2 * GiB), 512 * MiB)),
         Reading(12 * GiB, 16 * GiB, SwapStatus{2 * GiB, 512 * MiB})},
        // The group may swap 4 GiB but the machine has only 1 GiB free.
        {"SwapRoomHeldToMachineFreeSwap", Meminfo(16 * GiB, 12 * GiB, 8 * GiB, 1 * GiB), kUnifiedMounts,
         kSessionGroup, With(unlimited, UnifiedGroup(kScope, "max\n", 0, 0, Figure(4 * GiB), 0)),
         Reading(12 * GiB, 16 * GiB, SwapStatus{4 * GiB, 3 * GiB})},
        {"UsageAboveLimitLeavesNothing", kMachine, kUnifiedMounts, kSessionGroup,
         With(unlimited, UnifiedGroup(kScope, Figure(1 * GiB), 1200 * MiB, 10 * MiB)),
         Reading(0, 1 * GiB, SwapStatus{8 * GiB, 2 * GiB})},
        {"RoomHeldToMachineAvailable", Meminfo(16 * GiB, 2 * GiB, 8 * GiB, 6 * GiB), kUnifiedMounts, kSessionGroup,
         With(unlimited, UnifiedGroup(kScope, Figure(8 * GiB), 0, 0)),
         Reading(2 * GiB, 8 * GiB, SwapStatus{8 * GiB, 2 * GiB})},
        // Figures past 32 bits everywhere: a 6 TiB machine, a 5 TiB + 3 byte limit.
        {"FiguresBeyond32Bits", Meminfo(6 * 1024 * GiB, 6 * 1024 * GiB, 8 * 1024 * GiB, 8 * 1024 * GiB),
         kUnifiedMounts, kSessionGroup,
         With(unlimited, UnifiedGroup(kScope, Figure(5 * 1024 * GiB + 3), 4 * 1024 * GiB, 512 * GiB,
                                      Figure(6 * 1024 * GiB), 5 * GiB)),
         Reading(1536 * GiB + 3, 5 * 1024 * GiB + 3, SwapStatus{6 * 1024 * GiB, 5 * GiB})},
        // Legacy: the parent holds the limit; the program's group names it
        // as its hierarchical limit too. Memory plus swap 1.5 GiB: 512 MiB swap,
        // of which the group uses 100 MiB.
        {"LegacyLimitOnParent", kMachine, kHybridMounts, kLegacyGroup,
         Join({LegacyGroup(kMem, kLegacyMax, 5 * GiB, kLegacyMax, 5 * GiB, LegacyStat(kLegacyMax, kLegacyMax, 0)),
               LegacyGroup(kMem + "/apps", 1 * GiB, 700 * MiB, 1536 * MiB, 800 * MiB,
                           LegacyStat(1 * GiB, 1536 * MiB, 200 * MiB)),
               LegacyGroup(kMem + "/apps/editor", kLegacyMax, 300 * MiB, kLegacyMax, 300 * MiB,
                           LegacyStat(1 * GiB, 1536 * MiB, 50 * MiB))}),
         Reading(524 * MiB, 1 * GiB, SwapStatus{512 * MiB, 100 * MiB})},
        // The hierarchy's own root (marked by cgroup.sane_behavior) takes no
        // limit and is not read: its unreadable figure changes nothing.
        {"LegacyRootNotRead", kMachine, kHybridMounts, kLegacyGroup,
         Join({{{kMem + "/cgroup.sane_behavior", "0\n"}, {kMem + "/memory.limit_in_bytes", "garbage\n"}},
               LegacyGroup(kMem + "/apps", kLegacyMax, 0, kLegacyMax, 0, LegacyStat(kLegacyMax, kLegacyMax, 0)),
               LegacyGroup(kMem + "/apps/editor", 2 * GiB, 1 * GiB, kLegacyMax, 1 * GiB, LegacyStat(2 * GiB, kLegacyMax, 0))}),
         Reading(1 * GiB, 2 * GiB, SwapStatus{8 * GiB, 2 * GiB})},
        // A container sees only its own group; the limit sits on a group
        // above it and shows only as the hierarchical limit.
        {"LegacyHierarchicalLimitFromHiddenParent", kMachine,
         "40 31 0:32 /docker/abc /sys/fs/cgroup/memory ro,nosuid - cgroup cgroup rw,memory\n",
         "9:memory:/docker/abc\n",
         LegacyGroup(kMem, kLegacyMax, 1 * GiB, kLegacyMax, 1280 * MiB,
                     LegacyStat(2 * GiB, 3 * GiB, 100 * MiB)),
         Reading(1124 * MiB, 2 * GiB, SwapStatus{1 * GiB, 256 * MiB})},
        // Without swap accounting the memsw files are absent: the machine's swap.
        {"LegacyWithoutSwapAccounting", kMachine, kHybridMounts, kLegacyGroup,
         [] {
             Files files = Join({LegacyGroup(kMem, kLegacyMax, 5 * GiB, 0, 0, LegacyStat(kLegacyMax, kLegacyMax, 0)),
                                 LegacyGroup(kMem + "/apps", kLegacyMax, 0, 0, 0, LegacyStat(kLegacyMax, 0, 0)),
                                 LegacyGroup(kMem + "/apps/editor", 2 * GiB, 1 * GiB, 0, 0,
                                             LegacyStat(2 * GiB, 0, 0))});
             std::erase_if(files, [](const auto& f) { return f.first.find("memsw") != std::string::npos; });
             return files;
         }(),
         Reading(1 * GiB, 2 * GiB, SwapStatus{8 * GiB, 2 * GiB})},
        // No swap on the machine: the group's swap files are not even read.
        {"NoSwapOnTheMachine", Meminfo(16 * GiB, 12 * GiB, 0, 0), kUnifiedMounts, kSessionGroup,
         With(unlimited, UnifiedGroup(kScope, Figure(1 * GiB), 0, 0, "not a figure\n")),
         Reading(1 * GiB, 1 * GiB, SwapStatus{0, 0})},
        {"OversizedMemoryStat", kMachine, kUnifiedMounts, kSessionGroup,
         With(unlimited, {{kScope + "/memory.max", Figure(1 * GiB)},
                          {kScope + "/memory.stat", Stat(0) + std::string(70000, '#')}}),
         kMachineReading},
        {"MalformedMemoryStat", kMachine, kUnifiedMounts, kSessionGroup,
         With(unlimited, {{kScope + "/memory.max", Figure(1 * GiB)},
                          {kScope + "/memory.stat", "anon 5\ninactive_file 12x\n"}}),
         kMachineReading},
        {"MemoryStatWithoutInactiveFile", kMachine, kUnifiedMounts, kSessionGroup,
         With(unlimited, {{kScope + "/memory.max", Figure(1 * GiB)}, {kScope + "/memory.stat", "anon 5\n"}}),
         kMachineReading},
        {"MalformedLimit", kMachine, kUnifiedMounts, kSessionGroup,
         With(unlimited, {{kScope + "/memory.max", "1G\n"}}), kMachineReading},
        {"GroupPathDoesNotExist", kMachine, kUnifiedMounts, "0::/user.slice/gone.scope\n", unlimited,
         kMachineReading},
        {"NoCgroupMount", kMachine, "22 1 259:2 / / rw,relatime shared:1 - ext4 /dev/root rw\n", kSessionGroup,
         With(unlimited, {{kScope + "/memory.max", Figure(1 * GiB)}}), kMachineReading},
        {"MountShowsAnotherSubtree", kMachine,
         "30 23 0:26 /system.slice /sys/fs/cgroup rw - cgroup2 cgroup2 rw\n", kSessionGroup,
         With(unlimited, {{kScope + "/memory.max", Figure(1 * GiB)}}), kMachineReading},
        // The file holding the usage is gone while the limit is there.
        {"UsageMissingUnderALimit", kMachine, kUnifiedMounts, kSessionGroup,
         [&] {
             Files files = With(unlimited, {{kScope + "/memory.max", Figure(1 * GiB)}});
             std::erase_if(files, [](const auto& f) { return f.first == kScope + "/memory.current"; });
             return files;
         }(),
         kMachineReading},
    };
}

class CgroupTree {
public:
    void Write(const CgroupCase& c)
    {
        dir_.Write("proc/meminfo", c.meminfo);
        dir_.Write("proc/self/mountinfo", c.mountinfo);
        dir_.Write("proc/self/cgroup", c.membership);
        for (const auto& [path, text] : c.files)
            dir_.Write(path, text);
    }
    ProcMemorySource Source() const { return ProcMemorySource(dir_ / "proc/meminfo", CgroupRoots{dir_ / "proc", dir_.Path()}); }
    const ScratchDir& Dir() const { return dir_; }

private:
    ScratchDir dir_;
};

void ExpectReading(const MemoryReading& actual, const MemoryReading& expected)
{
    EXPECT_EQ(actual.Mem.TotalPhys, expected.Mem.TotalPhys) << "TotalPhys";
    EXPECT_EQ(actual.Mem.AvailPhys, expected.Mem.AvailPhys) << "AvailPhys";
    ASSERT_EQ(actual.Swap.has_value(), expected.Swap.has_value()) << "swap half present";
    if (!expected.Swap)
        return;
    EXPECT_EQ(actual.Swap->Total, expected.Swap->Total) << "swap Total";
    EXPECT_EQ(actual.Swap->InUse, expected.Swap->InUse) << "swap InUse";
}

class CgroupReading : public ::testing::TestWithParam<CgroupCase> {};

TEST_P(CgroupReading, HeldToTheGroupsLimits)
{
    CgroupTree tree;
    tree.Write(GetParam());
    ProcMemorySource source = tree.Source();
    ExpectReading(source.Read(), GetParam().expected);
    // The second reading runs on the files kept open by the first.
    ExpectReading(source.Read(), GetParam().expected);
}

INSTANTIATE_TEST_SUITE_P(CgroupTrees, CgroupReading, ::testing::ValuesIn(CgroupCases()),
                         [](const ::testing::TestParamInfo<CgroupCase>& info) { return info.param.name; });

// Nothing about the group is kept but its open files: new figures and a
// recovered file show at the next reading, a move to another group soon.
TEST(CgroupReadingOverTime, FollowsChangesMovesAndRecoveries)
{
    CgroupTree tree;
    tree.Write({"", kMachine, kUnifiedMounts, kSessionGroup,
                Join({UnlimitedPath(), UnifiedGroup(kCg + std::string("/other.scope"), Figure(3 * GiB), 0, 0)}),
                {}});
    const ScratchDir& dir = tree.Dir();
    ProcMemorySource source = tree.Source();
    ExpectReading(source.Read(), kMachineReading);

    dir.Write(kScope + "/memory.max", Figure(1 * GiB));
    dir.Write(kScope + "/memory.current", Figure(256 * MiB));
    ExpectReading(source.Read(), Reading(768 * MiB, 1 * GiB, SwapStatus{8 * GiB, 2 * GiB}));

    // A move shows within eight readings (the group is looked up that often).
    dir.Write("proc/self/cgroup", "0::/other.scope\n");
    bool shown = false;
    for (int i = 0; i < 8 && !shown; ++i)
        shown = source.Read().Mem.TotalPhys == 3 * GiB;
    EXPECT_TRUE(shown) << "the move did not show within eight readings";
    ExpectReading(source.Read(), Reading(3 * GiB, 3 * GiB, SwapStatus{8 * GiB, 2 * GiB}));

    dir.Write(kCg + std::string("/other.scope/memory.max"), "garbage\n");
    ExpectReading(source.Read(), kMachineReading);
    dir.Write(kCg + std::string("/other.scope/memory.max"), Figure(2 * GiB));
    ExpectReading(source.Read(), Reading(2 * GiB, 2 * GiB, SwapStatus{8 * GiB, 2 * GiB}));
}

TEST(CgroupParser, MembershipKeepsOnlyPlainPaths)
{
    const CgroupMembership m = ParseProcCgroup("12:cpu,cpuacct:/a\n4:memory,blkio:/b/c\n0::/d\n4:memory:/later\n");
    EXPECT_EQ(m.Memory, "/b/c");
    EXPECT_EQ(m.Unified, "/d");

    for (const char* text : {"0::/a/../b\n", "0::relative\n", "0::/a//b\n", "0::/a/./b\n", "x::/a\n", "0:/a\n",
                             "0::/a/\n", "0::\n"}) {
        SCOPED_TRACE(text);
        EXPECT_FALSE(ParseProcCgroup(text).Unified.has_value());
    }
    EXPECT_EQ(ParseProcCgroup("0::/\n").Unified, "/");
    // A path may hold a colon; the fields end at the second one.
    EXPECT_EQ(ParseProcCgroup("0::/a:b").Unified, "/a:b");
}

TEST(CgroupParser, MountsDecodeEscapesAndSkipOthers)
{
    const std::vector<CgroupMount> mounts = ParseCgroupMounts(
        "1 0 0:1 / /sys/fs/cgroup/cpu rw - cgroup cgroup rw,cpu\n"
        "2 0 0:2 / /mnt/my\\040groups rw shared:3 master:1 - cgroup2 none rw\n"
        "3 0 0:3 /a /sys/fs/cgroup/memory rw - cgroup cgroup rw,memory,nosuid\n"
        "4 0 0:4 / /bad\\09 rw - cgroup2 none rw\n"
        "5 0 0:5 / /no/separator rw cgroup2 none rw\n"
        "6 0 0:6 / /x/../y rw - cgroup2 none rw\n"
        "7 0 0:7 / /tmp rw - tmpfs cgroup2 memory\n");
    ASSERT_EQ(mounts.size(), 2u);
    EXPECT_EQ(mounts[0].Hierarchy, CgroupHierarchy::Unified);
    EXPECT_EQ(mounts[0].MountPoint, "/mnt/my groups");
    EXPECT_EQ(mounts[1].Hierarchy, CgroupHierarchy::LegacyMemory);
    EXPECT_EQ(mounts[1].Root, "/a");
    EXPECT_EQ(mounts[1].MountPoint, "/sys/fs/cgroup/memory");
}

TEST(CgroupParser, GroupFolderBelowTheMountRoot)
{
    const CgroupMount atRoot{CgroupHierarchy::Unified, "/", "/sys/fs/cgroup"};
    const CgroupMount atSub{CgroupHierarchy::Unified, "/docker/abc", "/sys/fs/cgroup"};
    EXPECT_EQ(GroupFolder(atRoot, "/"), "/sys/fs/cgroup");
    EXPECT_EQ(GroupFolder(atRoot, "/a/b"), "/sys/fs/cgroup/a/b");
    EXPECT_EQ(GroupFolder(atSub, "/docker/abc"), "/sys/fs/cgroup");
    EXPECT_EQ(GroupFolder(atSub, "/docker/abc/x"), "/sys/fs/cgroup/x");
    EXPECT_EQ(GroupFolder(atSub, "/docker/abcd"), std::nullopt);
    EXPECT_EQ(GroupFolder(atSub, "/"), std::nullopt);
    EXPECT_EQ(GroupFolder(atRoot, "/a/../.."), std::nullopt);
}

TEST(CgroupParser, ValuesAndStat)
{
    EXPECT_EQ(ParseCgroupValue("max\n"), kNoCgroupLimit);
    EXPECT_EQ(ParseCgroupValue("18446744073709551615\n"), UINT64_MAX);
    EXPECT_EQ(ParseCgroupValue("18446744073709551616\n"), std::nullopt);
    EXPECT_EQ(ParseCgroupValue(""), std::nullopt);
    EXPECT_EQ(ParseCgroupValue("-1\n"), std::nullopt);
    EXPECT_EQ(ParseCgroupValue("12 \n"), std::nullopt);

    const MemoryStatFields stat = ParseMemoryStat(
        "inactive_file_x 9\ninactive_file 5\ninactive_file 6\ntotal_inactive_file\nhierarchical_memory_limit 7");
    EXPECT_EQ(stat.InactiveFile, 5u);
    EXPECT_EQ(stat.TotalInactiveFile, std::nullopt);
    EXPECT_EQ(stat.HierarchicalMemoryLimit, 7u);
    EXPECT_EQ(stat.HierarchicalMemswLimit, std::nullopt);
}

}  // namespace
