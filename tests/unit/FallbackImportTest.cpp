// SPDX-License-Identifier: MIT
#include "settings/FallbackImport.h"

#include "settings/ExportFile.h"
#include "RecordingMessageBox.h"
#include "ScratchDir.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <map>
#include <string>
#include <vector>

namespace {

TCustomSet Live()
{
    TCustomSet set;
    set.StayOnTop = true;
    set.UpdateInterval = 99;
    return set;
}

struct FallbackCase {
    const char* name;
    std::map<std::string, std::string> files; // an empty text makes a folder
    TCustomSet after;
    std::vector<std::string> shown;           // "@" stands for the program folder
};

TEST(ImportFirstExportFileTest, ImportsTheExportFileBesideTheProgram)
{
    TCustomSet fromFile;
    fromFile.Unit = 2;
    fromFile.UseNN = false;
    TCustomSet partly = Live();
    partly.InsideDesktop = true;

    const std::vector<FallbackCase> cases = {
        {"one file", {{"p.plne", SettingText(fromFile)}, {"other.txt", "PLNIE$2\r\n"}}, fromFile, {}},
        {"none", {{"other.txt", SettingText(fromFile)}, {"folder.plne", ""}, {"p.plne.bak", "x"}}, Live(), {}},
        {"wrong signature",
         {{"bad.plne", "hello\r\n"}},
         Live(),
         {"設定を読み込むことができません。\n@/bad.plne\n\n外持ファイルでないか、またはサポートされていない外持ファイル形式です。"}},
        {"stops at a bad line", {{"p.plne", "PLNIE$2\r\n1\r\nx\r\n"}}, partly, {}},
    };
    for (const FallbackCase& c : cases) {
        ScratchDir dir;
        for (const auto& [name, text] : c.files) {
            if (text.empty())
                dir.MakeFolder(name);
            else
                dir.Write(name, text);
        }
        RecordingMessageBox boxes;
        TCustomSet set = Live();
        ImportFirstExportFile(dir.Path(), set);

        EXPECT_EQ(set, c.after) << c.name;
        std::vector<std::string> texts;
        for (const RecordingMessageBox::Shown& box : boxes.shown)
            texts.push_back(box.text);
        std::vector<std::string> expected;
        for (std::string text : c.shown)
            expected.push_back(text.replace(text.find('@'), 1, dir.Path()));
        EXPECT_EQ(texts, expected) << c.name;
    }
}

TEST(ImportFirstExportFileTest, TakesTheFirstFileTheFolderListingReturns)
{
    ScratchDir dir;
    TCustomSet a;
    a.Unit = 0;
    TCustomSet b;
    b.Unit = 2;
    dir.Write("a.plne", SettingText(a));
    dir.Write("b.plne", SettingText(b));
    dir.Write("c.txt", "x");

    std::string first;
    for (const auto& entry : std::filesystem::directory_iterator(dir.Path())) {
        if (entry.path().extension() == ".plne") {
            first = entry.path().filename().string();
            break;
        }
    }
    RecordingMessageBox boxes;
    TCustomSet set;
    ImportFirstExportFile(dir.Path(), set);
    EXPECT_EQ(set, first == "a.plne" ? a : b);
    EXPECT_TRUE(boxes.shown.empty());
}

TEST(ImportFirstExportFileTest, AMissingFolderLeavesTheRecordAlone)
{
    ScratchDir dir;
    RecordingMessageBox boxes;
    TCustomSet set = Live();
    ImportFirstExportFile(dir / "gone", set);
    EXPECT_EQ(set, Live());
    EXPECT_TRUE(boxes.shown.empty());
}

} // namespace
