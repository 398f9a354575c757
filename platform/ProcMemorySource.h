// SPDX-License-Identifier: MIT
#pragma once

#include "platform/MemorySource.h"

#include <string>

// Readings from /proc/meminfo, one read of the file per reading. When the file
// cannot be read or lacks the memory lines, sysinfo(2) gives the memory half
// and the swap half is missing.
class ProcMemorySource : public MemorySource {
public:
    explicit ProcMemorySource(std::string path = "/proc/meminfo");
    MemoryReading Read() override;

private:
    std::string path_;
};
