// SPDX-License-Identifier: MIT
#include "platform/InstanceLock.h"

#include "shared/HomeFolder.h"
#include "shared/PrivateFolders.h"

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
    if (!MakePrivateFolders(dir))
        return false;
    struct stat st {};
    if (lstat(dir.c_str(), &st) != 0)
        return false;
    return S_ISDIR(st.st_mode) && st.st_uid == geteuid() && (st.st_mode & 077) == 0;
}

// The runtime folder is used only when it is this user's own and nobody else
// may write in it. `su` and `sudo` can leave another user's folder in the
// environment; a lock there would either fail or be shared with that user.
bool UsableRuntimeFolder(const char* runtime)
{
    if (runtime == nullptr || runtime[0] != '/')
        return false;
    struct stat st {};
    return stat(runtime, &st) == 0 && S_ISDIR(st.st_mode) && st.st_uid == geteuid() && (st.st_mode & 022) == 0;
}

// The same name in a private per-user folder under the temporary folder, or
// under the home folder when someone else took the name in the temporary one.
// Empty when neither can be had.
std::filesystem::path PrivatePath(const std::filesystem::path& name)
{
    const char* tmp = std::getenv("TMPDIR");
    std::filesystem::path dir = (tmp && tmp[0] == '/') ? tmp : "/tmp";
    dir /= "pelorin-" + std::to_string(geteuid());
    if (PrivateFolder(dir))
        return dir / name;
    const std::filesystem::path home = HomeFolder();
    dir = (home.empty() ? std::filesystem::path("/") : home) / ".cache";
    dir /= "pelorin-runtime";
    if (PrivateFolder(dir))
        return dir / name;
    return {};
}

// Opens the lock file without following a link and without blocking; only a
// plain file of this user's will do, so that nothing planted at the path (a
// folder, a link, a FIFO, another user's file) stands in for it.
int OpenLockFile(const std::filesystem::path& file)
{
    const int fd = open(file.c_str(), O_RDWR | O_CREAT | O_CLOEXEC | O_NOFOLLOW | O_NONBLOCK, 0600);
    if (fd < 0)
        return -1;
    struct stat st {};
    if (fstat(fd, &st) != 0 || !S_ISREG(st.st_mode) || st.st_uid != geteuid()) {
        close(fd);
        return -1;
    }
    return fd;
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
    if (UsableRuntimeFolder(runtime))
        return std::filesystem::path(runtime) / name;
    const std::filesystem::path fallback = PrivatePath(name);
    // Nowhere private at all: the open fails and the program runs unguarded.
    return fallback.empty() ? std::filesystem::path(runtime && runtime[0] == '/' ? runtime : "/") / name : fallback;
}

bool InstanceLock::TryAcquire()
{
    heldByAnother_ = false;
    if (fd_ < 0)
        fd_ = OpenLockFile(file_);
    if (fd_ < 0) {
        // The lock file cannot be had where it was meant to be: every copy
        // then meets in the private folder instead of each running as the
        // only one.
        const std::filesystem::path fallback = PrivatePath(file_.filename());
        if (!fallback.empty() && fallback != file_)
            fd_ = OpenLockFile(fallback);
    }
    if (fd_ < 0)
        return false;
    if (flock(fd_, LOCK_EX | LOCK_NB) == 0)
        return true;
    heldByAnother_ = errno == EWOULDBLOCK;
    return false;
}
