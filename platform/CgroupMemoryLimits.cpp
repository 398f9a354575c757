// SPDX-License-Identifier: MIT
#include "platform/CgroupMemoryLimits.h"

#include "shared/Saturating.h"

#include <algorithm>
#include <fcntl.h>
#include <new>
#include <unistd.h>
#include <utility>

namespace {

// The kernel's cgroup files are a few hundred bytes; memory.stat is the
// largest at about 2 KiB. mountinfo can be long on machines with many mounts.
constexpr size_t kBufferSize = 64 * 1024;
constexpr size_t kMaxMountinfoSize = 16 * 1024 * 1024;
// Real paths are a handful of groups deep; this only bounds a hostile tree.
constexpr size_t kMaxLevels = 256;
// How many readings may pass before the program's group is looked up again.
constexpr unsigned kMembershipCheckInterval = 8;

struct FileNames {
    const char* limit;
    const char* usage;
    const char* stat;
    const char* swapLimit;  // on the legacy controller memory plus swap
    const char* swapUsage;  // likewise
};

constexpr FileNames kUnifiedNames{"memory.max", "memory.current", "memory.stat", "memory.swap.max",
                                  "memory.swap.current"};
constexpr FileNames kLegacyNames{"memory.limit_in_bytes", "memory.usage_in_bytes", "memory.stat",
                                 "memory.memsw.limit_in_bytes", "memory.memsw.usage_in_bytes"};

void Take(CgroupAllowance& allowance, uint64_t limit, uint64_t room)
{
    allowance.Limit = std::min(allowance.Limit, limit);
    allowance.Room = std::min(allowance.Room, std::min(room, limit));
}

std::string UnderRoot(const std::string& root, const std::string& path)
{
    if (root.empty() || root == "/")
        return path;
    std::string joined = root;
    while (!joined.empty() && joined.back() == '/')
        joined.pop_back();
    return path == "/" ? joined : joined + path;
}

std::string ParentOf(const std::string& path)
{
    const size_t slash = path.rfind('/');
    return slash == 0 || slash == std::string::npos ? std::string("/") : path.substr(0, slash);
}

}  // namespace

struct CgroupMemoryLimits::Level {
    Level() = default;
    ~Level()
    {
        if (dir >= 0)
            ::close(dir);
    }
    Level(const Level&) = delete;
    Level& operator=(const Level&) = delete;

    int dir = -1;
    // The top of the mount without memory.max is the hierarchy's root, which
    // never gets one: not looked for again until the groups are found anew.
    bool neverLimited = false;
    KeptFile limit;
    KeptFile usage;
    KeptFile stat;
    KeptFile swapLimit;
    KeptFile swapUsage;
};

namespace {

enum class Got { Value, Missing, Failed };

// The figures of one group within one reading; usage and memory.stat are read
// at most once, and only when a limit asks for them.
class LevelFigures {
public:
    LevelFigures(int dir, const FileNames& names, bool legacy, std::vector<char>& buffer)
        : dir_(dir), names_(names), legacy_(legacy), buffer_(buffer)
    {
    }

    Got Value(KeptFile& file, const char* name, uint64_t& value)
    {
        std::string_view text;
        switch (file.Read(dir_, name, buffer_, text)) {
        case KeptFile::Status::Missing:
            return Got::Missing;
        case KeptFile::Status::Failed:
            return Got::Failed;
        case KeptFile::Status::Read:
            break;
        }
        const std::optional<uint64_t> parsed = ParseCgroupValue(text);
        if (!parsed)
            return Got::Failed;
        value = *parsed;
        return Got::Value;
    }

    const MemoryStatFields* Stat(KeptFile& file)
    {
        if (!stat_) {
            std::string_view text;
            if (file.Read(dir_, names_.stat, buffer_, text) != KeptFile::Status::Read)
                return nullptr;
            stat_ = ParseMemoryStat(text);
        }
        return &*stat_;
    }

    std::optional<uint64_t> Usage(KeptFile& file)
    {
        if (!usage_) {
            uint64_t value = 0;
            if (Value(file, names_.usage, value) != Got::Value)
                return std::nullopt;
            usage_ = value;
        }
        return usage_;
    }

    // What the group may still take under limit: its usage counts the page
    // cache, of which the inactive part is dropped before anything is
    // refused, so that part is room too.
    std::optional<uint64_t> MemRoom(uint64_t limit, KeptFile& usageFile, KeptFile& statFile)
    {
        const std::optional<uint64_t> usage = Usage(usageFile);
        const MemoryStatFields* stat = Stat(statFile);
        if (!usage || !stat)
            return std::nullopt;
        const std::optional<uint64_t>& inactive = legacy_ ? stat->TotalInactiveFile : stat->InactiveFile;
        if (!inactive)
            return std::nullopt;
        return SaturatingSub(limit, SaturatingSub(*usage, *inactive));
    }

