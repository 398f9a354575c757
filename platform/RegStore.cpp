// SPDX-License-Identifier: MIT
#include "platform/RegStore.h"

#include "shared/AtomicFile.h"

#include <cerrno>
#include <cstdlib>
#include <exception>
#include <fcntl.h>
#include <pwd.h>
#include <sys/file.h>
#include <sys/stat.h>
#include <unistd.h>
#include <utility>

namespace {

// The settings file is a few hundred bytes; anything far bigger is not ours,
// and only its start is read rather than filling memory with it.
constexpr int64_t kMaxFileBytes = 16 * 1024 * 1024;

// Closes the descriptor on every way out, which also drops a flock held on it.
class FileDescriptor {
public:
    explicit FileDescriptor(int fd = -1) : fd_(fd) {}
    FileDescriptor(FileDescriptor&& other) noexcept : fd_(std::exchange(other.fd_, -1)) {}
    FileDescriptor(const FileDescriptor&) = delete;
    FileDescriptor& operator=(const FileDescriptor&) = delete;
    FileDescriptor& operator=(FileDescriptor&&) = delete;
    ~FileDescriptor()
    {
        if (fd_ >= 0)
            ::close(fd_);
    }

    int Get() const { return fd_; }
    bool Valid() const { return fd_ >= 0; }

private:
    int fd_;
};

std::filesystem::path LockPath(const std::filesystem::path& file)
{
    return std::filesystem::path(file.native() + ".lock");
}

// Opens the companion lock file and takes the lock; an invalid descriptor
// when either fails.
FileDescriptor TakeLock(const std::filesystem::path& file, int operation)
{
    FileDescriptor fd(::open(LockPath(file).c_str(), O_RDWR | O_CREAT | O_CLOEXEC, 0600));
    if (!fd.Valid())
        return fd;
    int result;
    do
        result = ::flock(fd.Get(), operation);
    while (result != 0 && errno == EINTR);
    return result == 0 ? std::move(fd) : FileDescriptor();
}

// A missing file reads as empty text; false only when the file is there but
// could not be read.
bool ReadFile(const std::filesystem::path& file, std::string& text)
{
    text.clear();
    FileDescriptor fd(::open(file.c_str(), O_RDONLY | O_CLOEXEC));
    if (!fd.Valid())
        return errno == ENOENT;
    char buffer[65536];
    while (static_cast<int64_t>(text.size()) < kMaxFileBytes) {
        const ssize_t got = ::read(fd.Get(), buffer, sizeof buffer);
        if (got < 0 && errno == EINTR)
            continue;
        if (got < 0)
            return false;
        if (got == 0)
            break;
        text.append(buffer, static_cast<size_t>(got));
    }
    return true;
}

// Creates the missing folders of the path, private to the user as the XDG
// base directory rules ask.
bool MakeFolders(const std::filesystem::path& folder)
{
    if (folder.empty())
        return true;
    struct stat info {};
    if (::stat(folder.c_str(), &info) == 0)
        return S_ISDIR(info.st_mode);
    if (errno != ENOENT)
        return false;
    const std::filesystem::path parent = folder.parent_path();
    if (parent != folder && !MakeFolders(parent))
        return false;
    return ::mkdir(folder.c_str(), 0700) == 0 || errno == EEXIST;
}

std::filesystem::path HomeFolder()
{
    const char* home = std::getenv("HOME");
    if (home != nullptr && home[0] != '\0')
        return home;
    if (const passwd* entry = ::getpwuid(::getuid()); entry != nullptr && entry->pw_dir != nullptr)
        return entry->pw_dir;
    return "/";
}

}  // namespace

RegStore::RegStore(std::filesystem::path file) : file_(std::move(file)) {}

std::filesystem::path RegStore::DefaultPath()
{
    std::filesystem::path config;
    const char* xdg = std::getenv("XDG_CONFIG_HOME");
    if (xdg != nullptr && xdg[0] == '/')
        config = xdg;
    else
        config = HomeFolder() / ".config";
    return config / "KORVAL" / "Pelorin.reg";
}

RegTree RegStore::Load() const
{
    try {
        // The rename already hands readers whole files; the shared lock makes
        // a load wait for an update in progress so that it sees its result.
        // Without a lock file (no folder yet, read-only folder) it reads all
        // the same.
        const FileDescriptor lock = TakeLock(file_, LOCK_SH);
        std::string text;
        if (!ReadFile(file_, text))
            return RegTree();
        return RegTree::Parse(text);
    } catch (const std::exception&) {
        return RegTree();
    }
}

bool RegStore::Update(const std::function<void(RegTree&)>& change)
{
    try {
        if (!MakeFolders(file_.parent_path()))
            return false;
        // Held until the new file is in place, so that a second copy's update
        // starts from this one's result instead of overwriting it.
        const FileDescriptor lock = TakeLock(file_, LOCK_EX);
        if (!lock.Valid())
            return false;
        // A file that is there but cannot be read is left alone rather than
        // replaced by one holding only this change. Damaged content is fine:
        // what parses is kept and the rest is dropped.
        std::string text;
        if (!ReadFile(file_, text))
            return false;
        RegTree tree = RegTree::Parse(text);
        change(tree);
        // Written beside the file and renamed over it, so a reader or a crash
        // sees either the whole old file or the whole new one. The settings
        // are the user's own, so the file stays private whatever the umask,
        // and a link at its path is replaced like any old file.
        return WriteFileAtomically(file_.native(), tree.Serialize(),
                                   {.mode = 0600, .replaceLink = true});
    } catch (const std::exception&) {
        return false;
    }
}
