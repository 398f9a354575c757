// SPDX-License-Identifier: MIT
#pragma once

#include "platform/ProcessLauncher.h"

#include <string>
#include <vector>

// Programs started with fork and exec, looked up on $PATH, and the default
// web browser as a Linux desktop names it: $BROWSER, else the desktop's
// default application for text/html (the XDG mimeapps.list files and the
// application's Desktop Entry), else Debian's x-www-browser alternative.
class LinuxProcessLauncher : public ProcessLauncher {
public:
    std::string FindOnPath(const std::string& name) const override;
    std::string DefaultWebBrowser() const override;
    LaunchOutcome Start(const std::string& program, const std::vector<std::string>& args,
                        int waitMs) override;

    // The Desktop Entry ids the XDG mimeapps.list files name as the default
    // for mimeType, most preferred first, read from the config and data
    // folders of the XDG base directory variables.
    static std::vector<std::string> DefaultApplications(const std::string& mimeType);
    // The program of the Desktop Entry with that id (the first word of its
    // Exec key), looked for in the applications folders of the XDG data
    // folders; empty when there is no such entry or it has no Exec.
    static std::string DesktopEntryProgram(const std::string& desktopId);
};
