// SPDX-License-Identifier: MIT
#pragma once

#include "settings/RestoreShortcut.h"

#include <filesystem>

// The autostart entry that brings the monitor back after the session ended
// while it ran: "ペロリンSDR.desktop" in the autostart folder. Empty when no
// autostart folder can be found, so the caller writes nothing.
std::filesystem::path SDRLinkPath();

// That entry as a file: it starts this program file with "/SDR", and "/M"
// when it is to start minimised.
class SDRLink : public RestoreShortcut {
public:
    void Write(bool minimized) override;
    void Remove() override;
};
