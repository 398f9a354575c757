// SPDX-License-Identifier: MIT
#pragma once

#include <cstdint>
#include <optional>

// Byte counts of one reading. 64-bit throughout: machines have more than 4 GiB.
struct MemoryStatus {
    uint64_t AvailPhys = 0;  // what programs can still get without swapping
    uint64_t TotalPhys = 0;
};

struct SwapStatus {
    uint64_t Total = 0;
    uint64_t InUse = 0;  // never more than Total
};

struct MemoryReading {
    MemoryStatus Mem;
    std::optional<SwapStatus> Swap;  // empty when the swap figures could not be read
};

// Where readings come from. The program reads /proc/meminfo; tests supply
// their own figures.
class MemorySource {
public:
    virtual ~MemorySource() = default;
    virtual MemoryReading Read() = 0;
};
