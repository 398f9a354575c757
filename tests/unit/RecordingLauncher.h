// SPDX-License-Identifier: MIT
#pragma once

#include "platform/ProcessLauncher.h"

#include <map>
#include <string>
#include <vector>

// Finds the programs the test names and records what would be started.
class RecordingLauncher : public ProcessLauncher {
public:
    struct Started {
        std::string program;
        std::vector<std::string> args;
        int waitMs;
    };

    std::map<std::string, std::string> onPath;  // name -> full path
    std::string defaultBrowser;
    LaunchOutcome outcome = LaunchOutcome::Running;
    std::vector<Started> started;
    mutable int defaultBrowserAsked = 0;

    std::string FindOnPath(const std::string& name) const override
    {
        const auto found = onPath.find(name);
        return found == onPath.end() ? std::string() : found->second;
    }
    std::string DefaultWebBrowser() const override
    {
        ++defaultBrowserAsked;
        return defaultBrowser;
    }
    LaunchOutcome Start(const std::string& program, const std::vector<std::string>& args, int waitMs) override
    {
        started.push_back({program, args, waitMs});
        return outcome;
    }
};
