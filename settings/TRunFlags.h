// SPDX-License-Identifier: MIT
#pragma once

// Start-up flags shared by the whole program: one instance, RunFlags.
struct TRunFlags {
    bool Initializing = true;   // until the window is first shown
    bool QuitOnShow = false;    // "/Q": close at the first showing
    bool ClearRegistry = false; // "/RC": delete the stored key at exit instead of saving
};

extern TRunFlags RunFlags;
