// SPDX-License-Identifier: MIT
#include "platform/RegTree.h"

#include <algorithm>
#include <cstdio>
#include <unordered_map>

namespace {

constexpr std::string_view kUserRoot = "HKEY_CURRENT_USER";
constexpr std::string_view kHeader = "REGEDIT4";
constexpr std::string_view kUtf8Bom = "\xEF\xBB\xBF";
// Bytes per line of a written hex value, which keeps lines near 80 columns
// as regedit does.
constexpr size_t kHexBytesPerLine = 25;

char LowerAscii(char c)
{
    return (c >= 'A' && c <= 'Z') ? static_cast<char>(c - 'A' + 'a') : c;
}

std::string LowerAscii(std::string_view s)
{
    std::string out(s);
    std::transform(out.begin(), out.end(), out.begin(), [](char c) { return LowerAscii(c); });
    return out;
}

bool EqualNoCase(std::string_view a, std::string_view b)
{
    return a.size() == b.size()
        && std::equal(a.begin(), a.end(), b.begin(),
                      [](char x, char y) { return LowerAscii(x) == LowerAscii(y); });
}

bool StartsWithNoCase(std::string_view s, std::string_view prefix)
{
    return EqualNoCase(s.substr(0, prefix.size()), prefix);
}

// True when path names key itself or one of its sub-keys.
bool IsWithin(std::string_view path, std::string_view key)
{
    return StartsWithNoCase(path, key) && (path.size() == key.size() || path[key.size()] == '\\');
}

bool IsRoot(std::string_view path)
{
    return path.find('\\') == std::string_view::npos;
}

int HexDigit(char c)
{
    if (c >= '0' && c <= '9')
        return c - '0';
    c = LowerAscii(c);
    if (c >= 'a' && c <= 'f')
        return c - 'a' + 10;
    return -1;
}

std::string_view Trim(std::string_view s)
{
    const auto first = s.find_first_not_of(" \t");
    if (first == std::string_view::npos)
        return {};
    return s.substr(first, s.find_last_not_of(" \t") - first + 1);
}

// Joins the non-empty components of a backslash path, so "\A\\B\" and "A\B"
// name the same key. A control character would break the one-line section
// header, so a path holding one is refused.
std::optional<std::string> NormalizePath(std::string_view path)
{
    std::string out;
    size_t start = 0;
    while (start <= path.size()) {
        size_t end = path.find('\\', start);
        if (end == std::string_view::npos)
            end = path.size();
        const std::string_view part = path.substr(start, end - start);
        if (std::any_of(part.begin(), part.end(), [](char c) { return static_cast<unsigned char>(c) < 0x20; }))
            return std::nullopt;
        if (!part.empty()) {
            if (!out.empty())
                out += '\\';
            out += part;
        }
        start = end + 1;
    }
    if (out.empty())
        return std::nullopt;
    return out;
}

std::optional<std::string> UserPath(std::string_view key)
{
    std::string full(kUserRoot);
    full += '\\';
    full += key;
    return NormalizePath(full);
}

// Hands out the lines of the text without their CR LF or LF ends.
class LineReader {
public:
    explicit LineReader(std::string_view text) : text_(text) {}

    std::optional<std::string_view> Peek() const
    {
        if (pos_ >= text_.size())
            return std::nullopt;
        size_t end = text_.find('\n', pos_);
        if (end == std::string_view::npos)
            end = text_.size();
        std::string_view line = text_.substr(pos_, end - pos_);
        if (!line.empty() && line.back() == '\r')
            line.remove_suffix(1);
        return line;
    }

    size_t Position() const { return pos_; }

