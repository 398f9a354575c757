// SPDX-License-Identifier: MIT
#pragma once

#include "platform/FolderSource.h"

// The file system as the program sees it: directory listings that never
// follow a link into a loop (nothing here descends), and a look-ahead that
// never touches a network, automount or removable mount and stops at the
// first sub-folder it finds.
class PosixFolderSource : public FolderSource {
public:
    PosixFolderSource() = default;

    std::optional<std::vector<SubFolder>> ListSubFolders(const std::string& folder) const override;
    bool MayHaveSubFolders(const std::string& folder) const override;
    std::vector<std::string> ListFiles(const std::string& folder, const std::string& pattern) const override;
    bool FileExists(const std::string& path) const override;
};
