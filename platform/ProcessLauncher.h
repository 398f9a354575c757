// SPDX-License-Identifier: MIT
#pragma once

#include <string>
#include <vector>

// How a started program fared within the time the caller waited for it.
enum class LaunchOutcome {
    NotStarted,  // the program could not be run at all
    Running,     // it started and had not ended when the wait was over
    Succeeded,   // it ended with exit status 0 within the wait
    Failed,      // it ended otherwise within the wait
};

// Finding and starting other programs. The program passes the real one;
// tests pass one that records.
class ProcessLauncher {
public:
    virtual ~ProcessLauncher() = default;

    // The full path of the first executable file called name in the folders
    // of $PATH; a name with a "/" is taken as it is when it names an
    // executable file. Empty when there is none.
    virtual std::string FindOnPath(const std::string& name) const = 0;

    // The full path of the user's default web browser; empty when the
    // desktop names none that can be run.
    virtual std::string DefaultWebBrowser() const = 0;

    // Starts program (a full path) with args, detached: it is no child of
    // this process, outlives it and inherits only the standard streams (its
    // input from /dev/null). With waitMs > 0 waits that long at most for it
    // to end, to learn its exit status.
    virtual LaunchOutcome Start(const std::string& program, const std::vector<std::string>& args,
                                int waitMs) = 0;
};
