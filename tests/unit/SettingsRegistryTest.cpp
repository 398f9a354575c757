// SPDX-License-Identifier: MIT
// Loading and saving the exit state and the settings through the store: the
// order of the reads, where a bad value stops them, and what is written back.
#include "ScratchDir.h"
#include "SettingsSamples.h"
#include "platform/RegStore.h"
#include "settings/Literals.h"
#include "settings/SettingsRegistry.h"

#include <gtest/gtest.h>

namespace {

const std::string kEx(lit::ExitStateKey);
const std::string kPref(lit::PrefKey);

// A store holding every value as a sound save of these settings would.
void SaveAll(RegStore& store, const TCustomSet& set, int32_t left = 10, int32_t top = 20, bool minimized = false)
{
    SaveSetting(store, left, top, minimized, TExitState{"/home/u/exports"}, set);
}

struct LoadOutcome {
    bool complete;
    TWindowState window;
    TExitState exitState;
    TCustomSet set;
};

LoadOutcome Load(RegStore& store)
{
    LoadOutcome out{};
    out.complete = ReadStoredSetting(store, out.window, out.exitState, out.set);
    return out;
}

} // namespace

class SettingsRegistry : public ::testing::Test {
protected:
    ScratchDir dir;
    RegStore store{dir / "KORVAL/Pelorin.reg"};
};

TEST_F(SettingsRegistry, FirstRunKeepsDefaultsAndCreatesOnlyTheExitStateKey)
{
    const LoadOutcome out = Load(store);
    EXPECT_FALSE(out.complete);
    EXPECT_FALSE(out.window.Left.has_value());
    EXPECT_FALSE(out.window.Top.has_value());
    EXPECT_EQ(out.set, TCustomSet{});
    const RegTree tree = store.Load();
    EXPECT_TRUE(tree.KeyExists(kEx));
    EXPECT_FALSE(tree.KeyExists(kPref)) << "the settings key comes with the first save";
}

TEST_F(SettingsRegistry, RoundTripOfEveryValue)
{
    TCustomSet set = EveryFieldChanged();
    // The last layout and an hour, so the top of the ranges is stored too.
    set.BaseWinStyle = 8;
    set.UpdateInterval = 3600;
    SaveAll(store, set, -40, -7, true);

    const LoadOutcome out = Load(store);
    EXPECT_TRUE(out.complete);
    EXPECT_EQ(out.set, set);
    EXPECT_EQ(out.window.Left, -40);
    EXPECT_EQ(out.window.Top, -7);
    EXPECT_TRUE(out.window.Minimized);
    EXPECT_EQ(out.exitState.EHFolder, "/home/u/exports");
}

// Each row changes the stored values, then loads into a fresh record.
struct LoadCase {
    const char* name;
    void (*damage)(RegTree&);
    bool complete;
    void (*check)(const LoadOutcome&);
};

class SettingsRegistryRules : public SettingsRegistry, public ::testing::WithParamInterface<LoadCase> {};

TEST_P(SettingsRegistryRules, ReadingStopsWhereTheStoreIsBad)
{
    const LoadCase c = GetParam();
    TCustomSet stored;
    stored.UseNN = false;
    stored.SDR = false;
    stored.BaseWinStyle = 3;
    stored.UpdateInterval = 5;
    SaveAll(store, stored);
    ASSERT_TRUE(store.Update(c.damage));
    const LoadOutcome out = Load(store);
    EXPECT_EQ(out.complete, c.complete);
    c.check(out);
}

