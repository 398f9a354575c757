// SPDX-License-Identifier: MIT
#pragma once

#include <functional>
#include <string>
#include <string_view>
#include <vector>

// The mount points that a folder browser must not touch on its own: those of
// network file systems (a dead server makes every access hang), of automount
// points (touching one mounts it), of optical media and of removable block
// devices (slow to spin up, or gone).
class MountTable {
public:
    // Whether the block device major:minor is removable (from sysfs).
    using RemovableCheck = std::function<bool(const std::string& majorMinor)>;

    // Reads /proc/self/mountinfo and sysfs; an unreadable table holds nothing.
    static MountTable Current();
    // Parses the text of a mountinfo file.
    static MountTable Parse(std::string_view mountinfo, const RemovableCheck& removable);

    // Whether path (absolute, with or without the final "/") is one of the
    // mount points above.
    bool IsNonFixedMount(std::string_view path) const;
    // Whether path lies on or below one of them.
    bool IsInsideNonFixedMount(std::string_view path) const;

    const std::vector<std::string>& NonFixedMounts() const { return mounts_; }

private:
    std::vector<std::string> mounts_; // without a final "/" except for "/"
};
