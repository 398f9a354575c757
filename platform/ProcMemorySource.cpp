// SPDX-License-Identifier: MIT
#include "platform/ProcMemorySource.h"

#include "platform/MeminfoParser.h"

#include <cerrno>
#include <cstdint>
#include <fcntl.h>
#include <new>
#include <optional>
#include <string>
#include <sys/sysinfo.h>
#include <unistd.h>
#include <utility>

namespace {

// /proc/meminfo is about 1.5 KiB; anything far larger is not a meminfo file
// (or a device that never ends), and a cut-off text could end mid-number.
constexpr size_t kMaxFileSize = 1024 * 1024;

// The whole file in one open/read/close, so both halves of a reading come
// from the same moment. Empty when the file cannot be read.
std::optional<std::string> ReadWholeFile(const std::string& path)
{
    const int fd = ::open(path.c_str(), O_RDONLY | O_CLOEXEC);
    if (fd < 0)
        return std::nullopt;

    std::optional<std::string> text;
    try {
        std::string buffer;
        char chunk[4096];
        for (;;) {
            const ssize_t n = ::read(fd, chunk, sizeof chunk);
            if (n < 0) {
                if (errno == EINTR)
                    continue;
                break;
            }
            if (n == 0) {
                text = std::move(buffer);
                break;
            }
            if (buffer.size() + static_cast<size_t>(n) > kMaxFileSize)
                break;
            buffer.append(chunk, static_cast<size_t>(n));
        }
    } catch (const std::bad_alloc&) {
        // Treated like an unreadable file: the reading must not throw.
        text.reset();
    }
    ::close(fd);
    return text;
}

uint64_t SaturatingMul(uint64_t a, uint64_t b)
{
    uint64_t product = 0;
    return __builtin_mul_overflow(a, b, &product) ? UINT64_MAX : product;
}

uint64_t SaturatingAdd(uint64_t a, uint64_t b)
{
    uint64_t sum = 0;
    return __builtin_add_overflow(a, b, &sum) ? UINT64_MAX : sum;
}

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

ProcMemorySource::ProcMemorySource(std::string path)
    : path_(std::move(path))
{
}

MemoryReading ProcMemorySource::Read()
{
    MemoryReading reading;

    MeminfoFields fields;
    if (const std::optional<std::string> text = ReadWholeFile(path_))
        fields = ParseMeminfo(*text);

    if (const std::optional<MemoryStatus> mem = MemoryFromMeminfo(fields))
        reading.Mem = *mem;
    else
        reading.Mem = MemoryFromSysinfo();
    // No fallback for swap: a missing swap half is reported, not guessed.
    reading.Swap = SwapFromMeminfo(fields);
    return reading;
}
