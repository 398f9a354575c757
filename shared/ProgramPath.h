// SPDX-License-Identifier: MIT
#pragma once

#include <string>

// The running executable's full path, from /proc/self/exe; empty when it
// cannot be read. If the file has been replaced since the start (an update),
// this is the path of the new file, without the kernel's " (deleted)" mark.
std::string ProgramFile();

// The folder of ProgramFile() without a trailing "/", so that callers append
// "/" and a name: empty for a program in "/", and empty too when the path
// cannot be read.
std::string ProgramFolder();
