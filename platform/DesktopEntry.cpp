// SPDX-License-Identifier: MIT
#include "platform/DesktopEntry.h"

#include "shared/AtomicFile.h"
#include "shared/HomeFolder.h"
#include "shared/PrivateFolders.h"

#include <cstdio>
#include <cstdlib>
#include <unistd.h>

namespace fs = std::filesystem;

namespace {

// Characters that force an Exec argument into quotes. A carriage return is
// not in the list launchers document, but some split on any white space, and
// quoting is always allowed.
constexpr std::string_view kReserved = " \t\n\r\"'\\><~|&;$*?#()`";
// Characters that need a backslash inside the quotes.
constexpr std::string_view kEscapedInQuotes = "\"`$\\";
constexpr std::string_view kBlanks = " \t\r\n";

// The general escapes of a string value. A leading space would be taken for
// the blank after '=' and dropped, so it is written as \s.
std::string EscapeString(std::string_view s)
{
    std::string out;
    out.reserve(s.size());
    for (std::size_t i = 0; i < s.size(); ++i) {
        const char c = s[i];
        switch (c) {
        case '\\': out += "\\\\"; break;
        case '\n': out += "\\n"; break;
        case '\t': out += "\\t"; break;
        case '\r': out += "\\r"; break;
        case ' ': out += (i == 0) ? "\\s" : " "; break;
        default: out += c; break;
        }
    }
    return out;
}

// True for well-formed UTF-8: no stray continuation byte, no overlong form,
// no surrogate and nothing past U+10FFFF.
bool IsUtf8(std::string_view s)
{
    size_t i = 0;
    while (i < s.size()) {
        const auto lead = static_cast<unsigned char>(s[i]);
        size_t length = 1;
        unsigned char low = 0x80, high = 0xBF;  // bounds of the second byte
        if (lead < 0x80) {
            ++i;
            continue;
        }
        if (lead >= 0xC2 && lead <= 0xDF) {
            length = 2;
        } else if (lead >= 0xE0 && lead <= 0xEF) {
            length = 3;
            if (lead == 0xE0)
                low = 0xA0;
            if (lead == 0xED)
                high = 0x9F;
        } else if (lead >= 0xF0 && lead <= 0xF4) {
            length = 4;
            if (lead == 0xF0)
                low = 0x90;
            if (lead == 0xF4)
                high = 0x8F;
        } else {
            return false;
        }
        if (i + length > s.size())
            return false;
        for (size_t k = 1; k < length; ++k) {
            const auto c = static_cast<unsigned char>(s[i + k]);
            if (k == 1 ? (c < low || c > high) : (c < 0x80 || c > 0xBF))
                return false;
        }
        i += length;
    }
    return true;
}

// The text with each byte that is not part of well-formed UTF-8 shown as
// U+FFFD, for values that are only read by people (Name, Comment).
std::string ToUtf8(std::string_view s)
{
    if (IsUtf8(s))
        return std::string(s);
    std::string out;
    for (size_t i = 0; i < s.size();) {
        size_t length = 1;
        while (length <= 4 && i + length <= s.size() && !IsUtf8(s.substr(i, length)))
            ++length;
        if (length <= 4 && i + length <= s.size()) {
            out += s.substr(i, length);
            i += length;
        } else {
            out += "\xEF\xBF\xBD";
            ++i;
        }
    }
    return out;
}

// A program path that is not UTF-8 cannot be written into the file as it is.
// The shell rebuilds it instead from printf's octal escapes, which are plain
// ASCII; the "x" keeps $(...) from eating a line end the path ends with.
std::string ShellStarter(std::string_view programPath)
{
    std::string format;
    for (const char c : programPath) {
        const auto byte = static_cast<unsigned char>(c);
        if (byte >= 0x20 && byte < 0x7F && c != '\'' && c != '\\' && c != '%') {
            format += c;
        } else {
            char octal[5];
            std::snprintf(octal, sizeof octal, "\\%03o", static_cast<unsigned>(byte));
            format += octal;
        }
    }
    return "p=$(printf '" + format + "x'); exec \"${p%x}\" \"$@\"";
}

std::string ExecValue(const std::string& programPath, const std::string& arguments)
{
    // The arguments follow "sh", which the shell takes as its $0.
    std::string exec = IsUtf8(programPath)
        ? QuoteExecArgument(programPath)
        : "/bin/sh -c " + QuoteExecArgument(ShellStarter(programPath)) + " sh";
    std::size_t pos = arguments.find_first_not_of(kBlanks);
    while (pos != std::string::npos) {
        const std::size_t end = arguments.find_first_of(kBlanks, pos);
        const std::size_t len = (end == std::string::npos) ? std::string::npos : end - pos;
        exec += ' ';
        exec += QuoteExecArgument(std::string_view(arguments).substr(pos, len));
        pos = (end == std::string::npos) ? end : arguments.find_first_not_of(kBlanks, end);
    }
    return exec;
}

} // namespace

fs::path AutostartFolder()
{
    const char* config = std::getenv("XDG_CONFIG_HOME");
    if (config && config[0] == '/')
        return fs::path(config) / "autostart";
    const fs::path home = HomeFolder();
    if (home.empty())
        return {};
    return home / ".config" / "autostart";
}

fs::path AutostartEntryPath(std::string_view entryName)
{
    const fs::path folder = AutostartFolder();
    if (folder.empty())
        return {};
    return folder / (std::string(entryName) + ".desktop");
}

std::string QuoteExecArgument(std::string_view arg)
{
    const bool quote = arg.empty() || arg.find_first_of(kReserved) != std::string_view::npos;
    std::string out;
    out.reserve(arg.size() + 2);
    if (quote)
        out += '"';
    for (const char c : arg) {
        if (quote && kEscapedInQuotes.find(c) != std::string_view::npos)
            out += '\\';
        else if (c == '%')
            out += '%';
        out += c;
    }
    if (quote)
        out += '"';
    return EscapeString(out);
}

bool WriteShortcut(const fs::path& file, const std::string& programPath,
                   const std::string& arguments, const std::string& name,
                   const std::string& comment)
{
    if (!file.has_filename())
        return false;
    // Every value must be UTF-8; a program folder whose name is not is shown
    // with replacement characters and started through the shell.
    const std::string text = "[Desktop Entry]\nType=Application\nName=" + EscapeString(ToUtf8(name))
        + "\nComment=" + EscapeString(ToUtf8(comment)) + "\nExec=" + ExecValue(programPath, arguments)
        + "\n";

    // A folder open to others would let them plant an entry that runs at
    // the next login, so new folders are private whatever the umask.
    const fs::path dir = file.has_parent_path() ? file.parent_path() : fs::path(".");
    if (!MakePrivateFolders(dir))
        return false;

    // The temporary file's leading dot and ".tmp" suffix keep launchers from
    // starting a half-written entry. The session's launcher must be able to
    // read the entry whatever the umask; a link at its path is replaced
    // rather than followed, so the entry never lands on a file elsewhere.
    return WriteFileAtomically(file.string(), text, {.mode = 0644, .replaceLink = true});
}

void DeleteShortcut(const fs::path& file)
{
    if (file.empty())
        return;
    std::error_code ec;
    fs::remove(file, ec);
}
