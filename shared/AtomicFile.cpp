// SPDX-License-Identifier: MIT
#include "shared/AtomicFile.h"

#include <atomic>
#include <cerrno>
#include <climits>
#include <cstdlib>
#include <fcntl.h>
#include <optional>
#include <sys/stat.h>
#include <unistd.h>

namespace {

// Keeps errno from the first failure while cleaning up after it.
class ErrnoKeeper {
public:
    ErrnoKeeper() : saved_(errno) {}
    ~ErrnoKeeper() { errno = saved_; }
    ErrnoKeeper(const ErrnoKeeper&) = delete;
    ErrnoKeeper& operator=(const ErrnoKeeper&) = delete;

private:
    int saved_;
};

// Where the bytes finally land: the file a link at path points to, so that
// replacing it does not turn the link into a plain file.
std::string FinalTarget(const std::string& path)
{
    struct stat st {};
    if (lstat(path.c_str(), &st) == 0 && S_ISLNK(st.st_mode)) {
        if (char* resolved = realpath(path.c_str(), nullptr)) {
            std::string target = resolved;
            std::free(resolved);
            return target;
        }
    }
    return path;
}

std::string FolderOf(const std::string& path)
{
    const size_t slash = path.rfind('/');
    if (slash == std::string::npos)
        return ".";
    return slash == 0 ? std::string("/") : path.substr(0, slash);
}

// Opens a new file beside target with a name nobody else uses, created with
// createMode less the umask.
int CreateTemporary(const std::string& target, mode_t createMode, std::string& tempName)
{
    static std::atomic<unsigned> serial{0};
    const std::string folder = FolderOf(target);
    const size_t slash = target.rfind('/');
    const std::string base = slash == std::string::npos ? target : target.substr(slash + 1);
    for (int attempt = 0; attempt < 100; ++attempt) {
        tempName = folder + "/." + base + "." + std::to_string(getpid()) + "." +
                   std::to_string(serial.fetch_add(1)) + ".tmp";
        const int fd = open(tempName.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC, createMode);
        if (fd >= 0 || errno != EEXIST)
            return fd;
    }
    return -1;
}

bool WriteAll(int fd, std::string_view bytes)
{
    while (!bytes.empty()) {
        const ssize_t written = write(fd, bytes.data(), bytes.size());
        if (written < 0) {
            if (errno == EINTR)
                continue;
            return false;
        }
        bytes.remove_prefix(static_cast<size_t>(written));
    }
    return true;
}

// The rename itself is only durable once the folder's entry is on disk; a
// failure here loses nothing that was there before, so it is not an error.
void SyncFolder(const std::string& folder)
{
    const int fd = open(folder.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
    if (fd >= 0) {
        fsync(fd);
        close(fd);
    }
}

// The permission bits the new file must be given after its creation, if any.
std::optional<mode_t> FinalMode(const std::string& target, const AtomicWriteOptions& options)
{
    if (options.mode)
        return *options.mode & 07777;
    struct stat old {};
    if (stat(target.c_str(), &old) == 0 && S_ISREG(old.st_mode))
        return old.st_mode & 07777;
    return std::nullopt;
}

// False for an old file the write must leave alone: one the user made
// read-only, with no write bit for anyone (root, who may write anything,
// included), or one this user may not write. The rename needs only the
// folder's permission and would replace it all the same. A link that is to
// be replaced is no such file.
bool MayReplace(const std::string& target, bool replaceLink)
{
    struct stat st {};
    const int found = replaceLink ? lstat(target.c_str(), &st) : stat(target.c_str(), &st);
    if (found != 0 || !S_ISREG(st.st_mode))
        return true;
    return (st.st_mode & 0222) != 0 && faccessat(AT_FDCWD, target.c_str(), W_OK, AT_EACCESS) == 0;
}

// The new file takes the old one's owner and group where this process may
// give them, as root may: an export or a save run through sudo must not hand
// the user's file to root. Elsewhere it fails quietly and the file is ours.
void KeepOwner(int fd, const std::string& target, bool replaceLink)
{
    struct stat old {};
    const int found = replaceLink ? lstat(target.c_str(), &old) : stat(target.c_str(), &old);
    if (found != 0 || !S_ISREG(old.st_mode))
        return;
    struct stat now {};
    if (fstat(fd, &now) == 0 && (now.st_uid != old.st_uid || now.st_gid != old.st_gid)) {
        const int saved = errno;
        if (fchown(fd, old.st_uid, old.st_gid) != 0)
            errno = saved;
    }
}

} // namespace

bool WriteFileAtomically(const std::string& path, std::string_view bytes, const AtomicWriteOptions& options)
{
    if (path.empty()) {
        errno = ENOENT;
        return false;
    }
    const std::string target = options.replaceLink ? path : FinalTarget(path);
    if (!MayReplace(target, options.replaceLink)) {
        errno = EACCES;
        return false;
    }
    const std::optional<mode_t> mode = FinalMode(target, options);
    std::string tempName;
    // A file with a mode of its own starts private, so that no other user can
    // open it before it has that mode.
    const int fd = CreateTemporary(target, mode ? 0600 : 0666, tempName);
    if (fd < 0)
        return false;

    // The owner first: fchown may clear set-id bits that fchmod then sets.
    KeepOwner(fd, target, options.replaceLink);
    if ((mode && fchmod(fd, *mode) != 0) || !WriteAll(fd, bytes) || fsync(fd) != 0) {
        ErrnoKeeper keep;
        close(fd);
        unlink(tempName.c_str());
        return false;
    }
    // close() can report a late write error, so it counts too.
    if (close(fd) != 0 || rename(tempName.c_str(), target.c_str()) != 0) {
        ErrnoKeeper keep;
        unlink(tempName.c_str());
        return false;
    }
    SyncFolder(FolderOf(target));
    return true;
}
