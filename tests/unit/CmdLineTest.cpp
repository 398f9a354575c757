// SPDX-License-Identifier: MIT
#include "settings/CmdLine.h"

#include "RecordingMessageBox.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace {

const std::string kBadForm = "オプションの記述形式が不正です。\n";
const std::string kUnknown = "このオプションは指定できません。\n";

struct CmdLineCase {
    const char* name;
    std::vector<std::string> args;
    CmdLineResult expected;
    std::vector<std::string> messages;
};

constexpr CmdLineResult kNone {};
constexpr CmdLineResult kMin {.Minimize = true};
constexpr CmdLineResult kQuit {.QuitOnShow = true};
constexpr CmdLineResult kClear {.ClearRegistry = true};
constexpr CmdLineResult kDelete {.DeleteShortcut = true};

const std::string kLongDelete = "/SD" + std::string(9997, 'x');
const std::string kLongUnknown = "/M" + std::string(9998, 'x');

std::vector<CmdLineCase> Cases()
{
    return {
        {"NoArguments", {}, kNone, {}},
        {"DashLowerM", {"-m"}, kMin, {}},
        {"SlashLowerM", {"/m"}, kMin, {}},
        {"SlashUpperM", {"/M"}, kMin, {}},
        {"LongerThanMIsUnknown", {"/MIN"}, kNone, {kUnknown + "/MIN"}},
        {"SDR", {"/SDR"}, kDelete, {}},
        {"SD", {"/SD"}, kDelete, {}},
        {"DashLowerSdrX", {"-sdrX"}, kDelete, {}},
        {"SOnlyIsUnknown", {"/S"}, kNone, {kUnknown + "/S"}},
        {"RC", {"/RC"}, kClear, {}},
        {"RCX", {"/RCX"}, kClear, {}},
        {"LowerRc", {"-rc"}, kClear, {}},
        {"EqualsAfterKeyIsIgnored", {"/RC=1"}, kClear, {}},
        {"Q", {"/Q"}, kQuit, {}},
        {"DashLowerQ", {"-q"}, kQuit, {}},
        {"QXIsUnknown", {"/QX"}, kNone, {kUnknown + "/QX"}},
        {"NoPrefix", {"M"}, kNone, {kBadForm + "M"}},
        {"Empty", {""}, kNone, {kBadForm}},
        {"EqualsSecond", {"/=1"}, kNone, {kBadForm + "/=1"}},
        {"DashEquals", {"-="}, kNone, {kBadForm + "-="}},
        {"EqualsThirdIsUnknown", {"/M=1"}, kNone, {kUnknown + "/M=1"}},
        {"LoneSlash", {"/"}, kNone, {kUnknown + "/"}},
        {"LoneDash", {"-"}, kNone, {kUnknown + "-"}},
        {"LongArgumentKeyDecides", {kLongDelete}, kDelete, {}},
        {"LongArgumentShownWhole", {kLongUnknown}, kNone, {kUnknown + kLongUnknown}},
        // Japanese text: no byte is upper-cased or split, and the message
        // shows the argument as typed.
        {"JapaneseOption", {"/メモリ"}, kNone, {kUnknown + "/メモリ"}},
        {"JapaneseNoPrefix", {"ｍ"}, kNone, {kBadForm + "ｍ"}},
        {"JapaneseAfterKey", {"-sdペロリン"}, kDelete, {}},
        {"AllFourOptions", {"/M", "/Q", "/RC", "/SDR"},
         {.Minimize = true, .QuitOnShow = true, .ClearRegistry = true, .DeleteShortcut = true}, {}},
        {"OneMessagePerBadArgumentInOrder", {"x", "/M", "/MIN", "/=", "-q", "/Z"},
         {.Minimize = true, .QuitOnShow = true},
         {kBadForm + "x", kUnknown + "/MIN", kBadForm + "/=", kUnknown + "/Z"}},
        {"RepeatedOption", {"/M", "-m"}, kMin, {}},
    };
}

class CmdLineTest : public testing::TestWithParam<CmdLineCase> {};

TEST_P(CmdLineTest, FlagsAndMessages)
{
    const CmdLineCase& c = GetParam();
    RecordingMessageBox recorder;

    const CmdLineResult r = AnalyzeCmdLine(c.args);

    EXPECT_EQ(r.Minimize, c.expected.Minimize);
    EXPECT_EQ(r.QuitOnShow, c.expected.QuitOnShow);
    EXPECT_EQ(r.ClearRegistry, c.expected.ClearRegistry);
    EXPECT_EQ(r.DeleteShortcut, c.expected.DeleteShortcut);
    std::vector<std::string> texts;
    for (const auto& shown : recorder.shown) {
        texts.push_back(shown.text);
        EXPECT_EQ(shown.caption, "ペロリン");
        EXPECT_EQ(shown.flags, 0x30);
    }
    EXPECT_EQ(texts, c.messages);
}

INSTANTIATE_TEST_SUITE_P(Options, CmdLineTest, testing::ValuesIn(Cases()),
                         [](const testing::TestParamInfo<CmdLineCase>& info) {
                             return std::string(info.param.name);
                         });

} // namespace
