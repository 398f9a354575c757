// SPDX-License-Identifier: MIT
#include "shared/ProgramPath.h"

#include <string_view>
#include <sys/stat.h>
#include <unistd.h>
#include <vector>

std::string ProgramFile()
{
    // The link's length is not known beforehand: grow until it fits.
    std::vector<char> buffer(256);
    while (buffer.size() <= 1024 * 1024) {
        const ssize_t length = readlink("/proc/self/exe", buffer.data(), buffer.size());
        if (length < 0)
            return {};
        if (static_cast<size_t>(length) < buffer.size()) {
            std::string path(buffer.data(), static_cast<size_t>(length));
            constexpr std::string_view deleted = " (deleted)";
            struct stat st {};
            if (path.ends_with(deleted) && stat(path.c_str(), &st) != 0)
                path.resize(path.size() - deleted.size());
            return path;
        }
        buffer.resize(buffer.size() * 2);
    }
    return {};
}

std::string ProgramFolder()
{
    const std::string file = ProgramFile();
    const size_t slash = file.rfind('/');
    return slash == std::string::npos ? std::string() : file.substr(0, slash);
}
