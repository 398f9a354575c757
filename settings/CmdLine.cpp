// SPDX-License-Identifier: MIT
#include "settings/CmdLine.h"

#include "shared/MsgBox.h"
#include "shared/StrUtil.h"

namespace {

constexpr const char* kBadForm = "オプションの記述形式が不正です。\n";
constexpr const char* kUnknownOption = "このオプションは指定できません。\n";

// Only ASCII letters change: the bytes of multi-byte UTF-8 characters are all
// 0x80 or above and pass through untouched, so no character is ever split.
std::string AsciiUpper(const std::string& s)
{
    std::string u = s;
    for (char& c : u) {
        if (c >= 'a' && c <= 'z')
            c = static_cast<char>(c - 'a' + 'A');
    }
    return u;
}

void Complain(const char* text, const std::string& arg)
{
    MsgBox(text + arg, "", MB_OK | MB_ICONEXCLAMATION);
}

} // namespace

CmdLineResult AnalyzeCmdLine(const std::vector<std::string>& args)
{
    CmdLineResult result;
    for (const std::string& arg : args) {
        const std::string u = AsciiUpper(arg);
        if (u.empty() || (u[0] != '/' && u[0] != '-')) {
            Complain(kBadForm, arg);
            continue;
        }
        // "/=..." and "-x=..." read as a value without a name.
        const int eq = PosFrom(arg, "=", 1);
        if (eq == 1 || eq == 2) {
            Complain(kBadForm, arg);
            continue;
        }
        // Only the two characters after the prefix decide; a two-character
        // argument has a one-character key, so "/M" is "M" but "/MIN" is "MI".
        const std::string key = u.substr(1, 2);
        if (key == "M")
            result.Minimize = true;
        else if (key == "Q")
            result.QuitOnShow = true;
        else if (key == "RC")
            result.ClearRegistry = true;
        else if (key == "SD")
            result.DeleteShortcut = true;
        else
            Complain(kUnknownOption, arg);
    }
    return result;
}