    // The legacy controller counts memory plus swap; its swap is the
    // difference of the two usages.
    std::optional<uint64_t> SwapRoom(uint64_t limit, KeptFile& swapUsageFile, KeptFile& usageFile)
    {
        uint64_t swapUsage = 0;
        if (Value(swapUsageFile, names_.swapUsage, swapUsage) != Got::Value)
            return std::nullopt;
        if (legacy_) {
            const std::optional<uint64_t> usage = Usage(usageFile);
            if (!usage)
                return std::nullopt;
            swapUsage = SaturatingSub(swapUsage, *usage);
        }
        return SaturatingSub(limit, swapUsage);
    }

private:
    int dir_;
    const FileNames& names_;
    bool legacy_;
    std::vector<char>& buffer_;
    std::optional<uint64_t> usage_;
    std::optional<MemoryStatFields> stat_;
};

// The swap a legacy group may use: its memory-plus-swap limit less the
// memory it may hold (never more than the machine has, so that two
// "unlimited" figures do not make a limit of 0).
uint64_t LegacySwapLimit(uint64_t memswLimit, uint64_t memLimit, uint64_t memTotal)
{
    return SaturatingSub(memswLimit, std::min(memLimit, memTotal));
}

}  // namespace

CgroupMemoryLimits::CgroupMemoryLimits(CgroupRoots roots)
    : roots_(std::move(roots))
    , selfCgroupPath_(roots_.Proc + "/self/cgroup")
    , buffer_(kBufferSize)
{
}

CgroupMemoryLimits::~CgroupMemoryLimits() = default;

void CgroupMemoryLimits::Drop()
{
    levels_.clear();
    builtFor_.clear();
    built_ = false;
}

bool CgroupMemoryLimits::Build(std::string_view membershipText)
{
    Drop();
    const CgroupMembership membership = ParseProcCgroup(membershipText);
    const std::optional<std::string> mountinfo = ReadWholeFile(roots_.Proc + "/self/mountinfo", kMaxMountinfoSize);
    if (!mountinfo)
        return false;
    const std::vector<CgroupMount> mounts = ParseCgroupMounts(*mountinfo);

    // Where the legacy memory controller is mounted it holds the memory
    // figures; the unified hierarchy beside it then has none.
    std::optional<std::string> folder;
    std::string top;
    for (const CgroupHierarchy hierarchy : {CgroupHierarchy::LegacyMemory, CgroupHierarchy::Unified}) {
        const std::optional<std::string>& group =
            hierarchy == CgroupHierarchy::LegacyMemory ? membership.Memory : membership.Unified;
        if (!group)
            continue;
        for (const CgroupMount& mount : mounts) {
            if (mount.Hierarchy != hierarchy)
                continue;
            folder = GroupFolder(mount, *group);
            if (folder) {
                hierarchy_ = hierarchy;
                hiddenAbove_ = mount.Root != "/";
                top = mount.MountPoint;
                break;
            }
        }
        if (folder)
            break;
    }

    builtFor_.assign(membershipText);
    built_ = true;
    if (!folder)
        return false;  // No memory hierarchy: the machine's figures, until the program moves.

    std::string path = UnderRoot(roots_.Root, *folder);
    const std::string topPath = UnderRoot(roots_.Root, top);
    for (;;) {
        auto level = std::make_unique<Level>();
        level->dir = ::open(path.c_str(), O_PATH | O_DIRECTORY | O_CLOEXEC);
        if (level->dir < 0 || levels_.size() >= kMaxLevels) {
            Drop();
            return false;
        }
        levels_.push_back(std::move(level));
        if (path == topPath || path == "/")
            break;
        path = ParentOf(path);
    }
    // The legacy hierarchy's own root (it alone has cgroup.sane_behavior)
    // takes no limit: the kernel refuses one. A container's top group,
    // though at the top of its mount, is no such root and stays.
    if (hierarchy_ == CgroupHierarchy::LegacyMemory &&
        ::faccessat(levels_.back()->dir, "cgroup.sane_behavior", F_OK, 0) == 0)
        levels_.pop_back();
    return true;
}

