// SPDX-License-Identifier: MIT
#pragma once

#include <cstdint>
#include <limits>

// Byte counts that would overflow stay at the largest count, and those that
// would go below zero at zero, instead of wrapping round.
constexpr uint64_t SaturatingAdd(uint64_t a, uint64_t b)
{
    uint64_t sum = 0;
    return __builtin_add_overflow(a, b, &sum) ? std::numeric_limits<uint64_t>::max() : sum;
}

constexpr uint64_t SaturatingMul(uint64_t a, uint64_t b)
{
    uint64_t product = 0;
    return __builtin_mul_overflow(a, b, &product) ? std::numeric_limits<uint64_t>::max() : product;
}

constexpr uint64_t SaturatingSub(uint64_t a, uint64_t b)
{
    return a > b ? a - b : 0;
}
