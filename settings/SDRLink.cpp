// SPDX-License-Identifier: MIT
#include "settings/SDRLink.h"

#include "platform/DesktopEntry.h"
#include "settings/Literals.h"
#include "shared/ProgramPath.h"

#include <string>

std::filesystem::path SDRLinkPath()
{
    return AutostartEntryPath(std::string(lit::Title) + "SDR");
}

void SDRLink::Write(bool minimized)
{
    const std::string program = ProgramFile();
    if (program.empty())
        return;
    std::string arguments = " /SDR ";
    if (minimized)
        arguments += "/M ";
    WriteShortcut(SDRLinkPath(), program, arguments, std::string(lit::Title), program + "へのｼｮｰﾄｶｯﾄ");
}

void SDRLink::Remove()
{
    DeleteShortcut(SDRLinkPath());
}
