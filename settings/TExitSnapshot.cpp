// SPDX-License-Identifier: MIT
#include "settings/TExitSnapshot.h"

#include "platform/DesktopEntry.h"
#include "settings/Literals.h"
#include "settings/SDRLink.h"
#include "settings/SettingsRegistry.h"
#include "shared/ProgramPath.h"

#include <string>

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

void WriteRestoreShortcut(const TExitSnapshot& snapshot)
{
    if (!snapshot.CustomSet.SDR)
        return;
    const std::string program = ProgramFile();
    if (program.empty())
        return;
    std::string arguments = " /SDR ";
    if (snapshot.Minimized)
        arguments += "/M ";
    WriteShortcut(SDRLinkPath(), program, arguments, std::string(lit::Title), program + "へのｼｮｰﾄｶｯﾄ");
}
