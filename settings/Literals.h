// SPDX-License-Identifier: MIT
#pragma once

#include <array>
#include <string_view>

// Texts and names the program shows or stores, each defined once.
namespace lit {
inline constexpr std::string_view Title = "ペロリン";
inline constexpr std::string_view Version = "Ver 3.54";
inline constexpr std::string_view Copyright = "Copyright (C) 2026 KORVAL";
inline constexpr std::string_view HelpFile = "Pelorin.htm";
inline constexpr std::string_view HelpAnchor = "Gamensetsumei";
inline constexpr std::string_view MutexName = "PelorinMutex";
inline constexpr std::string_view HomePageUrl = "https://korval.example/pelorin/";

// The browsers of the Netscape lineage, the help browser the user can ask
// for, most preferred first; and the desktop's opener of addresses.
inline constexpr std::array<std::string_view, 4> LineageBrowsers = {"netscape", "seamonkey", "firefox", "firefox-esr"};
inline constexpr std::string_view UrlOpener = "xdg-open";
inline constexpr std::array<std::string_view, 3> UnitName = {"B", "KB", "MB"};

// Store keys, relative to the user's root.
inline constexpr std::string_view BaseKey = "\\Software\\KORVAL\\Pelorin";
inline constexpr std::string_view ExitStateKey = "\\Software\\KORVAL\\Pelorin\\ExitState";
inline constexpr std::string_view PrefKey = "\\Software\\KORVAL\\Pelorin\\Pref";
inline constexpr std::string_view SystemKey = "\\Software\\KORVAL\\Pelorin\\System";
} // namespace lit
