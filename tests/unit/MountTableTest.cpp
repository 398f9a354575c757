// SPDX-License-Identifier: MIT
#include "platform/MountTable.h"

#include <gtest/gtest.h>

namespace {

// A mountinfo text with the kinds of mount a folder browser meets.
constexpr const char* kMountinfo =
    "22 1 8:2 / / rw,relatime shared:1 - ext4 /dev/sda2 rw\n"
    "30 22 0:26 / /proc rw,nosuid shared:12 - proc proc rw\n"
    "40 22 0:40 / /net/server rw,relatime shared:20 - nfs4 server:/export rw\n"
    "41 22 0:41 / /mnt/share\\040with\\040blanks rw - cifs //nas/share rw\n"
    "42 22 8:17 / /media/stick rw,relatime - vfat /dev/sdb1 rw\n"
    "43 22 8:3 / /home rw,relatime - ext4 /dev/sda3 rw\n"
    "44 22 0:44 / /run/user/1000/gvfs rw - fuse.gvfsd-fuse gvfsd-fuse rw\n"
    "45 22 0:45 / /misc rw - autofs systemd-1 rw\n"
    "46 22 11:0 / /media/cdrom ro - iso9660 /dev/sr0 ro\n"
    "broken line\n";

TEST(MountTableTest, TellsWhichMountsMustNotBeTouched)
{
    const MountTable table = MountTable::Parse(kMountinfo, [](const std::string& majorMinor) {
        return majorMinor == "8:17"; // the stick's disk is removable
    });
    struct Case {
        const char* path;
        bool mount;
        bool inside;
    };
    const Case cases[] = {
        {"/", false, false},
        {"/home/", false, false},
        {"/proc", false, false},
        {"/net/server", true, true},
        {"/net/server/", true, true},
        {"/net/server/deep/er", false, true},
        {"/net/serverx", false, false},
        {"/net", false, false},
        {"/mnt/share with blanks/", true, true},
        {"/media/stick", true, true},
        {"/run/user/1000/gvfs/", true, true},
        {"/misc", true, true},
        {"/media/cdrom/", true, true},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.path);
        EXPECT_EQ(table.IsNonFixedMount(c.path), c.mount);
        EXPECT_EQ(table.IsInsideNonFixedMount(c.path), c.inside);
    }
}

TEST(MountTableTest, EmptyTextHoldsNothing)
{
    const MountTable table = MountTable::Parse("", nullptr);
    EXPECT_TRUE(table.NonFixedMounts().empty());
    EXPECT_FALSE(table.IsInsideNonFixedMount("/anything"));
}

TEST(MountTableTest, CurrentTableReadsWithoutFailing)
{
    // The machine's own table: whatever it holds, the root is a fixed disk
    // in any test environment worth running in.
    EXPECT_FALSE(MountTable::Current().IsNonFixedMount("/"));
}

} // namespace