    std::optional<std::string_view> Next()
    {
        auto line = Peek();
        if (line) {
            const size_t end = text_.find('\n', pos_);
            pos_ = end == std::string_view::npos ? text_.size() : end + 1;
        }
        return line;
    }

private:
    std::string_view text_;
    size_t pos_ = 0;
};

// Reads a quoted text starting at s[pos] == '"' and leaves pos after the
// closing quote. Besides regedit's \\ and \" this reads \n, \r and \0, which
// the writer uses so that a text holding a line end stays on its line.
std::optional<std::string> ReadQuoted(std::string_view s, size_t& pos)
{
    std::string out;
    for (size_t i = pos + 1; i < s.size(); ++i) {
        char c = s[i];
        if (c == '"') {
            pos = i + 1;
            return out;
        }
        if (c == '\\') {
            if (++i == s.size())
                return std::nullopt;
            switch (s[i]) {
            case '\\': c = '\\'; break;
            case '"': c = '"'; break;
            case 'n': c = '\n'; break;
            case 'r': c = '\r'; break;
            case '0': c = '\0'; break;
            default: return std::nullopt;
            }
        }
        out += c;
    }
    return std::nullopt;
}

void WriteQuoted(std::string& out, std::string_view s)
{
    out += '"';
    for (const char c : s) {
        switch (c) {
        case '\\': out += "\\\\"; break;
        case '"': out += "\\\""; break;
        case '\n': out += "\\n"; break;
        case '\r': out += "\\r"; break;
        case '\0': out += "\\0"; break;
        default: out += c;
        }
    }
    out += '"';
}

std::optional<uint32_t> ParseDword(std::string_view digits)
{
    // More than eight digits cannot be a DWORD; refusing them keeps a damaged
    // value from reading as some truncated number.
    if (digits.empty() || digits.size() > 8)
        return std::nullopt;
    uint32_t value = 0;
    for (const char c : digits) {
        const int d = HexDigit(c);
        if (d < 0)
            return std::nullopt;
        value = value << 4 | static_cast<uint32_t>(d);
    }
    return value;
}

std::optional<std::vector<uint8_t>> ParseHexBytes(std::string_view list)
{
    std::vector<uint8_t> bytes;
    if (Trim(list).empty())
        return bytes;
    size_t start = 0;
    while (true) {
        const size_t comma = list.find(',', start);
        const std::string_view item =
            Trim(list.substr(start, comma == std::string_view::npos ? std::string_view::npos : comma - start));
        if (item.empty() || item.size() > 2)
            return std::nullopt;
        int byte = 0;
        for (const char c : item) {
            const int d = HexDigit(c);
            if (d < 0)
                return std::nullopt;
            byte = byte * 16 + d;
        }
        bytes.push_back(static_cast<uint8_t>(byte));
        if (comma == std::string_view::npos)
            return bytes;
        start = comma + 1;
    }
}

// The part after "=". Types other than DWORD, string and plain binary
// (hex(2): and the like) are not read.
std::optional<RegTree::Value> ParseData(std::string_view data)
{
    RegTree::Value value;
    if (data.starts_with('"')) {
        size_t pos = 0;
        auto text = ReadQuoted(data, pos);
        if (!text || !Trim(data.substr(pos)).empty())
            return std::nullopt;
        value.type = RegTree::Type::String;
        value.text = std::move(*text);
        return value;
    }
    if (StartsWithNoCase(data, "dword:")) {
        auto dword = ParseDword(data.substr(6));
        if (!dword)
            return std::nullopt;
        value.type = RegTree::Type::Dword;
        value.dword = *dword;
        return value;
    }
    if (StartsWithNoCase(data, "hex:")) {
        auto bytes = ParseHexBytes(data.substr(4));
        if (!bytes)
            return std::nullopt;
        value.type = RegTree::Type::Binary;
        value.bytes = std::move(*bytes);
        return value;
    }
    return std::nullopt;
}

// regedit breaks long hex values over lines ending in a backslash, each
// continued line indented and starting with a hex digit. A backslash with no
// such line after it leaves the value unfinished.
std::optional<std::string> JoinHexLines(std::string_view first, LineReader& lines)
{
    std::string data(first);
    while (!data.empty() && data.back() == '\\') {
        const auto next = lines.Peek();
        if (!next)
            return std::nullopt;
        const std::string_view more = Trim(*next);
        if (more.empty() || HexDigit(more.front()) < 0 || more.find('\0') != std::string_view::npos)
            return std::nullopt;
        data.pop_back();
        data += more;
        lines.Next();
    }
    return data;
}

// "[path]" gives the path; a "[-path]" deletion is not read.
std::optional<std::string> ParseSectionHeader(std::string_view line)
{
    if (line.size() < 2 || line.back() != ']' || line[1] == '-')
        return std::nullopt;
    auto path = NormalizePath(line.substr(1, line.size() - 2));
    if (!path || path->front() == '-')  // would be written as a deletion
        return std::nullopt;
    return path;
}

struct NamedValue {
    std::string name;
    RegTree::Value value;
};

// "Name"=data or @=data; a long hex value also takes its continued lines.
std::optional<NamedValue> ParseValueLine(std::string_view line, LineReader& lines)
{
    NamedValue named;
    size_t pos = 1;
    if (line.front() == '"') {
        pos = 0;
        auto quoted = ReadQuoted(line, pos);
        if (!quoted)
            return std::nullopt;
        named.name = std::move(*quoted);
    } else if (line.front() != '@') {
        return std::nullopt;
    }
    const std::string_view rest = Trim(line.substr(pos));
    if (!rest.starts_with('='))
        return std::nullopt;
    const std::string_view data = Trim(rest.substr(1));
    std::optional<std::string> joined;
    if (StartsWithNoCase(data, "hex")) {
        joined = JoinHexLines(data, lines);
        if (!joined)
            return std::nullopt;
    }
    auto value = ParseData(joined ? std::string_view(*joined) : data);
    if (!value)
        return std::nullopt;
    named.value = std::move(*value);
    return named;
}

void AppendValue(std::string& out, const RegTree::Value& value)
{
    switch (value.type) {
    case RegTree::Type::Dword: {
        char digits[9];
        std::snprintf(digits, sizeof digits, "%08x", static_cast<unsigned>(value.dword));
        out += "dword:";
        out += digits;
        break;
    }
    case RegTree::Type::String:
        WriteQuoted(out, value.text);
        break;
    case RegTree::Type::Binary:
        out += "hex:";
        for (size_t i = 0; i < value.bytes.size(); ++i) {
            if (i > 0)
                out += i % kHexBytesPerLine == 0 ? ",\\\r\n  " : ",";
            char digits[3];
            std::snprintf(digits, sizeof digits, "%02x", static_cast<unsigned>(value.bytes[i]));
            out += digits;
        }
        break;
    }
}

// Where the lines after the header start: a UTF-8 byte-order mark and blank
// lines may come before "REGEDIT4", as editors and hand-made files have them.
// Nothing when the header is not there.
std::optional<size_t> SkipToBody(std::string_view text)
{
    size_t skipped = text.starts_with(kUtf8Bom) ? kUtf8Bom.size() : 0;
    LineReader lines(text.substr(skipped));
    while (const auto line = lines.Next()) {
        const std::string_view content = Trim(*line);
        if (content == kHeader)
            return skipped + lines.Position();
        if (!content.empty())
            return std::nullopt;
    }
    return std::nullopt;
}

// Lines as they were, CR LF between them, for writing back unchanged.
std::string Verbatim(std::string_view lines)
{
    std::string out;
    size_t at = 0;
    while (at < lines.size()) {
        size_t end = lines.find('\n', at);
        if (end == std::string_view::npos)
            end = lines.size();
        std::string_view line = lines.substr(at, end - at);
        if (!line.empty() && line.back() == '\r')
            line.remove_suffix(1);
        if (!out.empty())
            out += "\r\n";
        out += line;
        at = end + 1;
    }
    return out;
}

}  // namespace

