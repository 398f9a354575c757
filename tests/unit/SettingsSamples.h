// SPDX-License-Identifier: MIT
#pragma once

#include "settings/TCustomSet.h"

// Every field away from its default, all within range, so that a field lost
// or mixed up on a round trip shows as a difference.
inline TCustomSet EveryFieldChanged()
{
    TCustomSet set;
    set.InsideDesktop = true;
    set.MOExpDiffe = false;
    set.RegularUpdate = true;
    set.SDR = false;
    set.StayOnTop = true;
    set.UnTaskBar = true;
    set.UseNN = false;
    set.BaseWinStyle = 3;
    set.Unit = 2;
    set.UpdateInterval = 5;
    return set;
}
