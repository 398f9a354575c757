// SPDX-License-Identifier: MIT
#pragma once

#include <optional>
#include <string>
#include <vector>

// What the folder tree and the file dialog need of the file system. Folder
// paths end with "/"; names are the bytes the file system holds.
class FolderSource {
public:
    struct SubFolder {
        std::string name;
        // Whether the folder gets an expand button before it is listed.
        bool expandable = false;
    };

    virtual ~FolderSource() = default;

    // The sub-folders of folder, hidden ones included, in no particular
    // order, each with its look-ahead answered; nothing when the folder
    // cannot be listed.
    virtual std::optional<std::vector<SubFolder>> ListSubFolders(const std::string& folder) const = 0;

    // The look-ahead for one folder: true without touching it for a mount of
    // a removable or network file system (it may be slow or gone), else
    // whether it holds at least one sub-folder.
    virtual bool MayHaveSubFolders(const std::string& folder) const = 0;

    // The names of the files in folder (folders excluded, hidden files
    // included) that match pattern's "*" and "?"; empty when the folder
    // cannot be listed.
    virtual std::vector<std::string> ListFiles(const std::string& folder, const std::string& pattern) const = 0;

    // Whether path names a regular file that can be opened for reading.
    virtual bool FileExists(const std::string& path) const = 0;
};
