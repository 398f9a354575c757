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
    // that cannot be understood (another value type, a deletion, a damaged
    // line) reads as no value but is kept as it was, together with the lines
    // that continue it, and written back in its place; so is a section whose
    // header cannot be understood, with its lines. Text that does not start
    // with the "REGEDIT4" header (after a byte-order mark and blank lines)
    // reads empty.
    static RegTree Parse(std::string_view text);
    // True when text starts as Parse requires; text without the header
    // cannot be read at all.
    static bool HasHeader(std::string_view text);
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
        // Lines not understood, as they were (CR LF between lines); such an
        // entry has no name or value and is only written back.
        std::string verbatim;
    };
    struct Section {
        std::string path;  // with its root: "HKEY_CURRENT_USER\\Software\\KORVAL"
        std::vector<Entry> entries;
        // A section whose header was not understood, or the lines before the
        // first header: it names no key and holds only verbatim entries.
        bool opaque = false;
        std::string header;  // the opaque section's header line; empty before the first header
    };

    std::optional<size_t> IndexOf(std::string_view path) const;
    size_t EnsureSection(const std::string& path);
    Value* Slot(std::string_view key, std::string_view name);

    std::vector<Section> sections_;  // in file order; a new key goes after its parent's sub-keys
};
