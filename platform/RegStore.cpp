// SPDX-License-Identifier: MIT
#include "platform/RegStore.h"

#include "shared/AtomicFile.h"
#include "shared/FileDescriptor.h"
#include "shared/HomeFolder.h"
#include "shared/PrivateFolders.h"

#include <cerrno>
#include <chrono>
#include <condition_variable>
#include <cstdlib>
#include <exception>
#include <fcntl.h>
#include <memory>
#include <mutex>
#include <sys/file.h>
#include <sys/stat.h>
#include <thread>
#include <unistd.h>
#include <utility>

namespace {

// The settings file is a few hundred bytes; anything far bigger is not ours,
// and only its start is read rather than filling memory with it.
constexpr int64_t kMaxFileBytes = 16 * 1024 * 1024;

std::filesystem::path LockPath(const std::filesystem::path& file)
{
    return std::filesystem::path(file.native() + ".lock");
}

// How long a load or an update waits for another process's lock. A copy
// that is writing holds it for milliseconds; one held longer is stuck or
// hostile, and the start must not wait on it.
constexpr auto kLockWait = std::chrono::milliseconds(1500);

enum class LockResult { Taken, NoLockFile, Busy };

// A lock wait handed to a thread of its own, since flock has no time limit.
// The descriptor belongs to the wait until the caller takes it; a wait the
// caller gave up on closes it when the lock finally comes, which lets the
// lock go again at once.
struct LockWait {
    explicit LockWait(int descriptor) : fd(descriptor) {}
    ~LockWait()
    {
        if (fd >= 0)
            ::close(fd);
    }
    LockWait(const LockWait&) = delete;
    LockWait& operator=(const LockWait&) = delete;

