// SPDX-License-Identifier: MIT
#pragma once

#include <filesystem>
#include <string>
#include <string_view>

// The autostart entry that brings the monitor back at the next login after
// the session ended while it ran: a Desktop Entry file in the XDG autostart
// folder, which desktops and session managers start at login.

// $XDG_CONFIG_HOME/autostart, with ~/.config when the variable is unset,
// empty or not absolute. Empty when no home folder can be found.
std::filesystem::path AutostartFolder();

// An entry's full path: the autostart folder / (entryName + ".desktop").
// Empty when AutostartFolder is empty, so the caller writes nothing.
std::filesystem::path AutostartEntryPath(std::string_view entryName);

// One argument of an Exec value, ready to be written into the file: quoted
// when it holds a reserved character (or is empty), with '"', '`', '$' and
// '\' escaped inside the quotes, '%' doubled so it is no field code, and then
// the string escapes applied, which launchers undo before the quoting (so a
// literal backslash takes four backslashes and '$' becomes "\\$").
std::string QuoteExecArgument(std::string_view arg);

// Writes the entry at file: Type=Application, Name, Comment and an Exec of
// the quoted program path followed by each blank-separated word of arguments
// (" /SDR /M " gives "<path> /SDR /M"). Every value is UTF-8: bytes of name
// and comment that are not become U+FFFD, and a program path that is not is
// started through /bin/sh, which rebuilds it from ASCII escapes. Creates the
// folder (mode 0700) when missing and
// replaces an old entry whole: the text goes to a temporary file in the same
// folder, is flushed and renamed over the entry. Returns false, leaving no
// temporary file, when any step fails.
bool WriteShortcut(const std::filesystem::path& file, const std::string& programPath,
                   const std::string& arguments, const std::string& name,
                   const std::string& comment);

// Removes the entry; a missing file or any failure is silently ignored.
void DeleteShortcut(const std::filesystem::path& file);
