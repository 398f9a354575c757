// SPDX-License-Identifier: MIT
#pragma once

// The window the settings dialog reports to. Both calls run synchronously
// inside the dialog's handlers: the dialog's record is current while they run.
class TSettingTarget {
public:
    virtual ~TSettingTarget() = default;
    // Take the dialog's record (and its file dialog's folder) and apply it.
    virtual void UMApplySetting() = 0;
    // Hand the record in force back to the dialog.
    virtual void UMRevertSetting() = 0;
};