bool RegTree::HasHeader(std::string_view text)
{
    return SkipToBody(text).has_value();
}

RegTree RegTree::Parse(std::string_view text)
{
    RegTree tree;
    const std::optional<size_t> body = SkipToBody(text);
    if (!body)
        return tree;
    LineReader lines(text.substr(*body));

    // Lookup tables for this parse only, so that a huge damaged file with many
    // sections or values does not take quadratic time.
    std::unordered_map<std::string, size_t> sectionIndex;
    std::unordered_map<std::string, size_t> entryIndex;
    constexpr size_t kNoKey = static_cast<size_t>(-1);
    size_t current = kNoKey;
    // Lines not understood before the first header and under a header not
    // understood go to an opaque section, so that they are written back.
    const auto opaqueSection = [&](std::string header) {
        tree.sections_.push_back(Section{{}, {}, true, std::move(header)});
        return tree.sections_.size() - 1;
    };

    while (true) {
        const size_t start = lines.Position();
        const auto raw = lines.Next();
        if (!raw)
            break;
        const std::string_view line = Trim(*raw);
        // A NUL byte is no part of a text file: such a line is dropped.
        if (line.empty() || line.find('\0') != std::string_view::npos)
            continue;
        if (line.front() == '[') {
            auto path = ParseSectionHeader(line);
            if (!path) {
                // A "[-...]" deletion or a damaged header: its lines are not
                // filed under the previous key.
                current = opaqueSection(std::string(*raw));
                continue;
            }
            auto [it, added] = sectionIndex.try_emplace(LowerAscii(*path), tree.sections_.size());
            if (added)
                tree.sections_.push_back(Section{std::move(*path), {}, false, {}});
            current = it->second;
            continue;
        }
        auto named = line.front() == ';' ? std::nullopt : ParseValueLine(line, lines);
        if (current == kNoKey)
            current = opaqueSection({});
        Section& section = tree.sections_[current];
        if (!named || section.opaque) {
            section.entries.push_back(Entry{{}, {}, Verbatim(text.substr(*body + start, lines.Position() - start))});
            continue;
        }
        const std::string entryKey = std::to_string(current) + '\\' + LowerAscii(named->name);
        auto [it, added] = entryIndex.try_emplace(entryKey, section.entries.size());
        if (added)
            section.entries.push_back(Entry{std::move(named->name), std::move(named->value), {}});
        else
            section.entries[it->second].value = std::move(named->value);
    }
    return tree;
}

