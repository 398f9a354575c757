// SPDX-License-Identifier: MIT
#pragma once

#include <string>
#include <string_view>

// Replaces the file at path with bytes, all or nothing: the bytes go to a new
// temporary file in the same folder, reach the disk (fsync), and are renamed
// over path. On any failure the temporary file is removed and an old file at
// path is left as it was. An existing file keeps its permission bits; a link
// at path is written through, so the link stays. Returns false on failure,
// with errno describing the first error.
bool WriteFileAtomically(const std::string& path, std::string_view bytes);
