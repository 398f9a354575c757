// SPDX-License-Identifier: MIT
#pragma once

#include "platform/FolderSource.h"
#include "platform/MountTable.h"

#include <functional>

// The file system as the program sees it: directory listings that never
// follow a link into a loop (nothing here descends), and a look-ahead that
// never touches a network, automount or removable mount and stops at the
// first sub-folder it finds.
class PosixFolderSource : public FolderSource {
public:
    // mountTable gives the mounts not to touch, read afresh for each
    // listing since media come and go.
    explicit PosixFolderSource(std::function<MountTable()> mountTable = &MountTable::Current);

    std::optional<std::vector<SubFolder>> ListSubFolders(const std::string& folder) const override;
    bool MayHaveSubFolders(const std::string& folder) const override;
    std::vector<std::string> ListFiles(const std::string& folder, const std::string& pattern) const override;
    bool FileExists(const std::string& path) const override;

private:
    std::function<MountTable()> mountTable_;
};