std::string RegTree::Serialize() const
{
    std::string out(kHeader);
    out += "\r\n\r\n";
    for (const Section& section : sections_) {
        if (!section.opaque) {
            out += '[';
            out += section.path;
            out += "]\r\n";
        } else if (!section.header.empty()) {
            out += section.header;
            out += "\r\n";
        }
        for (size_t i = 0; i < section.entries.size(); ++i) {
            const Entry& entry = section.entries[i];
            if (!entry.verbatim.empty()) {
                out += entry.verbatim;
                out += "\r\n";
                // A line ending in a backslash that was not continued must
                // not be continued by the next line when read again: a blank
                // line ends the value, as it did in the file read.
                const std::string_view last = std::string_view(entry.verbatim).substr(entry.verbatim.rfind('\n') + 1);
                if (i + 1 < section.entries.size() && Trim(last).ends_with('\\'))
                    out += "\r\n";
                continue;
            }
            if (entry.name.empty())
                out += '@';
            else
                WriteQuoted(out, entry.name);
            out += '=';
            AppendValue(out, entry.value);
            out += "\r\n";
        }
        out += "\r\n";
    }
    return out;
}

std::optional<size_t> RegTree::IndexOf(std::string_view path) const
{
    for (size_t i = 0; i < sections_.size(); ++i)
        if (EqualNoCase(sections_[i].path, path))
            return i;
    return std::nullopt;
}

