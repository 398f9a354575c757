// SPDX-License-Identifier: MIT
// The end of a session as the monitor window meets it: the autostart entry
// written when the session manager asks, removed when the shutdown is called
// off, the store saved or cleared, and nothing at all from a second copy.
#include "FormFixture.h"

#include "settings/SettingsRegistry.h"

#include <string>
#include <vector>

namespace {

constexpr const char* kExitState = "\\Software\\KORVAL\\Pelorin\\ExitState";

struct SessionCase {
    const char* name;
    std::vector<std::string> args;
    bool sdr;
    bool minimized;  // as stored
    bool ending;     // false: the shutdown was called off
    std::vector<std::string> entry;  // what happened to the autostart entry
    bool cleared;    // the store's key is gone rather than saved
};

class WindowSessionEnd : public FormFixture, public ::testing::WithParamInterface<SessionCase> {};

TEST_P(WindowSessionEnd, EntryAndStoreFollowTheSession)
{
    const SessionCase& c = GetParam();
    TCustomSet set;
    set.SDR = c.sdr;
    SaveSetting(store, 150, 120, c.minimized, TExitState{}, set);
    TFormPLN& w = Create(c.args);
    ASSERT_FALSE(w.IsSecondCopy());
    w.move(210, 130);

    w.QueryEndSession();
    w.EndSession(c.ending);
    EXPECT_EQ(shortcut.calls, c.entry);
    const RegTree tree = store.Load();
    if (c.cleared) {
        EXPECT_FALSE(tree.ReadInteger(kExitState, "MWLeft").has_value()) << "the key must be gone";
        EXPECT_FALSE(tree.ReadInteger("\\Software\\KORVAL\\Pelorin\\System", "HWND").has_value());
    } else {
        EXPECT_EQ(tree.ReadInteger(kExitState, "MWLeft"), 210);
        EXPECT_EQ(tree.ReadInteger(kExitState, "MWTop"), 130);
    }
}

INSTANTIATE_TEST_SUITE_P(
    Cases, WindowSessionEnd,
    ::testing::Values(
        SessionCase{"sdr_off_writes_nothing", {}, false, false, true, {}, false},
        SessionCase{"shown", {}, true, false, true, {"write"}, false},
        SessionCase{"minimised", {}, true, true, true, {"write minimized"}, false},
        SessionCase{"started_minimised_by_option", {"/M"}, true, false, true, {"write minimized"}, false},
        SessionCase{"cancelled_removes_the_entry", {}, true, false, false, {"write", "remove"}, false},
        SessionCase{"cancelled_with_sdr_off", {}, false, false, false, {"remove"}, false},
        // Cleared settings and an entry that brings the program back would
        // leave behind exactly what "/RC" asks not to.
        SessionCase{"clearing_writes_no_entry", {"/RC"}, true, false, true, {}, true},
        SessionCase{"clearing_and_cancelled", {"/RC"}, true, false, false, {"remove"}, true}),
    [](const auto& info) { return std::string(info.param.name); });

TEST_F(WindowSessionEnd, AnEndedSessionIsNotSavedAgainByClosing)
{
    TFormPLN& w = Create();
    w.move(210, 130);
    w.QueryEndSession();
    w.EndSession(true);
    // What the store holds now stays: the move after the end and the close
    // that follows it write nothing.
    const std::string saved = store.Load().Serialize();
    w.move(300, 300);
    w.close();
    EXPECT_EQ(store.Load().Serialize(), saved);
}

TEST_F(WindowSessionEnd, ACancelledShutdownKeepsTheWindowSavingAtClose)
{
    TFormPLN& w = Create();
    w.QueryEndSession();
    w.EndSession(false);
    w.move(300, 280);
    w.close();
    EXPECT_EQ(store.Load().ReadInteger(kExitState, "MWLeft"), 300);
}

TEST_F(WindowSessionEnd, ASecondCopyDoesNothing)
{
    TCustomSet set;
    set.SDR = true;
    SaveSetting(store, 150, 120, false, TExitState{}, set);
    Create();
    const std::string storedBefore = store.Load().Serialize();

    InstanceLock otherLock(dir.filePath("PelorinMutex").toStdString());
    RecordingShortcut otherShortcut;
    TFormServices otherServices{memory, store, windows, otherLock, otherShortcut, {"/RC", "/SDR"},
                                dir.path().toStdString(), launcher};
    TFormPLN second(otherServices);
    ASSERT_TRUE(second.IsSecondCopy());
    for (const bool ending : {false, true}) {
        second.QueryEndSession();
        second.EndSession(ending);
    }
    EXPECT_TRUE(otherShortcut.calls.empty());
    EXPECT_EQ(store.Load().Serialize(), storedBefore);
}

TEST_F(WindowSessionEnd, StartedByTheEntryRemovesIt)
{
    Create({"/SDR", "/M"});
    EXPECT_EQ(shortcut.calls, std::vector<std::string>{"remove"});
}

} // namespace
