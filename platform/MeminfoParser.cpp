// SPDX-License-Identifier: MIT
#include "platform/MeminfoParser.h"

#include "shared/Saturating.h"

#include <algorithm>
#include <iterator>
#include <limits>

namespace {

constexpr uint64_t kMax = std::numeric_limits<uint64_t>::max();

bool IsBlank(char c)
{
    // '\r' too, so a copy of the file saved with CRLF line ends still reads.
    return c == ' ' || c == '\t' || c == '\r';
}

std::string_view TrimLeft(std::string_view s)
{
    size_t i = 0;
    while (i < s.size() && IsBlank(s[i]))
        ++i;
    return s.substr(i);
}

std::string_view TrimRight(std::string_view s)
{
    size_t n = s.size();
    while (n > 0 && IsBlank(s[n - 1]))
        --n;
    return s.substr(0, n);
}

// The value part of a line: "   <digits>" optionally followed by " kB".
// The kernel prints kB meaning 1024 bytes (Documentation/filesystems/proc.rst);
// a value without unit is a plain count. Anything else, including a number
// that does not fit 64 bits once scaled, gives no value rather than a wrong one.
std::optional<uint64_t> ParseValue(std::string_view rest)
{
    rest = TrimRight(TrimLeft(rest));

    size_t i = 0;
    uint64_t value = 0;
    while (i < rest.size() && rest[i] >= '0' && rest[i] <= '9') {
        const auto digit = static_cast<uint64_t>(rest[i] - '0');
        if (value > (kMax - digit) / 10)
            return std::nullopt;
        value = value * 10 + digit;
        ++i;
    }
    if (i == 0)
        return std::nullopt;

    const std::string_view unit = TrimLeft(rest.substr(i));
    if (unit.empty())
        return value;
    // "12kB" without the blank is not what the kernel writes; refuse it.
    if (unit.size() == rest.size() - i)
        return std::nullopt;
    if (unit != "kB")
        return std::nullopt;
    if (value > kMax / 1024)
        return std::nullopt;
    return value * 1024;
}

struct Key {
    std::string_view name;
    std::optional<uint64_t> MeminfoFields::*field;
};

constexpr Key kKeys[] = {
    {"MemTotal", &MeminfoFields::MemTotal},
    {"MemFree", &MeminfoFields::MemFree},
    {"MemAvailable", &MeminfoFields::MemAvailable},
    {"Buffers", &MeminfoFields::Buffers},
    {"Cached", &MeminfoFields::Cached},
    {"SwapTotal", &MeminfoFields::SwapTotal},
    {"SwapFree", &MeminfoFields::SwapFree},
};
constexpr size_t kKeyCount = std::size(kKeys);

// Index into kKeys, or kKeyCount for a line the monitor does not use. The
// whole name before the colon must match, so "MemAvailableX" or "SwapFreeX"
// never stand in for the real lines.
size_t KeyIndex(std::string_view name)
{
    for (size_t i = 0; i < kKeyCount; ++i) {
        if (kKeys[i].name == name)
            return i;
    }
    return kKeyCount;
}

}  // namespace

MeminfoFields ParseMeminfo(std::string_view text)
{
    MeminfoFields fields;
    // The first line of a key decides, so a stray later duplicate cannot
    // replace a good figure with a bad one.
    bool seen[kKeyCount] = {};

    while (!text.empty()) {
        const size_t eol = text.find('\n');
        const std::string_view line = text.substr(0, eol);
        text = eol == std::string_view::npos ? std::string_view() : text.substr(eol + 1);

        const size_t colon = line.find(':');
        if (colon == std::string_view::npos)
            continue;
        const size_t key = KeyIndex(line.substr(0, colon));
        if (key == kKeyCount || seen[key])
            continue;
        seen[key] = true;
        fields.*(kKeys[key].field) = ParseValue(line.substr(colon + 1));
    }
    return fields;
}

std::optional<MemoryStatus> MemoryFromMeminfo(const MeminfoFields& fields)
{
    if (!fields.MemTotal)
        return std::nullopt;

    uint64_t avail = 0;
    if (fields.MemAvailable) {
        avail = *fields.MemAvailable;
    } else {
        // Kernels before 3.14 have no MemAvailable; free memory plus the
        // page and buffer caches is the usual stand-in (it overstates a
        // little, since not all cache can be dropped).
        if (!fields.MemFree || !fields.Buffers || !fields.Cached)
            return std::nullopt;
        avail = SaturatingAdd(SaturatingAdd(*fields.MemFree, *fields.Buffers), *fields.Cached);
    }

    MemoryStatus status;
    status.TotalPhys = *fields.MemTotal;
    // The window draws free against total; a free figure above the total
    // (the fallback sum can get there) would overrun the bar.
    status.AvailPhys = std::min(avail, status.TotalPhys);
    return status;
}

std::optional<SwapStatus> SwapFromMeminfo(const MeminfoFields& fields)
{
    if (!fields.SwapTotal || !fields.SwapFree)
        return std::nullopt;

    SwapStatus status;
    status.Total = *fields.SwapTotal;
    // No swap at all reads "SwapTotal: 0 kB"; that is a reading of 0/0, not
    // a failure. Clamping keeps InUse from wrapping on odd figures.
    status.InUse = status.Total - std::min(*fields.SwapFree, status.Total);
    return status;
}
