// SPDX-License-Identifier: MIT
#include "platform/ProcMemorySource.h"

#include "platform/KernelFile.h"
#include "platform/MeminfoParser.h"
#include "shared/Saturating.h"

#include <algorithm>
#include <cstdint>
#include <optional>
#include <string>
#include <sys/sysinfo.h>
#include <utility>

namespace {

// /proc/meminfo is about 1.5 KiB; anything far larger is not a meminfo file.
constexpr size_t kMaxMeminfoSize = 1024 * 1024;

// The memory half from sysinfo(2) when /proc gives none. sysinfo has no
// "available" figure and no page cache count, so free plus buffers is the
// closest it offers. The counts are in units of mem_unit bytes.
MemoryStatus MemoryFromSysinfo()
{
    MemoryStatus status;
    struct sysinfo info {};
    if (::sysinfo(&info) != 0)
        return status;  // Only fails on a bad pointer; zeros beat an exception.

    const uint64_t unit = info.mem_unit != 0 ? info.mem_unit : 1;
    status.TotalPhys = SaturatingMul(info.totalram, unit);
    const uint64_t avail = SaturatingMul(SaturatingAdd(info.freeram, info.bufferram), unit);
    status.AvailPhys = avail < status.TotalPhys ? avail : status.TotalPhys;
    return status;
}

}  // namespace

ProcMemorySource::ProcMemorySource()
    : ProcMemorySource("/proc/meminfo", CgroupRoots{})
{
}

ProcMemorySource::ProcMemorySource(std::string meminfoPath)
    : path_(std::move(meminfoPath))
{
}

ProcMemorySource::ProcMemorySource(std::string meminfoPath, CgroupRoots roots)
    : path_(std::move(meminfoPath))
    , limits_(std::make_unique<CgroupMemoryLimits>(std::move(roots)))
{
}

ProcMemorySource::~ProcMemorySource() = default;

MemoryReading ProcMemorySource::Read()
{
    MemoryReading reading;

    MeminfoFields fields;
    if (const std::optional<std::string> text = ReadWholeFile(path_, kMaxMeminfoSize))
        fields = ParseMeminfo(*text);

    if (const std::optional<MemoryStatus> mem = MemoryFromMeminfo(fields))
        reading.Mem = *mem;
    else
        reading.Mem = MemoryFromSysinfo();
    // No fallback for swap: a missing swap half is reported, not guessed.
    reading.Swap = SwapFromMeminfo(fields);

    if (limits_) {
        const uint64_t swapTotal = reading.Swap ? reading.Swap->Total : 0;
        if (const std::optional<CgroupMemory> group = limits_->Read(reading.Mem.TotalPhys, swapTotal))
            reading = HeldToGroup(reading, *group);
    }
    return reading;
}

MemoryReading HeldToGroup(MemoryReading machine, const CgroupMemory& group)
{
    MemoryStatus& mem = machine.Mem;
    if (group.Mem.Limit < mem.TotalPhys) {
        mem.TotalPhys = group.Mem.Limit;
        mem.AvailPhys = std::min({group.Mem.Room, mem.AvailPhys, mem.TotalPhys});
    }
    if (machine.Swap && group.Swap.Limit < machine.Swap->Total) {
        SwapStatus& swap = *machine.Swap;
        const uint64_t machineFree = swap.Total - std::min(swap.InUse, swap.Total);
        swap.Total = group.Swap.Limit;
        const uint64_t free = std::min({group.Swap.Room, machineFree, swap.Total});
        swap.InUse = swap.Total - free;
    }
    return machine;
}
