// SPDX-License-Identifier: MIT
#include "settings/TExitSnapshot.h"

#include "settings/RestoreShortcut.h"
#include "settings/SettingsRegistry.h"

void TExitSnapshotHolder::Set(const TExitSnapshot& snapshot)
{
    std::lock_guard lock(mutex_);
    snapshot_ = snapshot;
}

TExitSnapshot TExitSnapshotHolder::Get() const
{
    std::lock_guard lock(mutex_);
    return snapshot_;
}

void WriteExitSnapshot(RegStore& store, const TExitSnapshot& snapshot)
{
    if (snapshot.ClearRegistry)
        DeleteRegKey(store);
    else
        SaveSetting(store, snapshot.Left, snapshot.Top, snapshot.Minimized, snapshot.ExitState, snapshot.CustomSet);
}

void WriteRestoreShortcut(RestoreShortcut& shortcut, const TExitSnapshot& snapshot)
{
    if (snapshot.CustomSet.SDR && !snapshot.ClearRegistry)
        shortcut.Write(snapshot.Minimized);
}
