// SPDX-License-Identifier: MIT
#pragma once

#include "settings/TCustomSet.h"
#include "settings/TExitState.h"

#include <cstdint>
#include <optional>

class RegStore;

// The window's place and state as they are kept between runs.
struct TWindowState {
    std::optional<int32_t> Left;  // empty: not stored, keep the designed position
    std::optional<int32_t> Top;
    bool Minimized = false;
};

// Reads the exit state and the settings in the stored order. Each value is
// assigned as soon as it is read; the first missing or mistyped value ends
// the sequence and the result is false, so the caller can fall back to an
// export file. Unit and BaseWinStyle are brought into range.
bool ReadStoredSetting(RegStore& store, TWindowState& window, TExitState& exitState, TCustomSet& set);

// Writes the fourteen values back; flags as 0 or 1. Errors are ignored.
void SaveSetting(RegStore& store, int32_t left, int32_t top, bool minimized,
                 const TExitState& exitState, const TCustomSet& set);

// Removes the program's key with everything under it.
void DeleteRegKey(RegStore& store);

// The id of the running copy's window, published for a second copy.
void WriteWindowHandle(RegStore& store, uint32_t handle);
std::optional<uint32_t> ReadWindowHandle(RegStore& store);
