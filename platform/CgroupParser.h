// SPDX-License-Identifier: MIT
#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

// Readers of the kernel's control-group texts that decide how much memory the
// program may still take. All take the text and never throw; a figure or path
// that cannot be read is empty rather than guessed.

// A limit file holding "max" (no limit on the unified hierarchy).
inline constexpr uint64_t kNoCgroupLimit = UINT64_MAX;

// The groups the program belongs to, from /proc/self/cgroup
// ("hierarchy:controllers:path" lines). Unified is the "0::" line; Memory the
// legacy hierarchy whose controller list holds "memory". A path is kept only
// when it is absolute and has no "." or ".." parts, so it can never lead
// outside the mount it is joined to.
struct CgroupMembership {
    std::optional<std::string> Unified;
    std::optional<std::string> Memory;
};
CgroupMembership ParseProcCgroup(std::string_view text);

enum class CgroupHierarchy { Unified, LegacyMemory };

// One mount of a hierarchy: Root is the group the mount shows at MountPoint.
struct CgroupMount {
    CgroupHierarchy Hierarchy = CgroupHierarchy::Unified;
    std::string Root;
    std::string MountPoint;
};
// The cgroup2 mounts and the legacy mounts carrying the memory controller, in
// file order, from /proc/self/mountinfo. Octal escapes (\040 for a blank) in
// the paths are decoded.
std::vector<CgroupMount> ParseCgroupMounts(std::string_view text);

// The folder of group inside mount (MountPoint plus the part of group below
// Root), or empty when the mount does not show that group.
std::optional<std::string> GroupFolder(const CgroupMount& mount, std::string_view group);

// The figures of memory.stat the reading needs. The legacy controller's
// "total_" lines count the group with its children, as its usage does.
struct MemoryStatFields {
    std::optional<uint64_t> InactiveFile;
    std::optional<uint64_t> TotalInactiveFile;
    std::optional<uint64_t> HierarchicalMemoryLimit;
    std::optional<uint64_t> HierarchicalMemswLimit;
};
MemoryStatFields ParseMemoryStat(std::string_view text);

// One figure: digits, or "max", with an optional trailing line end. Empty when
// malformed or beyond 64 bits.
std::optional<uint64_t> ParseCgroupValue(std::string_view text);
