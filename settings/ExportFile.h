// SPDX-License-Identifier: MIT
#pragma once

#include "settings/TCustomSet.h"

#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

// The settings export file: one TCustomSet as a small text file (".plne").
// Version 2, written and read: the signature line "PLNIE$2", the seven flags
// as 0 or 1, then BaseWinStyle, Unit and UpdateInterval, each line ending in
// CR LF. Version 1, read only: "PLNIE$1" and the same without UseNN.

inline constexpr std::string_view kExportSignatureVer1 = "PLNIE$1";
inline constexpr std::string_view kExportSignatureVer2 = "PLNIE$2";
inline constexpr std::string_view kExportExtension = "plne";

// Writes set as a version 2 file, replacing fileName whole. The text goes to a
// temporary file beside the target first and is renamed over it, so a failure
// (missing folder, no permission, full disk, a folder of that name) leaves any
// old file as it was; it shows "cannot save" with the file name and returns
// false. An old file that is read-only (no write bit for anyone, for root
// too) or that this user may not write is such a failure, although the
// rename alone could replace it.
bool ExportSetting(const std::string& fileName, const TCustomSet& set);

// Reads fileName into set, field by field as the lines are read; at most the
// first 64 KiB are read, a line cut off there counting as missing. True when
// the file carried a known signature and every value line of its version was
// read. A file that cannot be read or does not begin with a signature shows
// its message; an empty file or a bad value line returns false silently, with
// the fields before the bad line taken from the file. Unit and BaseWinStyle
// are brought into range afterwards, whatever the result.
bool ImportSetting(const std::string& fileName, TCustomSet& set);

// The exact bytes ExportSetting writes for set.
std::string SettingText(const TCustomSet& set);

// The lines of an export file's text: CR LF, LF and CR each end a line, a NUL
// byte ends the text, and a final line end does not start another line. At
// most maxLines are returned; later lines never matter to a reader.
std::vector<std::string> SplitSettingLines(std::string_view text, size_t maxLines = SIZE_MAX);

enum class SettingTextResult {
    Read,          // a known signature and all of its value lines
    BadValue,      // a value line missing or not an integer; earlier fields taken
    Empty,         // no line at all
    NotSettings,   // the first line is neither signature
};

// Reads the bytes of an export file into set; shows nothing. ImportSetting is
// this plus the file access, the messages and the range fix-up.
SettingTextResult ReadSettingText(std::string_view text, TCustomSet& set);

// The value lines of each version (lines[0] is the signature). Each field is
// assigned as soon as its line converts; false at the first missing line or
// one that is not a whole decimal 32-bit integer. Version 1 leaves UseNN alone.
bool ReadSettingVer1(const std::vector<std::string>& lines, TCustomSet& set);
bool ReadSettingVer2(const std::vector<std::string>& lines, TCustomSet& set);
