// SPDX-License-Identifier: MIT
#pragma once

#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <set>
#include <stdexcept>
#include <string>
#include <string_view>

// A fresh folder under the system's temporary folder, removed with everything
// in it when the test ends. Paths given to its helpers are relative to it.
class ScratchDir {
public:
    ScratchDir()
    {
        std::string pattern = (std::filesystem::temp_directory_path() / "pelorin-test-XXXXXX").string();
        if (mkdtemp(pattern.data()) == nullptr)
            throw std::runtime_error("mkdtemp failed");
        path_ = pattern;
    }
    ~ScratchDir()
    {
        std::error_code ignored;
        std::filesystem::remove_all(path_, ignored);
    }
    ScratchDir(const ScratchDir&) = delete;
    ScratchDir& operator=(const ScratchDir&) = delete;

    const std::string& Path() const { return path_; }
    std::string operator/(std::string_view relative) const { return path_ + "/" + std::string(relative); }

    // Writes bytes to a file, making its folders first; returns its full path.
    std::string Write(std::string_view relative, std::string_view bytes) const
    {
        const std::filesystem::path file = *this / relative;
        std::filesystem::create_directories(file.parent_path());
        std::ofstream out(file, std::ios::binary | std::ios::trunc);
        out.write(bytes.data(), static_cast<std::streamsize>(bytes.size()));
        if (!out)
            throw std::runtime_error("cannot write " + file.string());
        return file.string();
    }

    std::string MakeFolder(std::string_view relative) const
    {
        const std::string folder = *this / relative;
        std::filesystem::create_directories(folder);
        return folder;
    }

    // A symbolic link at relative pointing to target, as written.
    void Link(std::string_view relative, std::string_view target) const
    {
        std::filesystem::create_symlink(std::string(target), *this / relative);
    }

    std::string Read(std::string_view relative) const
    {
        std::ifstream in(*this / relative, std::ios::binary);
        return {std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
    }

    // The names in a folder, hidden ones included.
    std::set<std::string> Names(std::string_view relative = "") const
    {
        std::set<std::string> names;
        for (const auto& entry : std::filesystem::directory_iterator(relative.empty() ? path_ : *this / relative))
            names.insert(entry.path().filename().string());
        return names;
    }

private:
    std::string path_;
};
