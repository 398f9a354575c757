// SPDX-License-Identifier: MIT
// The readers of /proc/self/cgroup, /proc/self/mountinfo and memory.stat on
// arbitrary bytes: no crash, no overflow (the sanitizers stop on either), and
// no group path that could lead outside the mount it is joined to, since the
// result is opened as a folder.
#include "platform/CgroupParser.h"

#include <cstdint>
#include <cstdlib>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace {

bool LeadsAnywhere(std::string_view path)
{
    return path.empty() || path.front() != '/' || path.find("/../") != std::string_view::npos ||
           path.find("/./") != std::string_view::npos || path.find("//") != std::string_view::npos ||
           path.ends_with("/..") || path.ends_with("/.");
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    const std::string_view bytes(reinterpret_cast<const char*>(data), size);

    const CgroupMembership membership = ParseProcCgroup(bytes);
    const std::vector<CgroupMount> mounts = ParseCgroupMounts(bytes);
    for (const std::optional<std::string>& group : {membership.Unified, membership.Memory}) {
        if (group && LeadsAnywhere(*group))
            std::abort();
    }
    for (const CgroupMount& mount : mounts) {
        if (LeadsAnywhere(mount.Root) || LeadsAnywhere(mount.MountPoint))
            std::abort();
        for (const std::optional<std::string>& group : {membership.Unified, membership.Memory}) {
            if (!group)
                continue;
            const std::optional<std::string> folder = GroupFolder(mount, *group);
            if (folder && (LeadsAnywhere(*folder) || !folder->starts_with(mount.MountPoint)))
                std::abort();
        }
    }

    const MemoryStatFields stat = ParseMemoryStat(bytes);
    (void)stat;
    (void)ParseCgroupValue(bytes);
    return 0;
}
