// SPDX-License-Identifier: MIT
#include "platform/PosixFolderSource.h"

#include "shared/DirStream.h"
#include "shared/WildcardMatch.h"

#include <dirent.h>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>
#include <utility>

namespace {

bool IsDotOrDotDot(const char* name)
{
    return name[0] == '.' && (name[1] == '\0' || (name[1] == '.' && name[2] == '\0'));
}

// The target of the link name in folder as an absolute path, with "." and
// ".." resolved by text only (resolving through the file system is what might
// hang); empty when the link cannot be read.
std::string LinkTarget(DIR* dir, const std::string& folder, const char* name)
{
    char buffer[4096];
    const ssize_t length = readlinkat(dirfd(dir), name, buffer, sizeof buffer);
    if (length <= 0 || static_cast<size_t>(length) >= sizeof buffer)
        return {};
    std::string target(buffer, static_cast<size_t>(length));
    if (target.front() != '/')
        target = folder + target;
    std::vector<std::string> parts;
    size_t at = 0;
    while (at <= target.size()) {
        size_t end = target.find('/', at);
        if (end == std::string::npos)
            end = target.size();
        const std::string part = target.substr(at, end - at);
        if (part == "..") {
            if (!parts.empty())
                parts.pop_back();
        } else if (!part.empty() && part != ".") {
            parts.push_back(part);
        }
        at = end + 1;
    }
    std::string out;
    for (const std::string& part : parts)
        out += "/" + part;
    return out.empty() ? std::string("/") : out;
}

enum class Kind { Folder, File, Other, Untouchable };

// What an entry is, seen through links. d_type answers the common cases
// without a stat; a link into a mount that must not be touched is not
// followed.
Kind KindOf(DIR* dir, const std::string& folder, const dirent* entry, const MountTable* mounts)
{
    if (entry->d_type == DT_DIR)
        return Kind::Folder;
    if (entry->d_type == DT_REG)
        return Kind::File;
    if (entry->d_type != DT_LNK && entry->d_type != DT_UNKNOWN)
        return Kind::Other;
    if (entry->d_type == DT_LNK && mounts != nullptr
        && mounts->IsInsideNonFixedMount(LinkTarget(dir, folder, entry->d_name)))
        return Kind::Untouchable;
    struct stat st {};
    if (fstatat(dirfd(dir), entry->d_name, &st, 0) != 0)
        return Kind::Other; // a dangling link or a link loop
    if (S_ISDIR(st.st_mode))
        return Kind::Folder;
    if (S_ISREG(st.st_mode))
        return Kind::File;
    return Kind::Other;
}

// One level of look-ahead: stops at the first entry that is surely a folder.
// Links and entries of unknown type need a stat each, so they are only
// looked at when the plain entries hold no folder.
bool HasSubFolder(const std::string& folder, const MountTable& mounts)
{
    DirStream dir(folder);
    if (dir.get() == nullptr)
        return false;
    std::vector<std::string> uncertain;
    while (const dirent* entry = readdir(dir.get())) {
        if (IsDotOrDotDot(entry->d_name))
            continue;
        if (entry->d_type == DT_DIR)
            return true;
        if (entry->d_type == DT_LNK || entry->d_type == DT_UNKNOWN)
            uncertain.emplace_back(entry->d_name);
    }
    for (const std::string& name : uncertain) {
        dirent probe {};
        probe.d_type = DT_LNK;
        if (name.size() >= sizeof probe.d_name)
            continue;
        name.copy(probe.d_name, name.size());
        // An unknown type is stat'ed the same way as a link.
        const Kind kind = KindOf(dir.get(), folder, &probe, &mounts);
        if (kind == Kind::Folder || kind == Kind::Untouchable)
            return true;
    }
    return false;
}

std::string AsFolder(const std::string& folder)
{
    return !folder.empty() && folder.back() == '/' ? folder : folder + "/";
}

} // namespace

PosixFolderSource::PosixFolderSource(std::function<MountTable()> mountTable) : mountTable_(std::move(mountTable)) {}

std::optional<std::vector<FolderSource::SubFolder>> PosixFolderSource::ListSubFolders(const std::string& path) const
{
    const std::string folder = AsFolder(path);
    DirStream dir(folder);
    if (dir.get() == nullptr)
        return std::nullopt;
    const MountTable mounts = mountTable_();
    std::vector<SubFolder> folders;
    while (const dirent* entry = readdir(dir.get())) {
        if (IsDotOrDotDot(entry->d_name))
            continue;
        const Kind kind = KindOf(dir.get(), folder, entry, &mounts);
        if (kind == Kind::Untouchable) {
            folders.push_back({entry->d_name, true});
        } else if (kind == Kind::Folder) {
            const std::string child = folder + entry->d_name + "/";
            folders.push_back({entry->d_name, mounts.IsNonFixedMount(child) || HasSubFolder(child, mounts)});
        }
    }
    return folders;
}

bool PosixFolderSource::MayHaveSubFolders(const std::string& path) const
{
    const std::string folder = AsFolder(path);
    const MountTable mounts = mountTable_();
    return mounts.IsNonFixedMount(folder) || HasSubFolder(folder, mounts);
}

std::vector<std::string> PosixFolderSource::ListFiles(const std::string& path, const std::string& pattern) const
{
    const std::string folder = AsFolder(path);
    std::vector<std::string> files;
    DirStream dir(folder);
    if (dir.get() == nullptr)
        return files;
    while (const dirent* entry = readdir(dir.get())) {
        if (IsDotOrDotDot(entry->d_name) || !MatchesWildcard(entry->d_name, pattern))
            continue;
        if (KindOf(dir.get(), folder, entry, nullptr) == Kind::File)
            files.emplace_back(entry->d_name);
    }
    return files;
}

bool PosixFolderSource::FileExists(const std::string& path) const
{
    // Stat first: opening a FIFO for reading would wait for a writer.
    struct stat st {};
    if (path.empty() || stat(path.c_str(), &st) != 0 || !S_ISREG(st.st_mode))
        return false;
    const int fd = open(path.c_str(), O_RDONLY | O_CLOEXEC | O_NONBLOCK | O_NOCTTY);
    if (fd < 0)
        return false;
    const bool regular = fstat(fd, &st) == 0 && S_ISREG(st.st_mode);
    close(fd);
    return regular;
}
