// SPDX-License-Identifier: MIT
#pragma once

#include <string>
#include <vector>

// What the options of one start asked for. The caller applies them: this
// parser only reads the arguments and reports bad ones.
struct CmdLineResult {
    bool Minimize = false;       // "/M": start minimised whatever the stored state says
    bool QuitOnShow = false;     // "/Q": close as soon as the window is shown
    bool ClearRegistry = false;  // "/RC...": delete the stored key at exit instead of saving
    bool DeleteShortcut = false; // "/SD...": remove the autostart entry that started us
};

// Parses the arguments (without the program name), each on its own and in
// order. Every bad argument gets its own message box; parsing goes on.
CmdLineResult AnalyzeCmdLine(const std::vector<std::string>& args);
