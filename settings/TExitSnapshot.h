// SPDX-License-Identifier: MIT
#pragma once

#include "settings/TCustomSet.h"
#include "settings/TExitState.h"

#include <cstdint>
#include <mutex>

class RegStore;
class RestoreShortcut;

// Everything the program writes when it ends, as plain data: what closing
// saves and what the end of a session leaves behind. Kept as a copy so that
// it can still be written when the display has gone and no widget may be
// touched.
struct TExitSnapshot {
    int32_t Left = 0;
    int32_t Top = 0;
    bool Minimized = false;
    bool ClearRegistry = false;
    TExitState ExitState;
    TCustomSet CustomSet;
};

// The snapshot shared between the window, which keeps it current, and the
// last-chance save at exit, which may run on another thread.
class TExitSnapshotHolder {
public:
    void Set(const TExitSnapshot& snapshot);
    TExitSnapshot Get() const;

private:
    mutable std::mutex mutex_;
    TExitSnapshot snapshot_;
};

// Saves the exit state and the settings, or, when the command line asked for
// it, removes the program's key altogether.
void WriteExitSnapshot(RegStore& store, const TExitSnapshot& snapshot);

// When shutdown restore is on, leaves the autostart entry that starts the
// program again at the next login, minimised when it is minimised now. Not
// when the settings are being cleared: the entry would bring back a program
// asked to leave nothing behind.
void WriteRestoreShortcut(RestoreShortcut& shortcut, const TExitSnapshot& snapshot);
