// SPDX-License-Identifier: MIT
#pragma once

#include <string>

// What the monitor window remembers between runs besides its settings and
// position: the folder last shown by the export/import file dialog.
struct TExitState {
    std::string EHFolder;
};
