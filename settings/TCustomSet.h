// SPDX-License-Identifier: MIT
#pragma once

#include <cstdint>

// The ten user settings, copied whole between the monitor window, the
// settings dialog and the export file. The member initialisers are the
// program's defaults; everything else that needs a default reads them here.
struct TCustomSet {
    bool InsideDesktop = false;
    bool MOExpDiffe = true;
    bool RegularUpdate = false;
    bool SDR = true;
    bool StayOnTop = false;
    bool UnTaskBar = false;
    bool UseNN = true;
    int32_t BaseWinStyle = 0;
    int32_t Unit = 1;
    int32_t UpdateInterval = 60;

    bool operator==(const TCustomSet&) const = default;
};

inline constexpr int32_t kWinStyleCount = 9;
inline constexpr int32_t kUnitCount = 3;

// A stored or imported Unit or BaseWinStyle outside its table would index past
// the unit names or the layout table; such a value falls back to the default.
// (A stored Unit of -1 therefore reads as 1, KB.)
void BringIntoRange(TCustomSet& set);