INSTANTIATE_TEST_SUITE_P(Cases, SettingsRegistryRules, ::testing::Values(
    LoadCase{"pref_lacks_usenn_and_sdr",
             [](RegTree& t) {
                 t.DeleteKey(kPref);
                 t.SetDword(kPref, "BaseWinStyle", 3);
                 t.SetDword(kPref, "MOExpDiffe", 0);
                 t.SetDword(kPref, "StayOnTop", 1);
                 t.SetDword(kPref, "InsideDesktop", 1);
                 t.SetDword(kPref, "UnTaskBar", 1);
                 t.SetDword(kPref, "Unit", 0);
                 t.SetDword(kPref, "RegularUpdate", 1);
                 t.SetDword(kPref, "UpdateInterval", 5);
             },
             false,
             [](const LoadOutcome& o) {
                 EXPECT_EQ(o.set.BaseWinStyle, 3);
                 EXPECT_FALSE(o.set.MOExpDiffe);
                 EXPECT_TRUE(o.set.StayOnTop);
                 EXPECT_TRUE(o.set.InsideDesktop);
                 EXPECT_TRUE(o.set.UnTaskBar);
                 EXPECT_EQ(o.set.Unit, 0);
                 EXPECT_TRUE(o.set.RegularUpdate);
                 EXPECT_EQ(o.set.UpdateInterval, 5);
                 EXPECT_TRUE(o.set.UseNN) << "not stored: keeps its default";
                 EXPECT_TRUE(o.set.SDR) << "not stored: keeps its default";
             }},
    LoadCase{"left_stored_as_text_reads_nothing",
             [](RegTree& t) { t.SetString(kEx, "MWLeft", "10"); },
             false,
             [](const LoadOutcome& o) {
                 EXPECT_FALSE(o.window.Left.has_value());
                 EXPECT_FALSE(o.window.Top.has_value());
                 EXPECT_EQ(o.set, TCustomSet{});
                 EXPECT_EQ(o.exitState.EHFolder, "");
             }},
    LoadCase{"missing_folder_reads_empty_and_goes_on",
             [](RegTree& t) {
                 t.DeleteKey(kEx);
                 t.SetDword(kEx, "MWLeft", 1);
                 t.SetDword(kEx, "MWTop", 2);
                 t.SetDword(kEx, "Minimized", 0);
             },
             true,
             [](const LoadOutcome& o) {
                 EXPECT_EQ(o.exitState.EHFolder, "");
                 EXPECT_EQ(o.set.BaseWinStyle, 3);
             }},
    LoadCase{"folder_of_the_wrong_type_stops",
             [](RegTree& t) { t.SetDword(kEx, "EHFolder", 1); },
             false,
             [](const LoadOutcome& o) {
                 EXPECT_EQ(o.window.Left, 10);
                 EXPECT_EQ(o.window.Top, 20);
                 EXPECT_EQ(o.set, TCustomSet{});
             }},
    LoadCase{"unit_minus_one_reads_kb",
             [](RegTree& t) { t.SetDword(kPref, "Unit", 0xffffffffu); },
             true,
             [](const LoadOutcome& o) { EXPECT_EQ(o.set.Unit, 1); }},
    LoadCase{"unit_and_style_out_of_range_are_brought_back",
             [](RegTree& t) {
                 t.SetDword(kPref, "Unit", 3);
                 t.SetDword(kPref, "BaseWinStyle", 9);
             },
             true,
             [](const LoadOutcome& o) {
                 EXPECT_EQ(o.set.Unit, 1);
                 EXPECT_EQ(o.set.BaseWinStyle, 0);
                 EXPECT_EQ(o.set.UpdateInterval, 5) << "later values are still read";
             }},
    LoadCase{"a_flag_stored_as_two_reads_true",
             [](RegTree& t) { t.SetDword(kPref, "StayOnTop", 2); },
             true,
             [](const LoadOutcome& o) { EXPECT_TRUE(o.set.StayOnTop); }},
    LoadCase{"interval_as_binary_stops_before_it",
             [](RegTree& t) { t.SetBinary(kPref, "UpdateInterval", {5, 0, 0, 0}); },
             false,
             [](const LoadOutcome& o) {
                 EXPECT_EQ(o.set.BaseWinStyle, 3);
                 EXPECT_EQ(o.set.UpdateInterval, 60);
                 EXPECT_TRUE(o.set.UseNN);
             }}),
    [](const auto& info) { return std::string(info.param.name); });

TEST_F(SettingsRegistry, FlagsAreWrittenBackAsZeroOrOne)
{
    SaveAll(store, TCustomSet{});
    store.Update([](RegTree& t) { t.SetDword(kPref, "StayOnTop", 2); });
    LoadOutcome out = Load(store);
    SaveSetting(store, 0, 0, out.window.Minimized, out.exitState, out.set);
    EXPECT_EQ(store.Load().ReadInteger(kPref, "StayOnTop"), 1);
}

TEST_F(SettingsRegistry, DeleteRemovesTheWholeKeyButNotItsParent)
{
    SaveAll(store, TCustomSet{});
    WriteWindowHandle(store, 0x400006);
    DeleteRegKey(store);
    const RegTree tree = store.Load();
    EXPECT_FALSE(tree.KeyExists(lit::BaseKey));
    EXPECT_TRUE(tree.KeyExists("\\Software\\KORVAL"));
    EXPECT_FALSE(ReadWindowHandle(store).has_value());
}

TEST_F(SettingsRegistry, WindowHandleRoundTripsAllThirtyTwoBits)
{
    EXPECT_FALSE(ReadWindowHandle(store).has_value());
    WriteWindowHandle(store, 0xfedcba98u);
    EXPECT_EQ(ReadWindowHandle(store), 0xfedcba98u);
}
