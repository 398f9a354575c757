// SPDX-License-Identifier: MIT
#pragma once

#include "platform/MemorySource.h"

#include <cstdint>
#include <string>

// The arithmetic and wording of the figures the monitor shows. Byte counts are
// 64-bit; a difference is the signed change divided by the unit, truncated
// toward zero (so -1023 bytes in KB shows as +0).

// 1024 raised to the unit (0 "B", 1 "KB", 2 "MB"); a unit outside the table
// counts as the default.
int64_t UnitDivisor(int32_t unit);
std::string UnitLabel(int32_t unit);     // "[KB]"
std::string UnitNameOf(int32_t unit);    // "KB"

int64_t ScaledDifference(uint64_t now, uint64_t previous, int64_t divisor);

// A figure as plain decimal, and a difference with its sign always shown ("+0").
std::string FormatFigure(uint64_t value);
std::string FormatDifference(int64_t value);

// The task bar text while minimised: "31852／65016[KB] - ペロリン".
std::string TitleWithFigures(const MemoryStatus& mem, int32_t unit);
