// SPDX-License-Identifier: MIT
#pragma once

#include <cstddef>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

// A small kernel file opened once and read again from its start on every use
// (pread at offset 0 makes /proc and cgroup files produce fresh text), in one
// call: these files are written whole by the kernel on each read. The
// descriptor is closed on destruction; Close drops it so the next read opens
// the file anew.
class KeptFile {
public:
    KeptFile() = default;
    ~KeptFile();
    KeptFile(KeptFile&& other) noexcept;
    KeptFile& operator=(KeptFile&& other) noexcept;
    KeptFile(const KeptFile&) = delete;
    KeptFile& operator=(const KeptFile&) = delete;

    enum class Status { Read, Missing, Failed };

    // Opens name relative to the folder descriptor dir (or an absolute name
    // with dir -1) if not open yet, then reads it whole into buffer; text
    // views the bytes read. Missing when the file does not exist, Failed for
    // any other error or a file that does not fit the buffer (which callers
    // size once, so a steady reading allocates nothing).
    Status Read(int dir, const char* name, std::vector<char>& buffer, std::string_view& text);
    void Close();

private:
    int fd_ = -1;
};

// The whole file in one open/read/close, or empty when it cannot be read or
// holds more than maxSize bytes (a cut-off text could end mid-number, and a
// device that never ends must not hang the reading). Never throws.
std::optional<std::string> ReadWholeFile(const std::string& path, size_t maxSize);
