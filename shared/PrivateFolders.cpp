// SPDX-License-Identifier: MIT
#include "shared/PrivateFolders.h"

#include <cerrno>
#include <sys/stat.h>

bool MakePrivateFolders(const std::filesystem::path& folder)
{
    if (folder.empty())
        return true;
    struct stat info {};
    if (::stat(folder.c_str(), &info) == 0)
        return S_ISDIR(info.st_mode);
    if (errno != ENOENT)
        return false;
    const std::filesystem::path parent = folder.parent_path();
    if (parent != folder && !MakePrivateFolders(parent))
        return false;
    if (::mkdir(folder.c_str(), 0700) == 0)
        // The umask has taken bits away; this gives back exactly 0700.
        return ::chmod(folder.c_str(), 0700) == 0;
    return errno == EEXIST && ::stat(folder.c_str(), &info) == 0 && S_ISDIR(info.st_mode);
}
