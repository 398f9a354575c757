// SPDX-License-Identifier: MIT
#include "settings/SettingsRegistry.h"

#include "platform/RegStore.h"
#include "settings/Literals.h"

#include <string>

namespace {

// Reads the values in their stored order from a document; false at the first
// value that is missing or of the wrong type.
bool ReadSequence(const RegTree& tree, TWindowState& window, TExitState& exitState, TCustomSet& set)
{
    const auto integer = [&](std::string_view key, std::string_view name, auto assign) {
        const std::optional<int32_t> v = tree.ReadInteger(key, name);
        if (v)
            assign(*v);
        return v.has_value();
    };
    const auto flag = [&](std::string_view name, bool& field) {
        return integer(lit::PrefKey, name, [&](int32_t v) { field = v != 0; });
    };
    const std::string_view ex = lit::ExitStateKey;

    if (!integer(ex, "MWLeft", [&](int32_t v) { window.Left = v; }))
        return false;
    if (!integer(ex, "MWTop", [&](int32_t v) { window.Top = v; }))
        return false;
    if (!integer(ex, "Minimized", [&](int32_t v) { window.Minimized = v != 0; }))
        return false;
    const std::optional<std::string> folder = tree.ReadString(ex, "EHFolder");
    if (!folder)
        return false;
    exitState.EHFolder = *folder;

    return integer(lit::PrefKey, "BaseWinStyle", [&](int32_t v) { set.BaseWinStyle = v; })
        && flag("MOExpDiffe", set.MOExpDiffe)
        && flag("StayOnTop", set.StayOnTop)
        && flag("InsideDesktop", set.InsideDesktop)
        && flag("UnTaskBar", set.UnTaskBar)
        && integer(lit::PrefKey, "Unit", [&](int32_t v) { set.Unit = v; })
        && flag("RegularUpdate", set.RegularUpdate)
        && integer(lit::PrefKey, "UpdateInterval", [&](int32_t v) { set.UpdateInterval = v; })
        && flag("UseNN", set.UseNN)
        && flag("SDR", set.SDR);
}

} // namespace

bool ReadStoredSetting(RegStore& store, TWindowState& window, TExitState& exitState, TCustomSet& set)
{
    // Opening the keys creates them, as a first run leaves an empty ExitState
    // key behind; the Pref key is only reached when the exit state was read.
    // A store that has both already is only read: no write at every start.
    const auto exitStateRead = [](const RegTree& t) {
        return t.ReadInteger(lit::ExitStateKey, "MWLeft") && t.ReadInteger(lit::ExitStateKey, "MWTop")
            && t.ReadInteger(lit::ExitStateKey, "Minimized") && t.ReadString(lit::ExitStateKey, "EHFolder");
    };
    RegTree tree = store.Load();
    if (!tree.KeyExists(lit::ExitStateKey) || (exitStateRead(tree) && !tree.KeyExists(lit::PrefKey))) {
        store.Update([&](RegTree& t) {
            t.CreateKey(lit::ExitStateKey);
            if (exitStateRead(t))
                t.CreateKey(lit::PrefKey);
            tree = t;
        });
    }

    const bool complete = ReadSequence(tree, window, exitState, set);
    BringIntoRange(set);
    return complete;
}

void SaveSetting(RegStore& store, int32_t left, int32_t top, bool minimized,
                 const TExitState& exitState, const TCustomSet& set)
{
    store.Update([&](RegTree& t) {
        const std::string_view ex = lit::ExitStateKey;
        const std::string_view pr = lit::PrefKey;
        const auto dword = [](int32_t v) { return static_cast<uint32_t>(v); };
        t.SetDword(ex, "MWLeft", dword(left));
        t.SetDword(ex, "MWTop", dword(top));
        t.SetDword(ex, "Minimized", minimized ? 1 : 0);
        t.SetString(ex, "EHFolder", exitState.EHFolder);
        t.SetDword(pr, "BaseWinStyle", dword(set.BaseWinStyle));
        t.SetDword(pr, "MOExpDiffe", set.MOExpDiffe ? 1 : 0);
        t.SetDword(pr, "StayOnTop", set.StayOnTop ? 1 : 0);
        t.SetDword(pr, "InsideDesktop", set.InsideDesktop ? 1 : 0);
        t.SetDword(pr, "UnTaskBar", set.UnTaskBar ? 1 : 0);
        t.SetDword(pr, "Unit", dword(set.Unit));
        t.SetDword(pr, "RegularUpdate", set.RegularUpdate ? 1 : 0);
        t.SetDword(pr, "UpdateInterval", dword(set.UpdateInterval));
        t.SetDword(pr, "UseNN", set.UseNN ? 1 : 0);
        t.SetDword(pr, "SDR", set.SDR ? 1 : 0);
    });
}

void DeleteRegKey(RegStore& store)
{
    store.Update([](RegTree& t) { t.DeleteKey(lit::BaseKey); });
}

void WriteWindowHandle(RegStore& store, uint32_t handle)
{
    store.Update([&](RegTree& t) { t.SetDword(lit::SystemKey, "HWND", handle); });
}

std::optional<uint32_t> ReadWindowHandle(RegStore& store)
{
    const std::optional<int32_t> v = store.Load().ReadInteger(lit::SystemKey, "HWND");
    if (!v)
        return std::nullopt;
    return static_cast<uint32_t>(*v);
}
