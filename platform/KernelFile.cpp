// SPDX-License-Identifier: MIT
#include "platform/KernelFile.h"

#include <cerrno>
#include <fcntl.h>
#include <new>
#include <unistd.h>
#include <utility>

KeptFile::~KeptFile()
{
    Close();
}

KeptFile::KeptFile(KeptFile&& other) noexcept
    : fd_(std::exchange(other.fd_, -1))
{
}

KeptFile& KeptFile::operator=(KeptFile&& other) noexcept
{
    if (this != &other) {
        Close();
        fd_ = std::exchange(other.fd_, -1);
    }
    return *this;
}

void KeptFile::Close()
{
    if (fd_ >= 0)
        ::close(fd_);
    fd_ = -1;
}

KeptFile::Status KeptFile::Read(int dir, const char* name, std::vector<char>& buffer, std::string_view& text)
{
    text = {};
    if (fd_ < 0) {
        fd_ = ::openat(dir < 0 ? AT_FDCWD : dir, name, O_RDONLY | O_CLOEXEC);
        if (fd_ < 0)
            return errno == ENOENT ? Status::Missing : Status::Failed;
    }
    // One call: the kernel produces these files whole on a read from their
    // start (seq_file), so fewer bytes than asked for is the whole file and
    // a second call only to see the end would double the cost of a reading.
    ssize_t n = 0;
    do {
        n = ::pread(fd_, buffer.data(), buffer.size(), 0);
    } while (n < 0 && errno == EINTR);
    if (n < 0)
        return Status::Failed;
    if (static_cast<size_t>(n) < buffer.size()) {
        text = std::string_view(buffer.data(), static_cast<size_t>(n));
        return Status::Read;
    }
    // Filled to the brim: a file larger than any the kernel writes here.
    return Status::Failed;
}

std::optional<std::string> ReadWholeFile(const std::string& path, size_t maxSize)
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
            if (buffer.size() + static_cast<size_t>(n) > maxSize)
                break;
            buffer.append(chunk, static_cast<size_t>(n));
        }
    } catch (const std::bad_alloc&) {
        // Treated like an unreadable file: a reading must not throw.
        text.reset();
    }
    ::close(fd);
    return text;
}
