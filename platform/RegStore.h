// SPDX-License-Identifier: MIT
#pragma once

#include "platform/RegTree.h"

#include <atomic>
#include <filesystem>
#include <functional>

// The registry file on disk: $XDG_CONFIG_HOME/KORVAL/Pelorin.reg.
//
// Every change is a read-modify-write under an exclusive lock on a companion
// lock file, written to a temporary file in the same folder, flushed and
// renamed over the old one, so two running copies never corrupt the file and
// a crash never leaves it half-written.
class RegStore {
public:
    explicit RegStore(std::filesystem::path file);

    // $XDG_CONFIG_HOME/KORVAL/Pelorin.reg, with ~/.config when the variable is
    // unset, empty or not absolute.
    static std::filesystem::path DefaultPath();

    const std::filesystem::path& Path() const { return file_; }

    // The current document; a missing, unreadable or damaged file gives what
    // could be read (possibly nothing). Anything but a plain file is
    // unreadable, and a lock another process holds for more than a moment
    // makes the read fail (nothing), so a load never blocks for long; after
    // such a wait, loads and updates only try the lock until they get it
    // again. Never throws.
    RegTree Load() const;

    // Applies change to the current document and writes it back. Returns false
    // when the file could not be written (the old file then stays as it was):
    // also when it could not be read, has no write permission bit for anyone,
    // or the lock stayed with another process for more than a moment.
    bool Update(const std::function<void(RegTree&)>& change);

private:
    std::filesystem::path file_;
    // Set when the lock stayed with another process through a whole wait.
    mutable std::atomic<bool> lockStuck_{false};
};
