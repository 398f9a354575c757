// SPDX-License-Identifier: MIT
#include "settings/TCustomSet.h"

void BringIntoRange(TCustomSet& set)
{
    const TCustomSet defaults;
    if (set.Unit < 0 || set.Unit >= kUnitCount)
        set.Unit = defaults.Unit;
    if (set.BaseWinStyle < 0 || set.BaseWinStyle >= kWinStyleCount)
        set.BaseWinStyle = defaults.BaseWinStyle;
}
