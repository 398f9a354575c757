// SPDX-License-Identifier: MIT
#include "settings/HelpBrowser.h"

#include "platform/ProcessLauncher.h"
#include "settings/Literals.h"
#include "shared/MsgBox.h"

#include <exception>
#include <filesystem>
#include <unistd.h>

namespace {

// How long the address opener may take to say that nothing can open the
// address. It may also stay until the browser it started ends, so running
// on after this long counts as success.
constexpr int kOpenerWaitMs = 3000;

constexpr const char* kHelpBrowserLine = "ＷＷＷブラウザ（ＮetscapeＮavigator4.5以上推奨）で";

bool PageExists(const std::string& path)
{
    std::error_code error;
    return std::filesystem::is_regular_file(path, error) && access(path.c_str(), R_OK) == 0;
}

std::string Failure(const std::string& firstLine, const std::string& what)
{
    return firstLine + "\n" + kHelpBrowserLine + "\n\"" + what + "\"\nをご覧下さい。";
}

} // namespace

HelpEnvironment ProgramHelpEnvironment(ProcessLauncher& launcher, std::string programFolder)
{
    return HelpEnvironment{launcher, std::move(programFolder),
                           {std::begin(lit::LineageBrowsers), std::end(lit::LineageBrowsers)},
                           std::string(lit::UrlOpener)};
}

std::string HelpPagePath(const std::string& fileName, const std::string& programFolder)
{
    if (fileName.find('/') != std::string::npos)
        return fileName;
    return programFolder + "/" + fileName;
}

std::string HelpSuffix(const std::string& query, const std::string& anchor)
{
    std::string suffix;
    if (!query.empty())
        suffix += "?" + query;
    if (!anchor.empty())
        suffix += "#" + anchor;
    return suffix;
}

std::string BrowserService(const std::string& browser)
{
    std::string upper = browser;
    for (char& c : upper)
        if (c >= 'a' && c <= 'z')
            c = static_cast<char>(c - 'a' + 'A');
    return upper.find("EXPLORE") != std::string::npos ? "IExplore" : "NSShell";
}

std::string FileUrl(const std::string& absolutePath)
{
    static constexpr char hex[] = "0123456789ABCDEF";
    std::string url = "file://";
    for (const char c : absolutePath) {
        const auto byte = static_cast<unsigned char>(c);
        const bool plain = (byte >= 'A' && byte <= 'Z') || (byte >= 'a' && byte <= 'z') || (byte >= '0' && byte <= '9')
                           || byte == '-' || byte == '.' || byte == '_' || byte == '~' || byte == '/';
        if (plain) {
            url += c;
        } else {
            url += '%';
            url += hex[byte >> 4];
            url += hex[byte & 0x0F];
        }
    }
    return url;
}

std::string HelpFailureMessage(const std::string& fileName)
{
    return Failure("ヘルプを表示できません。", fileName);
}

std::string HomePageFailureMessage(const std::string& url)
{
    return Failure("作者のホームページに接続できません。", url);
}

bool FindBrowser(const HelpEnvironment& env, const std::string& Path, bool UseNN, std::string& Browser)
{
    if (UseNN) {
        for (const std::string& name : env.lineageBrowsers) {
            if (std::string found = env.launcher.FindOnPath(name); !found.empty()) {
                Browser = std::move(found);
                return true;
            }
        }
    }
    // The desktop's choice, like a file association, is only asked about a
    // page that is there.
    if (!PageExists(Path))
        return false;
    std::string found = env.launcher.DefaultWebBrowser();
    if (found.empty())
        return false;
    Browser = std::move(found);
    return true;
}

bool ShowHelp(const HelpEnvironment& env, const std::string& FileName, const std::string& Query,
              const std::string& Anchor, bool UseNN)
{
    try {
        const std::string Path = HelpPagePath(FileName, env.programFolder);
        const std::string suffix = HelpSuffix(Query, Anchor);
        std::string Browser;
        if (FindBrowser(env, Path, UseNN, Browser)) {
            // The browser's conversation service is chosen as ever, but there
            // is no conversation to hold with it here: no browser on this
            // platform answers one, so the page always goes on the command
            // line of a browser started for it.
            [[maybe_unused]] const std::string service = BrowserService(Browser);
            // The resolved page as a URL: the bare name would be looked for
            // in whatever folder the monitor was started from.
            const std::string page = std::filesystem::absolute(Path).lexically_normal().string();
            if (env.launcher.Start(Browser, {FileUrl(page) + suffix}, 0) != LaunchOutcome::NotStarted)
                return true;
        }
    } catch (const std::exception&) {
        // Reported below like any other failure.
    }
    MsgBox(HelpFailureMessage(FileName), "", MB_OK | MB_ICONEXCLAMATION);
    return false;
}

bool OpenHomePage(const HelpEnvironment& env, const std::string& Url)
{
    try {
        if (const std::string opener = env.launcher.FindOnPath(env.urlOpener); !opener.empty()) {
            const LaunchOutcome outcome = env.launcher.Start(opener, {Url}, kOpenerWaitMs);
            if (outcome == LaunchOutcome::Running || outcome == LaunchOutcome::Succeeded)
                return true;
        }
    } catch (const std::exception&) {
        // Reported below like any other failure.
    }
    MsgBox(HomePageFailureMessage(Url), "", MB_OK | MB_ICONEXCLAMATION);
    return false;
}
