// SPDX-License-Identifier: MIT
#pragma once

#include <cstddef>
#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

// An in-memory registry document in the REGEDIT4 text format.
//
// Key paths are given relative to HKEY_CURRENT_USER with a leading backslash,
// for example "\\Software\\KORVAL\\Pelorin\\Pref". Key and value names compare
// without regard to ASCII letter case, as the registry does. Sections of other
// roots found in a file are kept as they are and written back unchanged.
class RegTree {
public:
    enum class Type { Dword, String, Binary };
    struct Value {
        Type type = Type::Dword;
        uint32_t dword = 0;
        std::string text;            // String
        std::vector<uint8_t> bytes;  // Binary
    };

    // Reads REGEDIT4 text (CR LF or LF line ends, UTF-8). Never throws: a line
    // that cannot be understood is skipped, so a damaged file reads as missing
    // values. Text that does not start with the "REGEDIT4" header reads empty.
    static RegTree Parse(std::string_view text);
    // The whole document as REGEDIT4 text with CR LF line ends.
    std::string Serialize() const;

    bool KeyExists(std::string_view key) const;
    void CreateKey(std::string_view key);   // creates missing parents too
    void DeleteKey(std::string_view key);   // the key, its values and every sub-key

    const Value* Find(std::string_view key, std::string_view name) const;
    // Each setter creates the key when it is missing.
    void SetDword(std::string_view key, std::string_view name, uint32_t value);
    void SetString(std::string_view key, std::string_view name, std::string_view value);
    void SetBinary(std::string_view key, std::string_view name, std::vector<uint8_t> value);

    // The reading rules the settings loader relies on: an integer that is
    // missing or not a DWORD is an error (nullopt); a missing string reads
    // empty, a value of another type is an error.
    std::optional<int32_t> ReadInteger(std::string_view key, std::string_view name) const;
    std::optional<std::string> ReadString(std::string_view key, std::string_view name) const;

private:
    struct Entry {
        std::string name;  // empty for the key's default value, written as @
        Value value;
    };
    struct Section {
        std::string path;  // with its root: "HKEY_CURRENT_USER\\Software\\KORVAL"
        std::vector<Entry> entries;
    };

    std::optional<size_t> IndexOf(std::string_view path) const;
    size_t EnsureSection(const std::string& path);
    Value* Slot(std::string_view key, std::string_view name);

    std::vector<Section> sections_;  // in file order; a new key goes after its parent's sub-keys
};
