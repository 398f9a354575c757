// SPDX-License-Identifier: MIT
#pragma once

#include "platform/CgroupMemoryLimits.h"
#include "platform/MemorySource.h"

#include <memory>
#include <string>

// Readings from /proc/meminfo, one read of the file per reading. When the file
// cannot be read or lacks the memory lines, sysinfo(2) gives the memory half
// and the swap half is missing.
//
// /proc/meminfo speaks for the whole machine, also inside a memory-limited
// control group (a container, a limited session or slice). Where such a
// limit is below the machine's figures, it becomes the total and what the
// group may still take becomes the free amount, for memory and for swap
// alike; where the group's files cannot be read, the machine's figures stand.
class ProcMemorySource : public MemorySource {
public:
    // The real /proc/meminfo, held to the program's control-group limits.
    ProcMemorySource();
    // The machine's figures from meminfoPath alone.
    explicit ProcMemorySource(std::string meminfoPath);
    // The figures from meminfoPath, held to the limits found under roots.
    ProcMemorySource(std::string meminfoPath, CgroupRoots roots);
    ~ProcMemorySource() override;

    MemoryReading Read() override;

private:
    std::string path_;
    std::unique_ptr<CgroupMemoryLimits> limits_;
};

// The machine's reading held to what the control groups allow: a limit below
// the machine's total replaces it, and the free figure is the room under the
// limits, never more than the machine itself has free.
MemoryReading HeldToGroup(MemoryReading machine, const CgroupMemory& group);
