// SPDX-License-Identifier: MIT
#include "RecordingLauncher.h"
#include "RecordingMessageBox.h"
#include "ScratchDir.h"
#include "settings/HelpBrowser.h"

#include <gtest/gtest.h>

namespace {

const std::string kHelpFailure = "ヘルプを表示できません。\n"
                                 "ＷＷＷブラウザ（ＮetscapeＮavigator4.5以上推奨）で\n"
                                 "\"Pelorin.htm\"\n"
                                 "をご覧下さい。";

class HelpBrowserTest : public ::testing::Test {
protected:
    HelpBrowserTest() : env(ProgramHelpEnvironment(launcher, dir.Path())) {}

    std::string WritePage() { return dir.Write("Pelorin.htm", "<html></html>"); }

    ScratchDir dir;
    RecordingLauncher launcher;
    RecordingMessageBox messages;
    HelpEnvironment env;
};

TEST(HelpPathTest, ResolvesNamesAndBuildsSuffixes)
{
    struct Case {
        std::string fileName, query, anchor, path, suffix;
    };
    const Case cases[] = {
        {"Pelorin.htm", "", "", "/opt/p/Pelorin.htm", ""},
        {"Pelorin.htm", "", "Gamensetsumei", "/opt/p/Pelorin.htm", "#Gamensetsumei"},
        {"/usr/share/doc/x.htm", "q=1", "", "/usr/share/doc/x.htm", "?q=1"},
        {"docs/x.htm", "a", "Windowtab", "docs/x.htm", "?a#Windowtab"},
        {"c:x.htm", "", "Sonotatab", "/opt/p/c:x.htm", "#Sonotatab"},  // ":" is no folder separator here
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.fileName + " " + c.query + " " + c.anchor);
        EXPECT_EQ(HelpPagePath(c.fileName, "/opt/p"), c.path);
        EXPECT_EQ(HelpSuffix(c.query, c.anchor), c.suffix);
    }
    // A program in the root folder has an empty folder.
    EXPECT_EQ(HelpPagePath("Pelorin.htm", ""), "/Pelorin.htm");
}

TEST(HelpPathTest, ServiceWordFollowsExploreInAnyCase)
{
    EXPECT_EQ(BrowserService("/opt/IEXPLORE.EXE"), "IExplore");
    EXPECT_EQ(BrowserService("/usr/bin/iexplore"), "IExplore");
    EXPECT_EQ(BrowserService("/home/u/Explorer/browser"), "IExplore");
    EXPECT_EQ(BrowserService("/usr/bin/firefox"), "NSShell");
    EXPECT_EQ(BrowserService(""), "NSShell");
    EXPECT_EQ(BrowserService("/usr/bin/explor"), "NSShell");
}

TEST(HelpPathTest, FileUrlEncodesWhatAUrlCannotCarry)
{
    EXPECT_EQ(FileUrl("/usr/lib/pelorin/Pelorin.htm"), "file:///usr/lib/pelorin/Pelorin.htm");
    EXPECT_EQ(FileUrl("/a b/#?%/ペ"), "file:///a%20b/%23%3F%25/%E3%83%9A");
}

TEST_F(HelpBrowserTest, HelpGoesToTheDefaultBrowserAsAFileUrlAtTheAnchor)
{
    const std::string page = WritePage();
    launcher.defaultBrowser = "/usr/bin/default-browser";
    EXPECT_TRUE(ShowHelp(env, "Pelorin.htm", "", "Gamensetsumei", false));
    ASSERT_EQ(launcher.started.size(), 1u);
    EXPECT_EQ(launcher.started[0].program, "/usr/bin/default-browser");
    EXPECT_EQ(launcher.started[0].args, std::vector<std::string>{FileUrl(page) + "#Gamensetsumei"});
    EXPECT_EQ(launcher.started[0].waitMs, 0);
    EXPECT_TRUE(messages.shown.empty());
}

TEST_F(HelpBrowserTest, UseNNTakesTheFirstLineageBrowserOnPath)
{
    WritePage();
    launcher.defaultBrowser = "/usr/bin/default-browser";
    launcher.onPath = {{"firefox", "/usr/bin/firefox"}, {"firefox-esr", "/usr/bin/firefox-esr"},
                       {"seamonkey", "/opt/sm/seamonkey"}};
    std::string browser;
    ASSERT_TRUE(FindBrowser(env, dir / "Pelorin.htm", true, browser));
    EXPECT_EQ(browser, "/opt/sm/seamonkey");
    EXPECT_EQ(launcher.defaultBrowserAsked, 0);

    launcher.onPath.erase("seamonkey");
    ASSERT_TRUE(FindBrowser(env, dir / "Pelorin.htm", true, browser));
    EXPECT_EQ(browser, "/usr/bin/firefox");
}

