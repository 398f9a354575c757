// SPDX-License-Identifier: MIT
#pragma once

#include <filesystem>
#include <string_view>

// Keeps the program to one running copy per user: an advisory lock on a file
// in the user's runtime folder, held for the whole run. The kernel drops it
// when the process ends, also after a crash, so no stale lock survives.
class InstanceLock {
public:
    explicit InstanceLock(std::filesystem::path file);
    ~InstanceLock();
    InstanceLock(const InstanceLock&) = delete;
    InstanceLock& operator=(const InstanceLock&) = delete;

    // $XDG_RUNTIME_DIR/<name>, or the same name in a private per-user folder
    // (mode 0700) under the temporary folder when there is no runtime folder
    // or it is not this user's own (another user's, left by su or sudo).
    static std::filesystem::path DefaultPath(std::string_view name);

    // True when this process now holds the lock. False when another process
    // holds it (another copy runs) or no lock file can be had at all. A lock
    // file that cannot be opened where it was meant to be (a folder or a link
    // in its place, the folder missing or read-only) is taken from the
    // private per-user folder instead.
    bool TryAcquire();
    // True after TryAcquire failed because another process holds the lock.
    bool HeldByAnother() const { return heldByAnother_; }

private:
    std::filesystem::path file_;
    int fd_ = -1;
    bool heldByAnother_ = false;
};
