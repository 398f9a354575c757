// SPDX-License-Identifier: MIT
#include "settings/ExportFile.h"

#include "shared/AtomicFile.h"
#include "shared/FileDescriptor.h"
#include "shared/MsgBox.h"

#include <algorithm>
#include <array>
#include <cerrno>
#include <charconv>
#include <fcntl.h>
#include <optional>
#include <sys/stat.h>
#include <unistd.h>

namespace {

constexpr std::string_view kCannotSave = "ファイルに保存できません。\n";
constexpr std::string_view kCannotAccess = "外持ファイルにアクセスできません。\n";
constexpr std::string_view kCannotRead = "設定を読み込むことができません。\n";
constexpr std::string_view kNotExportFile =
    "\n\n外持ファイルでないか、またはサポートされていない外持ファイル形式です。";

// The most lines any version needs: the signature and ten values.
constexpr size_t kLinesNeeded = 11;
// The most of a file that is read. A valid file is 40 bytes; a huge file
// named *.plne beside the program must not be read whole at start-up.
constexpr size_t kMaxReadBytes = 64 * 1024;

// The flags in file order; version 1 has all but the last.
constexpr std::array<bool TCustomSet::*, 7> kFlags = {
    &TCustomSet::InsideDesktop, &TCustomSet::MOExpDiffe, &TCustomSet::RegularUpdate,
    &TCustomSet::SDR,           &TCustomSet::StayOnTop,  &TCustomSet::UnTaskBar,
    &TCustomSet::UseNN,
};
constexpr std::array<int32_t TCustomSet::*, 3> kIntegers = {
    &TCustomSet::BaseWinStyle, &TCustomSet::Unit, &TCustomSet::UpdateInterval};

void ShowWarning(const std::string& text)
{
    MsgBox(text, "", MB_OK | MB_ICONEXCLAMATION);
}

// A value line is a whole decimal 32-bit integer: an optional "-" and digits,
// nothing else. The program writes no other form; blanks, "+" and anything
// out of range are refused rather than guessed at.
std::optional<int32_t> ParseValue(const std::string& line)
{
    int32_t value = 0;
    const char* const end = line.data() + line.size();
    const auto [stop, error] = std::from_chars(line.data(), end, value, 10);
    if (line.empty() || error != std::errc() || stop != end)
        return std::nullopt;
    return value;
}

// Reads lines[1] onwards into the given flags, then the three integers.
bool ReadValues(const std::vector<std::string>& lines, size_t flagCount, TCustomSet& set)
{
    size_t line = 1;
    for (size_t i = 0; i < flagCount; ++i, ++line) {
        if (line >= lines.size())
            return false;
        const std::optional<int32_t> value = ParseValue(lines[line]);
        if (!value)
            return false;
        set.*kFlags[i] = *value != 0;
    }
    for (int32_t TCustomSet::*field : kIntegers) {
        if (line >= lines.size())
            return false;
        const std::optional<int32_t> value = ParseValue(lines[line]);
        if (!value)
            return false;
        set.*field = *value;
        ++line;
    }
    return true;
}

// Loads the part of the file that can matter: up to a NUL, or until enough
// line ends have gone by for every line a version needs, and never more than
// kMaxReadBytes. Only regular files
// qualify; a FIFO or a device could block or never end.
bool LoadExportFile(const std::string& fileName, std::string& text)
{
    const FileDescriptor fd(open(fileName.c_str(), O_RDONLY | O_NONBLOCK | O_CLOEXEC));
    struct stat st {};
    if (fd.Get() < 0 || fstat(fd.Get(), &st) != 0 || !S_ISREG(st.st_mode))
        return false;

    text.clear();
    // A CR LF pair is two of these bytes, so twice the lines needed is enough.
    size_t lineEndBytes = 0;
    std::array<char, 4096> buffer{};
    while (lineEndBytes < 2 * kLinesNeeded) {
        if (text.size() >= kMaxReadBytes) {
            // A line cut off at the limit is no line: its digits could read
            // as another number.
            const size_t lastEnd = text.find_last_of("\r\n");
            text.resize(lastEnd == std::string::npos ? 0 : lastEnd + 1);
            break;
        }
        const ssize_t got = read(fd.Get(), buffer.data(), std::min(buffer.size(), kMaxReadBytes - text.size()));
        if (got < 0) {
            if (errno == EINTR)
                continue;
            return false;
        }
        if (got == 0)
            break;
        const std::string_view chunk(buffer.data(), static_cast<size_t>(got));
        const size_t nul = chunk.find('\0');
        const std::string_view kept = chunk.substr(0, nul);
        text.append(kept);
        if (nul != std::string_view::npos)
            break;
        for (char c : kept)
            lineEndBytes += (c == '\r' || c == '\n') ? 1 : 0;
    }
    return true;
}

} // namespace

std::string SettingText(const TCustomSet& set)
{
    std::string text(kExportSignatureVer2);
    text += "\r\n";
    for (bool TCustomSet::*flag : kFlags)
        text += (set.*flag ? "1\r\n" : "0\r\n");
    for (int32_t TCustomSet::*field : kIntegers)
        text += std::to_string(set.*field) + "\r\n";
    return text;
}

std::vector<std::string> SplitSettingLines(std::string_view text, size_t maxLines)
{
    text = text.substr(0, text.find('\0'));
    std::vector<std::string> lines;
    size_t at = 0;
    while (at < text.size() && lines.size() < maxLines) {
        const size_t end = std::min(text.find_first_of("\r\n", at), text.size());
        lines.emplace_back(text.substr(at, end - at));
        if (end == text.size())
            break;
        at = end + 1;
        if (text[end] == '\r' && at < text.size() && text[at] == '\n')
            ++at;
    }
    return lines;
}

SettingTextResult ReadSettingText(std::string_view text, TCustomSet& set)
{
    const std::vector<std::string> lines = SplitSettingLines(text, kLinesNeeded);
    if (lines.empty())
        return SettingTextResult::Empty;
    bool read = false;
    if (lines[0] == kExportSignatureVer2)
        read = ReadSettingVer2(lines, set);
    else if (lines[0] == kExportSignatureVer1)
        read = ReadSettingVer1(lines, set);
    else
        return SettingTextResult::NotSettings;
    return read ? SettingTextResult::Read : SettingTextResult::BadValue;
}

bool ReadSettingVer1(const std::vector<std::string>& lines, TCustomSet& set)
{
    return ReadValues(lines, kFlags.size() - 1, set);
}

bool ReadSettingVer2(const std::vector<std::string>& lines, TCustomSet& set)
{
    return ReadValues(lines, kFlags.size(), set);
}

bool ExportSetting(const std::string& fileName, const TCustomSet& set)
{
    if (WriteFileAtomically(fileName, SettingText(set)))
        return true;
    ShowWarning(std::string(kCannotSave) + fileName);
    return false;
}

bool ImportSetting(const std::string& fileName, TCustomSet& set)
{
    bool read = false;
    std::string text;
    if (!LoadExportFile(fileName, text)) {
        ShowWarning(std::string(kCannotAccess) + fileName);
    } else {
        switch (ReadSettingText(text, set)) {
        case SettingTextResult::Read:
            read = true;
            break;
        case SettingTextResult::NotSettings:
            ShowWarning(std::string(kCannotRead) + fileName + std::string(kNotExportFile));
            break;
        case SettingTextResult::BadValue:
        case SettingTextResult::Empty:
            break;
        }
    }
    BringIntoRange(set);
    return read;
}