size_t RegTree::EnsureSection(const std::string& path)
{
    if (auto found = IndexOf(path))
        return *found;
    // A root needs a section only when values are set right under it.
    if (IsRoot(path)) {
        sections_.push_back(Section{path, {}, false, {}});
        return sections_.size() - 1;
    }
    // Every key gets its parents written too, as a registry key always has
    // them; the root itself exists without a section. The new key goes after
    // its parent's last sub-key so that the file reads as a tree.
    const std::string parent = path.substr(0, path.rfind('\\'));
    if (!IsRoot(parent))
        EnsureSection(parent);
    size_t at = sections_.size();
    for (size_t i = sections_.size(); i-- > 0;) {
        if (IsWithin(sections_[i].path, parent)) {
            at = i + 1;
            break;
        }
    }
    sections_.insert(sections_.begin() + static_cast<std::ptrdiff_t>(at), Section{path, {}, false, {}});
    return at;
}

bool RegTree::KeyExists(std::string_view key) const
{
    const auto path = UserPath(key);
    if (!path)
        return false;
    if (IsRoot(*path))
        return true;
    // A file may hold only a deep section; its parents exist all the same.
    return std::any_of(sections_.begin(), sections_.end(),
                       [&](const Section& s) { return IsWithin(s.path, *path); });
}

void RegTree::CreateKey(std::string_view key)
{
    if (const auto path = UserPath(key); path && !IsRoot(*path))
        EnsureSection(*path);
}

void RegTree::DeleteKey(std::string_view key)
{
    const auto path = UserPath(key);
    if (!path || IsRoot(*path))
        return;
    const size_t before = sections_.size();
    std::erase_if(sections_, [&](const Section& s) { return IsWithin(s.path, *path); });
    // The parent may have existed only through the deleted key's section; it
    // must stay all the same.
    const std::string parent = path->substr(0, path->rfind('\\'));
    if (sections_.size() != before && !IsRoot(parent))
        EnsureSection(parent);
}

const RegTree::Value* RegTree::Find(std::string_view key, std::string_view name) const
{
    const auto path = UserPath(key);
    if (!path)
        return nullptr;
    const auto index = IndexOf(*path);
    if (!index)
        return nullptr;
    for (const Entry& entry : sections_[*index].entries)
        if (entry.verbatim.empty() && EqualNoCase(entry.name, name))
            return &entry.value;
    return nullptr;
}

RegTree::Value* RegTree::Slot(std::string_view key, std::string_view name)
{
    const auto path = UserPath(key);
    if (!path)
        return nullptr;
    Section& section = sections_[EnsureSection(*path)];
    for (Entry& entry : section.entries)
        if (entry.verbatim.empty() && EqualNoCase(entry.name, name))
            return &entry.value;
    section.entries.push_back(Entry{std::string(name), {}, {}});
    return &section.entries.back().value;
}

void RegTree::SetDword(std::string_view key, std::string_view name, uint32_t value)
{
    if (Value* slot = Slot(key, name))
        *slot = Value{Type::Dword, value, {}, {}};
}

void RegTree::SetString(std::string_view key, std::string_view name, std::string_view value)
{
    if (Value* slot = Slot(key, name))
        *slot = Value{Type::String, 0, std::string(value), {}};
}

void RegTree::SetBinary(std::string_view key, std::string_view name, std::vector<uint8_t> value)
{
    if (Value* slot = Slot(key, name))
        *slot = Value{Type::Binary, 0, {}, std::move(value)};
}

std::optional<int32_t> RegTree::ReadInteger(std::string_view key, std::string_view name) const
{
    const Value* value = Find(key, name);
    if (!value || value->type != Type::Dword)
        return std::nullopt;
    // The stored 32 bits read as two's complement, so dword:ffffffff is -1.
    return static_cast<int32_t>(value->dword);
}

std::optional<std::string> RegTree::ReadString(std::string_view key, std::string_view name) const
{
    const Value* value = Find(key, name);
    if (!value)
        return std::string();
    if (value->type != Type::String)
        return std::nullopt;
    return value->text;
}
