// SPDX-License-Identifier: MIT
#pragma once

#include <functional>
#include <string>
#include <vector>

class InstanceLock;
class MemorySource;
class ProcessLauncher;
class RegStore;
class RestoreShortcut;
class TFormPLN;
class WindowSystem;

// The operating-system services the monitor window works with. The program
// passes the real ones; widget tests pass their own figures and stores.
struct TFormServices {
    MemorySource& memory;
    RegStore& store;
    WindowSystem& windows;
    InstanceLock& lock;
    RestoreShortcut& shortcut;      // the autostart entry left at the end of a session
    std::vector<std::string> args;  // without the program name
    std::string programFolder;      // where export files and the help page beside the program are looked for
    ProcessLauncher& launcher;      // starts the help browser and the home page's opener
    // Called once the settings are loaded, before the command line is read:
    // from then on the window can answer the end of the session, also while
    // a start-up message is open. Not called for a second copy.
    std::function<void(TFormPLN&)> settingsLoaded = {};
};
