// SPDX-License-Identifier: MIT
#pragma once

#include <optional>
#include <string>
#include <string_view>
#include <sys/types.h>

// What the callers of WriteFileAtomically may ask beyond the defaults, which
// suit a file the user chose (an export): it keeps its permission bits and a
// link at its path stays a link.
struct AtomicWriteOptions {
    // The permission bits the file ends with, whatever the umask and whatever
    // bits an old file had: private settings must not become readable by
    // others through a lax umask, and an autostart entry must stay readable
    // by the session's launcher through a strict one. Unset, an existing file
    // keeps its bits and a new one gets 0666 less the umask.
    std::optional<mode_t> mode;
    // A link at path is replaced by the new file instead of written through,
    // for files of our own whose link target we never meant to change.
    bool replaceLink = false;
};

// Replaces the file at path with bytes, all or nothing: the bytes go to a new
// temporary file in the same folder, reach the disk (fsync), and are renamed
// over path. The temporary file's name starts with a dot and ends in ".tmp",
// so nothing that lists the folder for a kind of file (a launcher reading
// *.desktop) takes it up half-written. On any failure the temporary file is
// removed and an old file at path is left as it was. An existing file keeps
// its permission bits and a link at path is written through, so the link
// stays, unless options say otherwise. An old file with no write permission
// bit for anyone, or one this user may not write, is refused (EACCES) and
// left as it is, for root too. The new file keeps the old one's owner and
// group where the process may give them (as root). Returns false on failure, with errno
// describing the first error.
bool WriteFileAtomically(const std::string& path, std::string_view bytes,
                         const AtomicWriteOptions& options = {});
