// SPDX-License-Identifier: MIT
#pragma once

#include <filesystem>

// The autostart entry that brings the monitor back after the session ended
// while it ran: "ペロリンSDR.desktop" in the autostart folder. Empty when no
// autostart folder can be found, so the caller writes nothing.
std::filesystem::path SDRLinkPath();
