// SPDX-License-Identifier: MIT
#include "platform/InstanceLock.h"


#include <cerrno>
#include <cstdlib>
#include <fcntl.h>
#include <string>
#include <sys/file.h>
#include <sys/stat.h>
#include <unistd.h>

namespace {

// A folder only this user can enter: made with mode 0700, and refused when it
// exists but belongs to someone else or is open to others.
bool PrivateFolder(const std::filesystem::path& dir)
{
    if (mkdir(dir.c_str(), 0700) != 0 && errno != EEXIST)
        return false;
    struct stat st {};
    if (lstat(dir.c_str(), &st) != 0)
        return false;
    return S_ISDIR(st.st_mode) && st.st_uid == geteuid() && (st.st_mode & 077) == 0;
}

} // namespace

InstanceLock::InstanceLock(std::filesystem::path file) : file_(std::move(file)) {}

InstanceLock::~InstanceLock()
{
    if (fd_ >= 0)
        close(fd_);
}

std::filesystem::path InstanceLock::DefaultPath(std::string_view name)
{
    const char* runtime = std::getenv("XDG_RUNTIME_DIR");
    if (runtime && runtime[0] == '/')
        return std::filesystem::path(runtime) / name;
    const char* tmp = std::getenv("TMPDIR");
    std::filesystem::path dir = (tmp && tmp[0] == '/') ? tmp : "/tmp";
    dir /= "pelorin-" + std::to_string(geteuid());
    if (!PrivateFolder(dir)) {
        // Someone else took the name in the shared temporary folder: fall back
        // to a folder inside the user's home, which nobody else can create.
        const char* home = std::getenv("HOME");
        dir = std::filesystem::path(home && home[0] == '/' ? home : "/") / ".cache";
        mkdir(dir.c_str(), 0700);
        dir /= "pelorin-runtime";
        PrivateFolder(dir);
    }
    return dir / name;
}

bool InstanceLock::TryAcquire()
{
    heldByAnother_ = false;
    if (fd_ < 0)
        fd_ = open(file_.c_str(), O_RDWR | O_CREAT | O_CLOEXEC | O_NOFOLLOW, 0600);
    if (fd_ < 0)
        return false;
    if (flock(fd_, LOCK_EX | LOCK_NB) == 0)
        return true;
    heldByAnother_ = errno == EWOULDBLOCK;
    return false;
}
