// SPDX-License-Identifier: MIT
#include "shared/StrUtil.h"

#include <algorithm>
#include <cstdint>

std::string SubStr(const std::string& s, int start, int count)
{
    // 64-bit arithmetic: callers ask for "the rest" with the largest int.
    const int64_t length = static_cast<int64_t>(s.size());
    const int64_t first = std::max<int64_t>(start, 1);
    if (s.empty() || first > length || count < 0)
        return {};
    const int64_t taken = std::min<int64_t>(count, length - first + 1);
    return s.substr(static_cast<size_t>(first - 1), static_cast<size_t>(taken));
}

int PosFrom(const std::string& s, const std::string& sub, int start)
{
    if (sub.empty())
        return 0;
    const std::string rest = SubStr(s, start, static_cast<int>(std::min<size_t>(s.size(), INT32_MAX)));
    const size_t found = rest.find(sub);
    if (found == std::string::npos)
        return 0;
    // A start below 1 is outside what callers pass: the search then begins at
    // the first byte, but the result keeps the start - 1 offset (with start 0
    // a match at byte 1 reads as 0, "not found").
    return static_cast<int>(static_cast<int64_t>(start) + static_cast<int64_t>(found));
}