TEST_F(HelpBrowserTest, UseNNNeedsNoPageButFallsBackToTheDefaultBrowserWithoutALineageOne)
{
    launcher.defaultBrowser = "/usr/bin/default-browser";
    launcher.onPath = {{"firefox-esr", "/usr/bin/firefox-esr"}};
    // The page is missing: a lineage browser still gets it and says so itself.
    EXPECT_TRUE(ShowHelp(env, "Pelorin.htm", "", "Gamensetsumei", true));
    ASSERT_EQ(launcher.started.size(), 1u);
    EXPECT_EQ(launcher.started[0].program, "/usr/bin/firefox-esr");

    // No lineage browser: the default one, which wants the page to be there.
    launcher.onPath.clear();
    launcher.started.clear();
    std::string browser = "unchanged";
    EXPECT_FALSE(FindBrowser(env, dir / "Pelorin.htm", true, browser));
    EXPECT_EQ(browser, "unchanged");
    WritePage();
    ASSERT_TRUE(FindBrowser(env, dir / "Pelorin.htm", true, browser));
    EXPECT_EQ(browser, "/usr/bin/default-browser");
}

TEST_F(HelpBrowserTest, MissingPageWithoutUseNNShowsTheMessageAndStartsNothing)
{
    launcher.defaultBrowser = "/usr/bin/default-browser";
    launcher.onPath = {{"firefox", "/usr/bin/firefox"}};
    EXPECT_FALSE(ShowHelp(env, "Pelorin.htm", "", "Gamensetsumei", false));
    EXPECT_TRUE(launcher.started.empty());
    ASSERT_EQ(messages.shown.size(), 1u);
    EXPECT_EQ(messages.shown[0].text, kHelpFailure);
    EXPECT_EQ(messages.shown[0].caption, "ペロリン");
    EXPECT_EQ(messages.shown[0].flags, MB_OK | MB_ICONEXCLAMATION);
}

TEST_F(HelpBrowserTest, NoBrowserOrAFailedStartShowsTheMessageNamingTheFileAsGiven)
{
    WritePage();
    EXPECT_FALSE(ShowHelp(env, "Pelorin.htm", "", "", false));  // the desktop names no browser
    EXPECT_TRUE(launcher.started.empty());

    launcher.defaultBrowser = "/usr/bin/default-browser";
    launcher.outcome = LaunchOutcome::NotStarted;
    EXPECT_FALSE(ShowHelp(env, "Pelorin.htm", "", "", false));
    EXPECT_EQ(launcher.started.size(), 1u);
    ASSERT_EQ(messages.shown.size(), 2u);
    EXPECT_EQ(messages.shown[0].text, kHelpFailure);
    EXPECT_EQ(messages.shown[1].text, kHelpFailure);

    // A name with a folder part is named in the message just as given.
    EXPECT_FALSE(ShowHelp(env, dir / "Other.htm", "", "", false));
    ASSERT_EQ(messages.shown.size(), 3u);
    EXPECT_NE(messages.shown[2].text.find("\n\"" + (dir / "Other.htm") + "\"\n"), std::string::npos);
}

TEST_F(HelpBrowserTest, QueryAndAnchorBothFollowThePage)
{
    const std::string page = WritePage();
    launcher.defaultBrowser = "/usr/bin/default-browser";
    EXPECT_TRUE(ShowHelp(env, page, "v=2", "Windowtab", false));
    ASSERT_EQ(launcher.started.size(), 1u);
    EXPECT_EQ(launcher.started[0].args, std::vector<std::string>{FileUrl(page) + "?v=2#Windowtab"});
}

TEST_F(HelpBrowserTest, HomePageGoesToTheOpenerAndFailsWithItsMessage)
{
    const std::string url = "https://example.org/p/";
    const std::string failure = "作者のホームページに接続できません。\n"
                                "ＷＷＷブラウザ（ＮetscapeＮavigator4.5以上推奨）で\n"
                                "\"https://example.org/p/\"\n"
                                "をご覧下さい。";
    // No opener on PATH.
    EXPECT_FALSE(OpenHomePage(env, url));
    EXPECT_TRUE(launcher.started.empty());

    launcher.onPath = {{"xdg-open", "/usr/bin/xdg-open"}};
    for (const LaunchOutcome outcome : {LaunchOutcome::Running, LaunchOutcome::Succeeded}) {
        launcher.outcome = outcome;
        EXPECT_TRUE(OpenHomePage(env, url));
    }
    for (const LaunchOutcome outcome : {LaunchOutcome::NotStarted, LaunchOutcome::Failed}) {
        launcher.outcome = outcome;
        EXPECT_FALSE(OpenHomePage(env, url));
    }
    ASSERT_EQ(launcher.started.size(), 4u);
    EXPECT_EQ(launcher.started[0].program, "/usr/bin/xdg-open");
    EXPECT_EQ(launcher.started[0].args, std::vector<std::string>{url});
    EXPECT_GT(launcher.started[0].waitMs, 0);
    ASSERT_EQ(messages.shown.size(), 3u);
    for (const auto& shown : messages.shown) {
        EXPECT_EQ(shown.text, failure);
        EXPECT_EQ(shown.flags, MB_OK | MB_ICONEXCLAMATION);
    }
}

} // namespace