std::optional<CgroupMemory> CgroupMemoryLimits::Read(uint64_t memTotal, uint64_t swapTotal)
{
    try {
        // Reading /proc/self/cgroup costs as much as a limit file, and a
        // move to another group is rare (a desktop moves a program it has
        // just started into a scope of its own, once), so it is looked at on
        // every kMembershipCheckInterval-th reading and whenever the groups
        // must be found anew.
        if (!built_ || ++readingsSinceCheck_ >= kMembershipCheckInterval) {
            readingsSinceCheck_ = 0;
            std::string_view membership;
            if (selfCgroup_.Read(-1, selfCgroupPath_.c_str(), buffer_, membership) != KeptFile::Status::Read) {
                selfCgroup_.Close();
                Drop();
                return std::nullopt;
            }
            if (!built_ || membership != builtFor_) {
                if (!Build(membership))
                    return std::nullopt;
            }
        }
        if (levels_.empty())
            return std::nullopt;
        std::optional<CgroupMemory> memory = ReadLevels(memTotal, swapTotal);
        if (!memory)
            Drop();  // Found and opened afresh at the next reading.
        return memory;
    } catch (const std::bad_alloc&) {
        Drop();
        return std::nullopt;
    }
}

std::optional<CgroupMemory> CgroupMemoryLimits::ReadLevels(uint64_t memTotal, uint64_t swapTotal)
{
    const bool legacy = hierarchy_ == CgroupHierarchy::LegacyMemory;
    const FileNames& names = legacy ? kLegacyNames : kUnifiedNames;
    CgroupMemory group;

    // Without swap on the machine no group's swap limit can be below it.
    const bool readSwap = swapTotal > 0;

    for (size_t i = 0; i < levels_.size(); ++i) {
        Level& level = *levels_[i];
        if (level.neverLimited)
            continue;
        LevelFigures figures(level.dir, names, legacy, buffer_);

        uint64_t limit = kNoCgroupLimit;
        const Got gotLimit = figures.Value(level.limit, names.limit, limit);
        // A unified group without the memory controller (the root, or one
        // whose parent does not pass it on) has no limit of its own; every
        // legacy group has the files.
        if (gotLimit == Got::Failed || (gotLimit == Got::Missing && legacy))
            return std::nullopt;
        if (gotLimit == Got::Missing) {
            level.neverLimited = i + 1 == levels_.size();
            continue;
        }
        if (limit < memTotal) {
            const std::optional<uint64_t> room = figures.MemRoom(limit, level.usage, level.stat);
            if (!room)
                return std::nullopt;
            Take(group.Mem, limit, *room);
        }

        // The legacy controller sums the limits above the program's group
        // into its memory.stat, including those of groups a container does
        // not show. Where such a group is the tightest, the program's own
        // group's usage is the best measure of the room left under it. Where
        // every group is in sight, the walk finds them all without it.
        if (legacy && i == 0 && hiddenAbove_) {
            const MemoryStatFields* stat = figures.Stat(level.stat);
            if (!stat || !stat->HierarchicalMemoryLimit)
                return std::nullopt;
            const uint64_t hierarchical = *stat->HierarchicalMemoryLimit;
            if (hierarchical < memTotal) {
                const std::optional<uint64_t> room = figures.MemRoom(hierarchical, level.usage, level.stat);
                if (!room)
                    return std::nullopt;
                Take(group.Mem, hierarchical, *room);
            }
            if (readSwap && stat->HierarchicalMemswLimit) {
                const uint64_t swapLimit = LegacySwapLimit(*stat->HierarchicalMemswLimit, hierarchical, memTotal);
                if (swapLimit < swapTotal) {
                    const std::optional<uint64_t> room = figures.SwapRoom(swapLimit, level.swapUsage, level.usage);
                    if (!room)
                        return std::nullopt;
                    Take(group.Swap, swapLimit, *room);
                }
            }
        }

        if (!readSwap)
            continue;
        // Without swap accounting there are no swap files: no swap limit.
        uint64_t swapFigure = kNoCgroupLimit;
        const Got gotSwap = figures.Value(level.swapLimit, names.swapLimit, swapFigure);
        if (gotSwap == Got::Failed)
            return std::nullopt;
        if (gotSwap == Got::Missing)
            continue;
        const uint64_t swapLimit = legacy ? LegacySwapLimit(swapFigure, limit, memTotal) : swapFigure;
        if (swapLimit < swapTotal) {
            const std::optional<uint64_t> room = figures.SwapRoom(swapLimit, level.swapUsage, level.usage);
            if (!room)
                return std::nullopt;
            Take(group.Swap, swapLimit, *room);
        }
    }
    return group;
}
