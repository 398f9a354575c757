// SPDX-License-Identifier: MIT
#pragma once

#include <dirent.h>
#include <fcntl.h>
#include <string>
#include <unistd.h>

// A folder opened for listing, closed on every way out. Opening never waits:
// O_NONBLOCK and O_NOCTTY keep a path that is no folder (a FIFO, a device)
// from holding the caller up, and O_DIRECTORY refuses it.
class DirStream {
public:
    explicit DirStream(const std::string& path)
    {
        const int fd = open(path.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC | O_NONBLOCK | O_NOCTTY);
        if (fd >= 0) {
            dir_ = fdopendir(fd);
            if (dir_ == nullptr)
                close(fd);
        }
    }
    ~DirStream()
    {
        if (dir_ != nullptr)
            closedir(dir_);
    }
    DirStream(const DirStream&) = delete;
    DirStream& operator=(const DirStream&) = delete;

    DIR* get() const { return dir_; }

private:
    DIR* dir_ = nullptr;
};
