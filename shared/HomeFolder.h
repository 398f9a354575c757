// SPDX-License-Identifier: MIT
#pragma once

#include <filesystem>

// The user's home folder: $HOME when it is an absolute path, else the user
// database's entry for the real user when that is absolute, else empty. A
// relative HOME is never taken: everything built on it would land wherever
// the program happened to be started.
std::filesystem::path HomeFolder();
