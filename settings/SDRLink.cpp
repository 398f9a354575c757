// SPDX-License-Identifier: MIT
#include "settings/SDRLink.h"

#include "platform/DesktopEntry.h"
#include "settings/Literals.h"

#include <string>

std::filesystem::path SDRLinkPath()
{
    return AutostartEntryPath(std::string(lit::Title) + "SDR");
}
