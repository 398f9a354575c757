// SPDX-License-Identifier: MIT
#include "platform/MountTable.h"

#include <algorithm>
#include <array>
#include <fstream>
#include <iterator>
#include <sstream>

namespace {

// The kernel writes blanks, tabs, line feeds and backslashes in mount points
// as three octal digits after a backslash.
std::string Unescape(std::string_view text)
{
    std::string out;
    out.reserve(text.size());
    for (size_t i = 0; i < text.size(); ++i) {
        if (text[i] == '\\' && i + 3 < text.size()
            && std::all_of(text.begin() + static_cast<std::ptrdiff_t>(i) + 1,
                           text.begin() + static_cast<std::ptrdiff_t>(i) + 4,
                           [](char c) { return c >= '0' && c <= '7'; })) {
            out += static_cast<char>((text[i + 1] - '0') * 64 + (text[i + 2] - '0') * 8 + (text[i + 3] - '0'));
            i += 3;
        } else {
            out += text[i];
        }
    }
    return out;
}

bool IsSlowFileSystem(const std::string& type)
{
    static constexpr std::array<std::string_view, 18> network = {
        "nfs", "nfs4", "cifs", "smb3", "smbfs", "ncpfs", "afs", "9p", "ceph", "glusterfs",
        "lustre", "davfs", "coda", "fuse", "autofs", "iso9660", "udf", "sshfs"};
    if (std::find(network.begin(), network.end(), type) != network.end())
        return true;
    // fuse.sshfs, fuse.rclone, fuse.gvfsd-fuse...: a user-space file system
    // may answer slowly or never; fuseblk is a local block device and is
    // judged by the device like any other.
    return type.rfind("fuse.", 0) == 0;
}

std::string WithoutFinalSlash(std::string_view path)
{
    std::string out(path);
    while (out.size() > 1 && out.back() == '/')
        out.pop_back();
    return out;
}

bool ReadsOne(const std::string& file)
{
    std::ifstream in(file);
    char c = 0;
    return in.get(c) && c == '1';
}

} // namespace

MountTable MountTable::Current()
{
    std::ifstream in("/proc/self/mountinfo");
    const std::string text{std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
    return Parse(text, [](const std::string& majorMinor) {
        // A partition's own folder has no "removable"; its disk's has.
        const std::string dev = "/sys/dev/block/" + majorMinor;
        return ReadsOne(dev + "/removable") || ReadsOne(dev + "/../removable");
    });
}

MountTable MountTable::Parse(std::string_view mountinfo, const RemovableCheck& removable)
{
    MountTable table;
    std::istringstream lines{std::string(mountinfo)};
    std::string line;
    while (std::getline(lines, line)) {
        std::istringstream fields(line);
        std::string id, parent, majorMinor, root, mountPoint;
        if (!(fields >> id >> parent >> majorMinor >> root >> mountPoint))
            continue;
        std::string field;
        while (fields >> field && field != "-") {
        }
        std::string type;
        if (field != "-" || !(fields >> type))
            continue;
        if (IsSlowFileSystem(type) || (removable && majorMinor.rfind("0:", 0) != 0 && removable(majorMinor)))
            table.mounts_.push_back(WithoutFinalSlash(Unescape(mountPoint)));
    }
    return table;
}

bool MountTable::IsNonFixedMount(std::string_view path) const
{
    const std::string wanted = WithoutFinalSlash(path);
    return std::find(mounts_.begin(), mounts_.end(), wanted) != mounts_.end();
}

bool MountTable::IsInsideNonFixedMount(std::string_view path) const
{
    const std::string wanted = WithoutFinalSlash(path);
    for (const std::string& mount : mounts_) {
        if (wanted == mount)
            return true;
        const std::string prefix = mount == "/" ? mount : mount + "/";
        if (wanted.rfind(prefix, 0) == 0)
            return true;
    }
    return false;
}
