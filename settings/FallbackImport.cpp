// SPDX-License-Identifier: MIT
#include "settings/FallbackImport.h"

#include "settings/ExportFile.h"
#include "shared/FindFiles.h"

void ImportFirstExportFile(const std::string& programFolder, TCustomSet& set)
{
    // Start-up must go on whatever happens here, even running out of memory.
    try {
        PlainStringList found;
        if (FindFiles(programFolder + "/*." + std::string(kExportExtension), found, false) > 0)
            ImportSetting(found[0], set);
    } catch (...) {
    }
}
