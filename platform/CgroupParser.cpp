// SPDX-License-Identifier: MIT
#include "platform/CgroupParser.h"

#include <iterator>

namespace {

// Splits text at the first sep: the part before it, and text moved past it.
std::string_view TakeUntil(std::string_view& text, char sep)
{
    const size_t at = text.find(sep);
    const std::string_view head = text.substr(0, at);
    text = at == std::string_view::npos ? std::string_view() : text.substr(at + 1);
    return head;
}

std::optional<uint64_t> ParseDigits(std::string_view digits)
{
    if (digits.empty())
        return std::nullopt;
    uint64_t value = 0;
    for (const char c : digits) {
        if (c < '0' || c > '9')
            return std::nullopt;
        const auto digit = static_cast<uint64_t>(c - '0');
        if (value > (UINT64_MAX - digit) / 10)
            return std::nullopt;
        value = value * 10 + digit;
    }
    return value;
}

bool ListHas(std::string_view list, std::string_view item)
{
    while (!list.empty()) {
        if (TakeUntil(list, ',') == item)
            return true;
    }
    return false;
}

// Absolute, without empty, "." or ".." parts (a trailing "/" only for the root).
bool IsPlainGroupPath(std::string_view path)
{
    if (path.empty() || path.front() != '/')
        return false;
    if (path == "/")
        return true;
    std::string_view rest = path.substr(1);
    while (true) {
        const std::string_view part = TakeUntil(rest, '/');
        if (part.empty() || part == "." || part == "..")
            return false;
        if (part.find('\0') != std::string_view::npos)
            return false;
        if (rest.empty())
            return path.back() != '/';
    }
}

// mountinfo writes blank, tab, line feed and backslash as \ooo.
std::optional<std::string> Unescape(std::string_view field)
{
    std::string out;
    out.reserve(field.size());
    for (size_t i = 0; i < field.size(); ++i) {
        if (field[i] != '\\') {
            out += field[i];
            continue;
        }
        if (field.size() - i < 4)
            return std::nullopt;
        int value = 0;
        for (size_t k = 1; k <= 3; ++k) {
            const char c = field[i + k];
            if (c < '0' || c > '7')
                return std::nullopt;
            value = value * 8 + (c - '0');
        }
        if (value == 0 || value > 0xff)
            return std::nullopt;
        out += static_cast<char>(value);
        i += 3;
    }
    return out;
}

}  // namespace

CgroupMembership ParseProcCgroup(std::string_view text)
{
    CgroupMembership membership;
    while (!text.empty()) {
        std::string_view line = TakeUntil(text, '\n');
        const size_t first = line.find(':');
        if (first == std::string_view::npos)
            continue;
        const size_t second = line.find(':', first + 1);
        if (second == std::string_view::npos)
            continue;
        const std::string_view id = line.substr(0, first);
        const std::string_view controllers = line.substr(first + 1, second - first - 1);
        const std::string_view path = line.substr(second + 1);
        if (!ParseDigits(id) || !IsPlainGroupPath(path))
            continue;
        // The first line of a kind decides, as the kernel writes each once.
        if (id == "0" && controllers.empty()) {
            if (!membership.Unified)
                membership.Unified = std::string(path);
        } else if (ListHas(controllers, "memory")) {
            if (!membership.Memory)
                membership.Memory = std::string(path);
        }
    }
    return membership;
}

std::vector<CgroupMount> ParseCgroupMounts(std::string_view text)
{
    std::vector<CgroupMount> mounts;
    while (!text.empty()) {
        std::string_view line = TakeUntil(text, '\n');
        // id parent major:minor root mount-point options [optional...] - type source super-options
        std::string_view fields[5];
        bool complete = true;
        for (std::string_view& field : fields) {
            field = TakeUntil(line, ' ');
            complete = complete && !field.empty();
        }
        if (!complete)
            continue;
        TakeUntil(line, ' ');  // the mount's own options
        // The optional fields end at a lone "-".
        bool separator = false;
        while (!line.empty()) {
            if (TakeUntil(line, ' ') == "-") {
                separator = true;
                break;
            }
        }
        if (!separator)
            continue;
        const std::string_view type = TakeUntil(line, ' ');
        TakeUntil(line, ' ');  // source
        const std::string_view superOptions = TakeUntil(line, ' ');

        CgroupMount mount;
        if (type == "cgroup2")
            mount.Hierarchy = CgroupHierarchy::Unified;
        else if (type == "cgroup" && ListHas(superOptions, "memory"))
            mount.Hierarchy = CgroupHierarchy::LegacyMemory;
        else
            continue;
        std::optional<std::string> root = Unescape(fields[3]);
        std::optional<std::string> point = Unescape(fields[4]);
        if (!root || !point || !IsPlainGroupPath(*root) || !IsPlainGroupPath(*point))
            continue;
        mount.Root = std::move(*root);
        mount.MountPoint = std::move(*point);
        mounts.push_back(std::move(mount));
    }
    return mounts;
}

std::optional<std::string> GroupFolder(const CgroupMount& mount, std::string_view group)
{
    if (!IsPlainGroupPath(group))
        return std::nullopt;
    std::string_view below;
    if (mount.Root == "/") {
        below = group;
    } else if (group == mount.Root) {
        below = "";
    } else if (group.size() > mount.Root.size() && group.substr(0, mount.Root.size()) == mount.Root &&
               group[mount.Root.size()] == '/') {
        below = group.substr(mount.Root.size());
    } else {
        return std::nullopt;
    }
    if (below == "/")
        below = "";
    std::string folder = mount.MountPoint == "/" ? std::string() : mount.MountPoint;
    folder += below;
    return folder.empty() ? std::string("/") : folder;
}

MemoryStatFields ParseMemoryStat(std::string_view text)
{
    struct Key {
        std::string_view name;
        std::optional<uint64_t> MemoryStatFields::*field;
    };
    static constexpr Key kKeys[] = {
        {"inactive_file", &MemoryStatFields::InactiveFile},
        {"total_inactive_file", &MemoryStatFields::TotalInactiveFile},
        {"hierarchical_memory_limit", &MemoryStatFields::HierarchicalMemoryLimit},
        {"hierarchical_memsw_limit", &MemoryStatFields::HierarchicalMemswLimit},
    };
    bool seen[std::size(kKeys)] = {};

    MemoryStatFields fields;
    while (!text.empty()) {
        std::string_view line = TakeUntil(text, '\n');
        const std::string_view name = TakeUntil(line, ' ');
        for (size_t i = 0; i < std::size(kKeys); ++i) {
            if (kKeys[i].name != name || seen[i])
                continue;
            // A malformed first line leaves the figure empty for good: a
            // later duplicate is not the kernel's.
            seen[i] = true;
            fields.*(kKeys[i].field) = ParseDigits(line);
        }
    }
    return fields;
}

std::optional<uint64_t> ParseCgroupValue(std::string_view text)
{
    if (!text.empty() && text.back() == '\n')
        text.remove_suffix(1);
    if (text == "max")
        return kNoCgroupLimit;
    return ParseDigits(text);
}
