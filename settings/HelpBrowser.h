// SPDX-License-Identifier: MIT
#pragma once

#include <string>
#include <vector>

class ProcessLauncher;

// What opening the help page and the home page works with: the service that
// finds and starts programs, and the names it is asked for.
struct HelpEnvironment {
    ProcessLauncher& launcher;
    std::string programFolder;                // where a bare help file name is looked for, without a trailing "/"
    std::vector<std::string> lineageBrowsers; // looked for on PATH, in order, when UseNN asks for them
    std::string urlOpener;                    // hands an address to the desktop's own choice of program
};

// The environment the program runs with: the lineage browsers and the
// desktop's address opener by their names on Linux.
HelpEnvironment ProgramHelpEnvironment(ProcessLauncher& launcher, std::string programFolder);

// The page's path: a bare file name beside the program, a name with a folder
// part (anything up to a "/") unchanged.
std::string HelpPagePath(const std::string& fileName, const std::string& programFolder);
// "?" and the query when there is one, then "#" and the anchor when there is one.
std::string HelpSuffix(const std::string& query, const std::string& anchor);
// The browser's conversation service: "IExplore" when its path holds
// "EXPLORE" in any letter case, "NSShell" otherwise.
std::string BrowserService(const std::string& browser);
// A file:// URL of an absolute path, with every byte outside the unreserved
// characters and "/" percent-encoded.
std::string FileUrl(const std::string& absolutePath);

// The browser that shows the page at path: with useNN the first lineage
// browser on PATH; otherwise, or when none is there, the user's default web
// browser, which needs the page to exist. Browser is written only when true
// is returned.
bool FindBrowser(const HelpEnvironment& env, const std::string& Path, bool UseNN, std::string& Browser);

// Opens the help page at the anchor in a browser started for it. True when
// the page was handed to a browser; false after the help failure message.
bool ShowHelp(const HelpEnvironment& env, const std::string& FileName, const std::string& Query,
              const std::string& Anchor, bool UseNN);

// Hands the address to the desktop's opener. True when it took it; false
// after the home page failure message.
bool OpenHomePage(const HelpEnvironment& env, const std::string& Url);

// The two failure messages, four lines each.
std::string HelpFailureMessage(const std::string& fileName);
std::string HomePageFailureMessage(const std::string& url);
