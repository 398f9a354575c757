// SPDX-License-Identifier: MIT
// The autostart entry left at the end of a session, decided from the exit
// snapshot, and the real entry it becomes.
#include "ScopedEnv.h"
#include "ScratchDir.h"

#include "settings/SDRLink.h"
#include "settings/TExitSnapshot.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <sstream>
#include <string>
#include <vector>

namespace {

class RecordingShortcut : public RestoreShortcut {
public:
    std::vector<std::string> calls;
    void Write(bool minimized) override { calls.push_back(minimized ? "write minimized" : "write"); }
    void Remove() override { calls.push_back("remove"); }
};

struct EntryCase {
    const char* name;
    bool sdr;
    bool minimized;
    bool clearRegistry;
    std::vector<std::string> calls;
};

class RestoreEntryDecision : public testing::TestWithParam<EntryCase> {};

TEST_P(RestoreEntryDecision, WrittenOnlyWithShutdownRestoreAndKeptSettings)
{
    const EntryCase& c = GetParam();
    TExitSnapshot snapshot;
    snapshot.CustomSet.SDR = c.sdr;
    snapshot.Minimized = c.minimized;
    snapshot.ClearRegistry = c.clearRegistry;
    RecordingShortcut shortcut;
    WriteRestoreShortcut(shortcut, snapshot);
    EXPECT_EQ(shortcut.calls, c.calls);
}

INSTANTIATE_TEST_SUITE_P(
    Cases, RestoreEntryDecision,
    testing::Values(EntryCase{"off", false, false, false, {}},
                    EntryCase{"shown", true, false, false, {"write"}},
                    EntryCase{"minimised", true, true, false, {"write minimized"}},
                    EntryCase{"clearing", true, false, true, {}},
                    EntryCase{"off_and_clearing", false, true, true, {}}),
    [](const testing::TestParamInfo<EntryCase>& info) { return std::string(info.param.name); });

std::string ReadAll(const std::filesystem::path& file)
{
    std::ifstream in(file);
    std::stringstream text;
    text << in.rdbuf();
    return text.str();
}

TEST(SDRLinkEntry, WritesTheStartCommandAndRemovesIt)
{
    ScratchDir dir;
    ScopedEnv xdg("XDG_CONFIG_HOME", dir.Path().c_str());
    SDRLink link;
    const std::filesystem::path entry = std::filesystem::path(dir.Path()) / "autostart" / "ペロリンSDR.desktop";

    link.Write(true);
    ASSERT_TRUE(std::filesystem::exists(entry));
    EXPECT_NE(ReadAll(entry).find(" /SDR /M\n"), std::string::npos) << ReadAll(entry);
    link.Write(false);
    EXPECT_EQ(ReadAll(entry).find("/M"), std::string::npos) << ReadAll(entry);
    EXPECT_NE(ReadAll(entry).find(" /SDR\n"), std::string::npos) << ReadAll(entry);

    link.Remove();
    EXPECT_FALSE(std::filesystem::exists(entry));
    EXPECT_NO_THROW(link.Remove());
}

} // namespace
