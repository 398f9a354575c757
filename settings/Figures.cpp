// SPDX-License-Identifier: MIT
#include "settings/Figures.h"

#include "settings/Literals.h"
#include "settings/TCustomSet.h"

#include <cinttypes>
#include <cstdio>

namespace {
int32_t UnitIndex(int32_t unit)
{
    return (unit >= 0 && unit < kUnitCount) ? unit : TCustomSet{}.Unit;
}
} // namespace

int64_t UnitDivisor(int32_t unit)
{
    int64_t d = 1;
    for (int32_t i = 0; i < UnitIndex(unit); ++i)
        d *= 1024;
    return d;
}

std::string UnitNameOf(int32_t unit)
{
    return std::string(lit::UnitName[static_cast<size_t>(UnitIndex(unit))]);
}

std::string UnitLabel(int32_t unit)
{
    std::string label = "[";
    label += UnitNameOf(unit);
    label += ']';
    return label;
}

int64_t ScaledDifference(uint64_t now, uint64_t previous, int64_t divisor)
{
    // Both figures are far below 2^63, so the signed difference is exact; C++
    // division truncates toward zero.
    const int64_t change = static_cast<int64_t>(now) - static_cast<int64_t>(previous);
    return change / divisor;
}

std::string FormatFigure(uint64_t value)
{
    char buffer[32];
    std::snprintf(buffer, sizeof buffer, "%" PRIu64, value);
    return buffer;
}

std::string FormatDifference(int64_t value)
{
    char buffer[32];
    std::snprintf(buffer, sizeof buffer, "%+" PRId64, value);
    return buffer;
}

std::string TitleWithFigures(const MemoryStatus& mem, int32_t unit)
{
    const uint64_t d = static_cast<uint64_t>(UnitDivisor(unit));
    return FormatFigure(mem.AvailPhys / d) + "／" + FormatFigure(mem.TotalPhys / d) + UnitLabel(unit) + " - "
        + std::string(lit::Title);
}
