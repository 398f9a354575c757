// SPDX-License-Identifier: MIT
#pragma once

#include "platform/MemorySource.h"

#include <cstdint>
#include <optional>
#include <string_view>

// The fields of /proc/meminfo the monitor uses, in bytes. A field is empty when
// its line is missing or malformed.
struct MeminfoFields {
    std::optional<uint64_t> MemTotal;
    std::optional<uint64_t> MemFree;
    std::optional<uint64_t> MemAvailable;
    std::optional<uint64_t> Buffers;
    std::optional<uint64_t> Cached;
    std::optional<uint64_t> SwapTotal;
    std::optional<uint64_t> SwapFree;
};

// Parses the text of /proc/meminfo ("Name:   123 kB" lines). Never throws.
MeminfoFields ParseMeminfo(std::string_view text);

// The memory half of a reading: MemAvailable, or MemFree + Buffers + Cached on
// kernels without it. Empty when MemTotal or the free figures are missing.
std::optional<MemoryStatus> MemoryFromMeminfo(const MeminfoFields& fields);
// The swap half: empty when SwapTotal or SwapFree is missing.
std::optional<SwapStatus> SwapFromMeminfo(const MeminfoFields& fields);
