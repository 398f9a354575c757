// SPDX-License-Identifier: MIT
#pragma once

#include "platform/CgroupParser.h"
#include "platform/KernelFile.h"

#include <cstdint>
#include <memory>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

// Where the control-group files are: Proc holds self/cgroup and
// self/mountinfo, and the mount points named there are taken below Root.
struct CgroupRoots {
    std::string Proc = "/proc";
    std::string Root = "/";
};

// What the groups on one path allow of one kind of memory: Limit is the
// smallest limit, Room the least that any limited group can still take.
// kNoCgroupLimit in both when no group limits it.
struct CgroupAllowance {
    uint64_t Limit = kNoCgroupLimit;
    uint64_t Room = kNoCgroupLimit;
};

struct CgroupMemory {
    CgroupAllowance Mem;
    CgroupAllowance Swap;
};

// Reads the memory limits of the control group the program runs in, on the
// unified hierarchy or on the legacy memory controller, whichever carries
// memory here. The program's group is looked up again when /proc/self/cgroup
// has changed (the program was moved; looked at every few readings) and
// after any failed read; only the open files of the groups on the path are
// kept between readings.
class CgroupMemoryLimits {
public:
    explicit CgroupMemoryLimits(CgroupRoots roots);
    ~CgroupMemoryLimits();
    CgroupMemoryLimits(const CgroupMemoryLimits&) = delete;
    CgroupMemoryLimits& operator=(const CgroupMemoryLimits&) = delete;

    // The limits below memTotal and swapTotal on the path from the program's
    // group up to the top of its mount, with the room left under them
    // (larger limits are left out, so their usage is never read). Empty when
    // the groups cannot be found or a file is missing, unreadable or
    // malformed.
    std::optional<CgroupMemory> Read(uint64_t memTotal, uint64_t swapTotal);

private:
    struct Level;

    bool Build(std::string_view membershipText);
    void Drop();
    std::optional<CgroupMemory> ReadLevels(uint64_t memTotal, uint64_t swapTotal);

    CgroupRoots roots_;
    std::string selfCgroupPath_;
    KeptFile selfCgroup_;
    // The /proc/self/cgroup text the levels were found for, and whether that
    // lookup gave any (a machine without a memory hierarchy gives none).
    std::string builtFor_;
    bool built_ = false;
    unsigned readingsSinceCheck_ = 0;
    CgroupHierarchy hierarchy_ = CgroupHierarchy::Unified;
    // The mount shows a group below the hierarchy's root, so limits may sit
    // on groups above the top level that are out of sight.
    bool hiddenAbove_ = false;
    std::vector<std::unique_ptr<Level>> levels_;  // the program's own group first
    std::vector<char> buffer_;
};
