// SPDX-License-Identifier: MIT
#pragma once

#include <unistd.h>
#include <utility>

// An open file descriptor, closed on every way out (which also drops a flock
// held on it). -1 stands for none.
class FileDescriptor {
public:
    explicit FileDescriptor(int fd = -1) : fd_(fd) {}
    FileDescriptor(FileDescriptor&& other) noexcept : fd_(std::exchange(other.fd_, -1)) {}
    FileDescriptor(const FileDescriptor&) = delete;
    FileDescriptor& operator=(const FileDescriptor&) = delete;
    FileDescriptor& operator=(FileDescriptor&& other) noexcept
    {
        if (this != &other) {
            if (fd_ >= 0)
                ::close(fd_);
            fd_ = std::exchange(other.fd_, -1);
        }
        return *this;
    }
    ~FileDescriptor()
    {
        if (fd_ >= 0)
            ::close(fd_);
    }

    int Get() const { return fd_; }
    // Hands the descriptor over; closing it is then the caller's.
    int Release() { return std::exchange(fd_, -1); }
    bool Valid() const { return fd_ >= 0; }

private:
    int fd_;
};
