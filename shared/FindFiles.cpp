// SPDX-License-Identifier: MIT
#include "shared/FindFiles.h"

#include "shared/DirStream.h"
#include "shared/WildcardMatch.h"

#include <dirent.h>
#include <fcntl.h>
#include <set>
#include <sys/stat.h>
#include <utility>
#include <vector>

namespace {

// Folders one pattern's search has entered, by identity rather than by name:
// a link reaches the same folder under a new name.
using VisitedFolders = std::set<std::pair<dev_t, ino_t>>;

enum class EntryKind { File, Folder, Other };

// What an entry is, seen through links: d_type saves a stat call for the
// common cases, a link or an unknown type needs one.
EntryKind KindOf(DIR* dir, const dirent* entry)
{
    if (entry->d_type == DT_REG)
        return EntryKind::File;
    if (entry->d_type == DT_DIR)
        return EntryKind::Folder;
    if (entry->d_type != DT_LNK && entry->d_type != DT_UNKNOWN)
        return EntryKind::Other;
    struct stat st {};
    if (fstatat(dirfd(dir), entry->d_name, &st, 0) != 0)
        return EntryKind::Other; // a dangling link
    if (S_ISREG(st.st_mode))
        return EntryKind::File;
    if (S_ISDIR(st.st_mode))
        return EntryKind::Folder;
    return EntryKind::Other;
}

// Searches folder (a folder part as written in the pattern, empty for the
// current folder) for namePart, then its sub-folders when asked.
void SearchFolder(const std::string& folder, const std::string& namePart, StringList& list,
                  bool subFolders, VisitedFolders& visited)
{
    const std::string path = folder.empty() ? std::string(".") : folder;
    DirStream dir(path);
    if (dir.get() == nullptr)
        return;
    struct stat self {};
    if (fstat(dirfd(dir.get()), &self) != 0 || !visited.insert({self.st_dev, self.st_ino}).second)
        return;

    // One pass over the folder gives both the files and the sub-folders; the
    // sub-folders are entered after the folder is closed, so a deep tree does
    // not hold one open directory per level.
    std::vector<std::string> children;
    while (const dirent* entry = readdir(dir.get())) {
        const std::string name = entry->d_name;
        if (name == "." || name == "..")
            continue;
        const bool matches = MatchesWildcard(name, namePart);
        const bool wantFolder = subFolders && name.front() != '.';
        if (!matches && !wantFolder)
            continue;
        const EntryKind kind = KindOf(dir.get(), entry);
        if (kind == EntryKind::File && matches)
            list.Add(folder + name);
        else if (kind == EntryKind::Folder && wantFolder)
            children.push_back(name);
    }
    for (const std::string& child : children)
        SearchFolder(folder + child + "/", namePart, list, true, visited);
}

} // namespace

int FindFiles(const std::string& patterns, StringList& list, bool subFolders)
{
    const int before = list.Count();
    size_t at = 0;
    while (at < patterns.size()) {
        if (patterns[at] == ',') {
            ++at;
            continue;
        }
        size_t end = patterns.find(',', at);
        if (end == std::string::npos)
            end = patterns.size();
        const std::string pattern = patterns.substr(at, end - at);
        at = end;

        // "/" never occurs inside a UTF-8 sequence, so the last one found by
        // byte is the last folder separator.
        const size_t slash = pattern.rfind('/');
        const size_t nameStart = slash == std::string::npos ? 0 : slash + 1;
        VisitedFolders visited;
        SearchFolder(pattern.substr(0, nameStart), pattern.substr(nameStart), list, subFolders, visited);
    }
    return list.Count() - before;
}