    std::mutex mutex;
    std::condition_variable ended;
    bool done = false;
    bool taken = false;
    int fd;
};

// Opens the companion lock file and takes the lock, waiting at most patience
// for another holder. A blocking flock in a helper thread keeps the waiters
// in the kernel's queue, so that a copy saving in a tight loop cannot starve
// another one as retrying would. The lock file is opened without following a
// link and without blocking, and anything but a plain file is refused, so a
// link planted at its path cannot create or lock a file elsewhere.
LockResult TakeLock(const std::filesystem::path& file, int operation, std::chrono::milliseconds patience,
                    FileDescriptor& lock)
{
    FileDescriptor fd(::open(LockPath(file).c_str(), O_RDWR | O_CREAT | O_CLOEXEC | O_NOFOLLOW | O_NONBLOCK, 0600));
    struct stat info {};
    if (!fd.Valid() || ::fstat(fd.Get(), &info) != 0 || !S_ISREG(info.st_mode))
        return LockResult::NoLockFile;
    int result;
    do
        result = ::flock(fd.Get(), operation | LOCK_NB);
    while (result != 0 && errno == EINTR);
    if (result == 0) {
        lock = std::move(fd);
        return LockResult::Taken;
    }
    if (errno != EWOULDBLOCK)
        return LockResult::NoLockFile;
    if (patience.count() <= 0)
        return LockResult::Busy;

    auto wait = std::make_shared<LockWait>(fd.Release());
    std::thread([wait, operation] {
        int got;
        do
            got = ::flock(wait->fd, operation);
        while (got != 0 && errno == EINTR);
        const std::lock_guard<std::mutex> guard(wait->mutex);
        wait->done = true;
        wait->taken = got == 0;
        wait->ended.notify_all();
    }).detach();
    std::unique_lock<std::mutex> guard(wait->mutex);
    if (!wait->ended.wait_for(guard, patience, [&] { return wait->done; }))
        return LockResult::Busy;
    if (!wait->taken)
        return LockResult::NoLockFile;
    lock = FileDescriptor(std::exchange(wait->fd, -1));
    return LockResult::Taken;
}

// TakeLock for the store. A lock that stayed with another process through
// one whole wait is taken to be stuck: later loads and saves only try it,
// until it is had again, so that the start is not held up once for every
// access.
LockResult TakeStoreLock(const std::filesystem::path& file, int operation, std::atomic<bool>& stuck,
                         FileDescriptor& lock)
{
    const LockResult result =
        TakeLock(file, operation, stuck ? std::chrono::milliseconds(0) : kLockWait, lock);
    stuck = result == LockResult::Busy;
    return result;
}

// What ReadFile found at the path.
struct FileState {
    bool exists = false;
    bool readOnly = false;  // no write permission bit for anyone
};

// A missing file reads as empty text; false only when the file is there but
// could not be read. Only a plain file is read: opening a FIFO would wait
// for a writer for ever and a device may never end, so those count as
// unreadable, as a folder does.
bool ReadFile(const std::filesystem::path& file, std::string& text, FileState& state)
{
    text.clear();
    state = FileState();
    FileDescriptor fd(::open(file.c_str(), O_RDONLY | O_CLOEXEC | O_NONBLOCK));
    if (!fd.Valid())
        return errno == ENOENT;
    state.exists = true;
    struct stat info {};
    if (::fstat(fd.Get(), &info) != 0 || !S_ISREG(info.st_mode))
        return false;
    state.readOnly = (info.st_mode & 0222) == 0;
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

}  // namespace

RegStore::RegStore(std::filesystem::path file) : file_(std::move(file)) {}

std::filesystem::path RegStore::DefaultPath()
{
    std::filesystem::path config;
    const char* xdg = std::getenv("XDG_CONFIG_HOME");
    if (xdg != nullptr && xdg[0] == '/')
        config = xdg;
    else
    {
        // Without a home folder the path still must not be relative, which
        // would put the store wherever the program happened to start.
        const std::filesystem::path home = HomeFolder();
        config = (home.empty() ? std::filesystem::path("/") : home) / ".config";
    }
    return config / "KORVAL" / "Pelorin.reg";
}

RegTree RegStore::Load() const
{
    try {
        // The rename already hands readers whole files; the shared lock makes
        // a load wait for an update in progress so that it sees its result.
        // Without a lock file (no folder yet, read-only folder) it reads all
        // the same.
        // A lock held by another process past the wait counts as a failed
        // read, so that a stuck holder cannot keep the program from starting.
        FileDescriptor lock;
        if (TakeStoreLock(file_, LOCK_SH, lockStuck_, lock) == LockResult::Busy)
            return RegTree();
        std::string text;
        FileState state;
        if (!ReadFile(file_, text, state))
            return RegTree();
        return RegTree::Parse(text);
    } catch (const std::exception&) {
        return RegTree();
    }
}

bool RegStore::Update(const std::function<void(RegTree&)>& change)
{
    try {
        if (!MakePrivateFolders(file_.parent_path()))
            return false;
        // Held until the new file is in place, so that a second copy's update
        // starts from this one's result instead of overwriting it.
        FileDescriptor lock;
        if (TakeStoreLock(file_, LOCK_EX, lockStuck_, lock) != LockResult::Taken)
            return false;
        // A file that is there but cannot be read is left alone rather than
        // replaced by one holding only this change, and so is one the user
        // made read-only (no write bit for anyone; root included, who could
        // write it all the same). Damaged content is fine: what parses is
        // kept and the rest is dropped.
        std::string text;
        FileState state;
        if (!ReadFile(file_, text, state) || state.readOnly)
            return false;
        RegTree tree = RegTree::Parse(text);
        change(tree);
        // A file without the header could not be read at all: perhaps
        // another program's, perhaps the user's own edit gone wrong. It is
        // moved aside as Pelorin.reg.bad rather than lost, and put back if
        // the new file cannot be written.
        const bool keepAside = !RegTree::HasHeader(text) && text.find_first_not_of(" \t\r\n") != std::string::npos;
        const std::filesystem::path aside(file_.native() + ".bad");
        if (keepAside && ::rename(file_.c_str(), aside.c_str()) != 0)
            return false;
        // Written beside the file and renamed over it, so a reader or a crash
        // sees either the whole old file or the whole new one. The settings
        // are the user's own, so the file stays private whatever the umask,
        // and a link at its path is replaced like any old file.
        const bool written = WriteFileAtomically(file_.native(), tree.Serialize(),
                                                 {.mode = 0600, .replaceLink = true});
        if (!written && keepAside)
            ::rename(aside.c_str(), file_.c_str());
        return written;
    } catch (const std::exception&) {
        return false;
    }
}
