// SPDX-License-Identifier: MIT
#include "settings/ExportFile.h"

#include "RecordingMessageBox.h"
#include "ScratchDir.h"
#include "SettingsSamples.h"

#include <gtest/gtest.h>

#include <climits>
#include <functional>
#include <grp.h>
#include <optional>
#include <string>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>
#include <vector>

namespace {

const std::string kDefaultFile = "PLNIE$2\r\n0\r\n1\r\n0\r\n1\r\n0\r\n0\r\n1\r\n0\r\n1\r\n60\r\n";

std::string CannotSave(const std::string& name)
{
    return "ファイルに保存できません。\n" + name;
}
std::string CannotAccess(const std::string& name)
{
    return "外持ファイルにアクセスできません。\n" + name;
}
std::string NotSettings(const std::string& name)
{
    return "設定を読み込むことができません。\n" + name +
           "\n\n外持ファイルでないか、またはサポートされていない外持ファイル形式です。";
}

const TCustomSet kChanged = EveryFieldChanged();

template <typename Change>
TCustomSet With(TCustomSet set, Change change)
{
    change(set);
    return set;
}

std::string Join(const std::vector<std::string>& lines, const std::string& end)
{
    std::string text;
    for (const std::string& line : lines)
        text += line + end;
    return text;
}

// The version 2 lines of kChanged, and version 1 ones without UseNN.
const std::vector<std::string> kChangedVer2 = {"PLNIE$2", "1", "0", "1", "0", "1", "1", "0", "3", "2", "5"};
const std::vector<std::string> kChangedVer1 = {"PLNIE$1", "1", "0", "1", "0", "1", "1", "3", "2", "5"};

enum class Shown { Nothing, NotSettings };

struct ImportCase {
    const char* name;
    std::string bytes;
    TCustomSet before;
    bool result;
    TCustomSet after;
    Shown shown;
};

class ImportSettingTest : public ::testing::TestWithParam<ImportCase> {};

TEST_P(ImportSettingTest, ReadsTheFileIntoTheRecord)
{
    const ImportCase& c = GetParam();
    ScratchDir dir;
    const std::string file = dir.Write("in.plne", c.bytes);
    RecordingMessageBox boxes;

    TCustomSet set = c.before;
    EXPECT_EQ(ImportSetting(file, set), c.result);
    EXPECT_EQ(set, c.after);
    if (c.shown == Shown::Nothing) {
        EXPECT_TRUE(boxes.shown.empty());
    } else {
        ASSERT_EQ(boxes.shown.size(), 1u);
        EXPECT_EQ(boxes.shown[0].text, NotSettings(file));
        EXPECT_EQ(boxes.shown[0].caption, "ペロリン");
        EXPECT_EQ(boxes.shown[0].flags, MB_OK | MB_ICONEXCLAMATION);
    }
}

const TCustomSet kDefaults;

INSTANTIATE_TEST_SUITE_P(
    Files, ImportSettingTest,
    ::testing::Values(
        ImportCase{"DefaultFile", kDefaultFile, kChanged, true, kDefaults, Shown::Nothing},
        ImportCase{"Ver2", Join(kChangedVer2, "\r\n"), kDefaults, true, kChanged, Shown::Nothing},
        ImportCase{"Ver1KeepsUseNNTrue", Join(kChangedVer1, "\r\n"), kDefaults, true,
                   With(kChanged, [](TCustomSet& s) { s.UseNN = true; }), Shown::Nothing},
        ImportCase{"Ver1KeepsUseNNFalse", Join(kChangedVer1, "\r\n"),
                   With(kDefaults, [](TCustomSet& s) { s.UseNN = false; }), true, kChanged, Shown::Nothing},
        ImportCase{"LfOnlyWithExtraLines", Join(kChangedVer2, "\n") + "junk\nPLNIE$1\n", kDefaults, true,
                   kChanged, Shown::Nothing},
        ImportCase{"CrOnly", Join(kChangedVer2, "\r"), kDefaults, true, kChanged, Shown::Nothing},
        ImportCase{"MixedLineEndsNoFinalEnd", "PLNIE$2\n1\r0\r\n1\n0\r1\r\n1\n0\r3\r\n2\n5", kDefaults, true,
                   kChanged, Shown::Nothing},
        ImportCase{"LowerCaseSignature", "plnie$2\r\n0\r\n", kChanged, false, kChanged, Shown::NotSettings},
        ImportCase{"BlankAfterSignature", "PLNIE$2 \r\n0\r\n", kChanged, false, kChanged, Shown::NotSettings},
        ImportCase{"BlankBeforeSignature", " PLNIE$2\r\n", kChanged, false, kChanged, Shown::NotSettings},
        ImportCase{"UnknownVersion", "PLNIE$3\r\n", kChanged, false, kChanged, Shown::NotSettings},
        ImportCase{"OneEmptyLine", "\r\n", kChanged, false, kChanged, Shown::NotSettings},
        ImportCase{"EmptyFile", "", kChanged, false, kChanged, Shown::Nothing},
        ImportCase{"NulFirst", std::string("\0PLNIE$2\r\n", 10), kChanged, false, kChanged, Shown::Nothing},
        ImportCase{"FlagsNotZeroAreTrue", "PLNIE$2\r\n2\r\n-1\r\n0\r\n0\r\n0\r\n0\r\n0\r\n0\r\n1\r\n60\r\n",
                   kChanged, true,
                   With(kDefaults,
                        [](TCustomSet& s) {
                            s.InsideDesktop = true;
                            s.SDR = false;
                            s.UseNN = false;
                        }),
                   Shown::Nothing},
        // The seven flags are taken before line 9 fails; the integers stay.
        ImportCase{"LettersOnLine9", "PLNIE$2\r\n1\r\n0\r\n1\r\n0\r\n1\r\n1\r\n0\r\nabc\r\n2\r\n5\r\n", kDefaults,
                   false,
                   With(kChanged,
                        [](TCustomSet& s) {
                            s.BaseWinStyle = 0;
                            s.Unit = 1;
                            s.UpdateInterval = 60;
                        }),
                   Shown::Nothing},
        ImportCase{"LastLineMissing", Join({"PLNIE$2", "1", "0", "1", "0", "1", "1", "0", "3", "2"}, "\r\n"),
                   kDefaults, false, With(kChanged, [](TCustomSet& s) { s.UpdateInterval = 60; }),
                   Shown::Nothing},
        ImportCase{"EmptyValueLine", "PLNIE$2\r\n1\r\r\n", kDefaults, false,
                   With(kDefaults, [](TCustomSet& s) { s.InsideDesktop = true; }), Shown::Nothing},
        ImportCase{"NulEndsTheText", std::string("PLNIE$2\r\n1\r\n0\r\n1\r\n") + '\0' + "0\r\n1\r\n1\r\n0\r\n3\r\n2\r\n5\r\n",
                   kDefaults, false,
                   With(kDefaults,
                        [](TCustomSet& s) {
                            s.InsideDesktop = true;
                            s.MOExpDiffe = false;
                            s.RegularUpdate = true;
                        }),
                   Shown::Nothing},
        ImportCase{"NulAfterTheLastLine", Join(kChangedVer2, "\r\n") + std::string("\0garbage", 8), kDefaults, true,
                   kChanged, Shown::Nothing},
        // Out-of-range Unit and BaseWinStyle fall back to the defaults.
        ImportCase{"OutOfRangeBroughtIn", Join({"PLNIE$2", "1", "0", "1", "0", "1", "1", "0", "9", "3", "5"}, "\r\n"),
                   kDefaults, true,
                   With(kChanged,
                        [](TCustomSet& s) {
                            s.BaseWinStyle = 0;
                            s.Unit = 1;
                        }),
                   Shown::Nothing},
        ImportCase{"NegativeBroughtIn", Join({"PLNIE$1", "0", "1", "0", "1", "0", "0", "-1", "-1", "60"}, "\r\n"),
                   kChanged, true,
                   With(kDefaults, [](TCustomSet& s) { s.UseNN = false; }), Shown::Nothing},
        ImportCase{"EdgesOfRangeKept", Join({"PLNIE$2", "0", "1", "0", "1", "0", "0", "1", "8", "0", "0"}, "\r\n"),
                   kDefaults, true,
                   With(kDefaults,
                        [](TCustomSet& s) {
                            s.BaseWinStyle = 8;
                            s.Unit = 0;
                            s.UpdateInterval = 0;
                        }),
                   Shown::Nothing},
        // The fix-up runs even when the reading stops early.
        ImportCase{"BroughtInAfterFailure", Join({"PLNIE$2", "0", "1", "0", "1", "0", "0", "1", "12", "x"}, "\r\n"),
                   kDefaults, false, kDefaults, Shown::Nothing}),
    [](const ::testing::TestParamInfo<ImportCase>& info) { return std::string(info.param.name); });

struct IntegerCase {
    std::string line;
    std::optional<int32_t> value;
};

TEST(ExportFileIntegerTest, ValueLinesAreWholeDecimal32BitIntegers)
{
    const std::vector<IntegerCase> cases = {
        {"60", 60},
        {"0", 0},
        {"-0", 0},
        {"007", 7},
        {"-15", -15},
        {"2147483647", INT32_MAX},
        {"-2147483648", INT32_MIN},
        {"2147483648", std::nullopt},
        {"-2147483649", std::nullopt},
        {"99999999999999999999", std::nullopt},
        {"+1", std::nullopt},
        {" 1", std::nullopt},
        {"1 ", std::nullopt},
        {"\t1", std::nullopt},
        {"", std::nullopt},
        {"-", std::nullopt},
        {"1.0", std::nullopt},
        {"0x10", std::nullopt},
        {"$10", std::nullopt},
        {"1e3", std::nullopt},
        {"１", std::nullopt}, // a full-width digit
    };
    for (const IntegerCase& c : cases) {
        std::vector<std::string> lines = {"PLNIE$2", "0", "1", "0", "1", "0", "0", "1", "0", "1", c.line};
        TCustomSet set;
        set.UpdateInterval = 12345;
        const SettingTextResult result = ReadSettingText(Join(lines, "\r\n"), set);
        if (c.value) {
            EXPECT_EQ(result, SettingTextResult::Read) << '"' << c.line << '"';
            EXPECT_EQ(set.UpdateInterval, *c.value) << '"' << c.line << '"';
        } else {
            EXPECT_EQ(result, SettingTextResult::BadValue) << '"' << c.line << '"';
            EXPECT_EQ(set.UpdateInterval, 12345) << '"' << c.line << '"';
        }
    }
}

TEST(ExportFileIntegerTest, FlagLinesUseTheSameConversion)
{
    TCustomSet set;
    EXPECT_FALSE(ReadSettingVer2({"PLNIE$2", "0", "+1"}, set));
    EXPECT_FALSE(set.InsideDesktop);
    EXPECT_TRUE(set.MOExpDiffe);
}

TEST(ImportSettingAccessTest, UnreadableFilesShowTheAccessMessage)
{
    ScratchDir dir;
    dir.MakeFolder("folder.plne");
    ASSERT_EQ(mkfifo((dir / "fifo.plne").c_str(), 0600), 0);
    for (const char* name : {"missing.plne", "folder.plne", "fifo.plne", "missing/x.plne"}) {
        RecordingMessageBox boxes;
        const std::string file = dir / name;
        TCustomSet set = kChanged;
        EXPECT_FALSE(ImportSetting(file, set)) << name;
        EXPECT_EQ(set, kChanged) << name;
        ASSERT_EQ(boxes.shown.size(), 1u) << name;
        EXPECT_EQ(boxes.shown[0].text, CannotAccess(file));
        EXPECT_EQ(boxes.shown[0].flags, MB_OK | MB_ICONEXCLAMATION);
    }
}

TEST(ImportSettingAccessTest, ALongFileIsReadOnlyAsFarAsItMatters)
{
    ScratchDir dir;
    const std::string file = dir.Write("long.plne", Join(kChangedVer2, "\r\n") + std::string(1 << 20, 'x'));
    TCustomSet set;
    EXPECT_TRUE(ImportSetting(file, set));
    EXPECT_EQ(set, kChanged);
}

TEST(ImportSettingAccessTest, AHugeFileIsReadOnlyUpToABound)
{
    // The last value line, padded with leading zeros past 64 KiB, is only
    // read when the whole file is: a bounded read finds it cut off, and a
    // line cut off counts as missing rather than as some other number.
    ScratchDir dir;
    std::vector<std::string> lines(kChangedVer2.begin(), kChangedVer2.end());
    const std::string last = lines.back();
    lines.back() = std::string(70 * 1024, '0') + last;
    const std::string file = dir.Write("huge.plne", Join(lines, "\r\n") + "\r\n");
    TCustomSet set;
    const TCustomSet before = set;
    RecordingMessageBox boxes;
    EXPECT_FALSE(ImportSetting(file, set));
    EXPECT_TRUE(boxes.shown.empty());
    EXPECT_EQ(set.UpdateInterval, before.UpdateInterval);
    EXPECT_EQ(set.Unit, kChanged.Unit);
}

TEST(ExportSettingTest, DefaultRecordWritesTheFortyBytes)
{
    ScratchDir dir;
    RecordingMessageBox boxes;
    ASSERT_EQ(kDefaultFile.size(), 40u);
    EXPECT_EQ(SettingText(TCustomSet()), kDefaultFile);

    EXPECT_TRUE(ExportSetting(dir / "out.plne", TCustomSet()));
    EXPECT_EQ(dir.Read("out.plne"), kDefaultFile);
    EXPECT_EQ(dir.Names(), (std::set<std::string>{"out.plne"}));
    EXPECT_TRUE(boxes.shown.empty());

    TCustomSet set = kChanged;
    EXPECT_TRUE(ImportSetting(dir / "out.plne", set));
    EXPECT_EQ(set, TCustomSet());
}

TEST(ExportSettingTest, WritesEveryFieldAndReadsItBack)
{
    ScratchDir dir;
    TCustomSet out = kChanged;
    out.UpdateInterval = INT32_MIN;
    ASSERT_TRUE(ExportSetting(dir / "out.plne", out));
    EXPECT_EQ(dir.Read("out.plne"), "PLNIE$2\r\n1\r\n0\r\n1\r\n0\r\n1\r\n1\r\n0\r\n3\r\n2\r\n-2147483648\r\n");
    TCustomSet in;
    EXPECT_TRUE(ImportSetting(dir / "out.plne", in));
    EXPECT_EQ(in, out);
}

TEST(ExportSettingTest, AFlagReadAsTwoIsWrittenAsOne)
{
    ScratchDir dir;
    const std::string file = dir.Write("two.plne", "PLNIE$2\r\n2\r\n1\r\n0\r\n1\r\n0\r\n0\r\n1\r\n0\r\n1\r\n60\r\n");
    TCustomSet set;
    ASSERT_TRUE(ImportSetting(file, set));
    EXPECT_TRUE(set.InsideDesktop);
    ASSERT_TRUE(ExportSetting(file, set));
    EXPECT_EQ(dir.Read("two.plne"), "PLNIE$2\r\n1\r\n1\r\n0\r\n1\r\n0\r\n0\r\n1\r\n0\r\n1\r\n60\r\n");
}

TEST(ExportSettingTest, ReplacesAnExistingFileWholeAndKeepsItsPermissions)
{
    ScratchDir dir;
    const std::string file = dir.Write("old.plne", std::string(500, 'z') + "\r\nmore\r\n");
    ASSERT_EQ(chmod(file.c_str(), 0640), 0);

    EXPECT_TRUE(ExportSetting(file, TCustomSet()));
    EXPECT_EQ(dir.Read("old.plne"), kDefaultFile);
    EXPECT_EQ(dir.Names(), (std::set<std::string>{"old.plne"}));
    struct stat st {};
    ASSERT_EQ(stat(file.c_str(), &st), 0);
    EXPECT_EQ(st.st_mode & 07777, 0640u);
}

TEST(ExportSettingTest, ReplacingAnotherUsersFileAsRootKeepsItsOwner)
{
    if (geteuid() != 0)
        GTEST_SKIP() << "only root can write another user's file";
    ScratchDir dir;
    const std::string file = dir.Write("theirs.plne", "old");
    ASSERT_EQ(chown(file.c_str(), 65534, 65534), 0);
    EXPECT_TRUE(ExportSetting(file, TCustomSet()));
    EXPECT_EQ(dir.Read("theirs.plne"), kDefaultFile);
    struct stat st {};
    ASSERT_EQ(stat(file.c_str(), &st), 0);
    EXPECT_EQ(st.st_uid, 65534u);
    EXPECT_EQ(st.st_gid, 65534u);
}

TEST(ExportSettingTest, WritesThroughALinkAndKeepsTheLink)
{
    ScratchDir dir;
    dir.Write("real/target.plne", "old");
    dir.Link("link.plne", "real/target.plne");

    EXPECT_TRUE(ExportSetting(dir / "link.plne", TCustomSet()));
    EXPECT_TRUE(std::filesystem::is_symlink(dir / "link.plne"));
    EXPECT_EQ(dir.Read("real/target.plne"), kDefaultFile);
    EXPECT_EQ(dir.Names("real"), (std::set<std::string>{"target.plne"}));
}

TEST(ExportSettingTest, FailureShowsItsMessageAndLeavesNothingBehind)
{
    ScratchDir dir;
    dir.MakeFolder("taken.plne");
    dir.Write("taken.plne/inside", "keep");
    for (const char* name : {"missing/out.plne", "taken.plne", "", "taken.plne/inside/x.plne"}) {
        RecordingMessageBox boxes;
        const std::string file = *name ? dir / name : std::string();
        EXPECT_FALSE(ExportSetting(file, TCustomSet())) << name;
        ASSERT_EQ(boxes.shown.size(), 1u) << name;
        EXPECT_EQ(boxes.shown[0].text, CannotSave(file));
        EXPECT_EQ(boxes.shown[0].caption, "ペロリン");
        EXPECT_EQ(boxes.shown[0].flags, MB_OK | MB_ICONEXCLAMATION);
        EXPECT_EQ(dir.Names(), (std::set<std::string>{"taken.plne"})) << name;
        EXPECT_EQ(dir.Names("taken.plne"), (std::set<std::string>{"inside"})) << name;
        EXPECT_EQ(dir.Read("taken.plne/inside"), "keep");
    }
}

// Runs check as a user without privileges: in a child process that drops to
// nobody when the tests run as root, whom permissions do not stop, and right
// here otherwise. Nullopt when the child cannot become nobody.
std::optional<bool> AsUnprivileged(const std::function<bool()>& check)
{
    if (geteuid() != 0)
        return check();
    const pid_t child = fork();
    if (child == 0) {
        constexpr uid_t kNobody = 65534;
        if (setgroups(0, nullptr) != 0 || setresgid(kNobody, kNobody, kNobody) != 0
            || setresuid(kNobody, kNobody, kNobody) != 0)
            _exit(77);
        _exit(check() ? 0 : 1);
    }
    int status = 0;
    if (child < 0 || waitpid(child, &status, 0) != child || !WIFEXITED(status) || WEXITSTATUS(status) == 77)
        return std::nullopt;
    return WEXITSTATUS(status) == 0;
}

TEST(ExportSettingTest, AReadOnlyFolderKeepsTheOldFile)
{
    ScratchDir dir;
    const std::string file = dir.Write("ro/old.plne", "old");
    ASSERT_EQ(chmod(dir.Path().c_str(), 0755), 0);
    ASSERT_EQ(chmod(file.c_str(), 0666), 0);
    ASSERT_EQ(chmod((dir / "ro").c_str(), 0555), 0);
    const std::optional<bool> refused = AsUnprivileged([&] {
        RecordingMessageBox boxes;
        return !ExportSetting(file, TCustomSet()) && boxes.shown.size() == 1
            && boxes.shown[0].text == CannotSave(file);
    });
    chmod((dir / "ro").c_str(), 0700);
    if (!refused)
        GTEST_SKIP() << "no unprivileged user to run as";
    EXPECT_TRUE(*refused);
    EXPECT_EQ(dir.Read("ro/old.plne"), "old");
    EXPECT_EQ(dir.Names("ro"), (std::set<std::string>{"old.plne"}));
}

TEST(ExportSettingTest, AReadOnlyFileIsRefusedAndKeptAsItIs)
{
    // The rule is the permission bits, so that it holds for root as well.
    for (const mode_t mode : {0444u, 0400u, 0000u, 0555u}) {
        SCOPED_TRACE(mode);
        ScratchDir dir;
        const std::string file = dir.Write("ro.plne", "old");
        ASSERT_EQ(chmod(file.c_str(), mode), 0);
        dir.Link("link.plne", "ro.plne");
        for (const std::string& name : {file, dir / "link.plne"}) {
            RecordingMessageBox boxes;
            EXPECT_FALSE(ExportSetting(name, TCustomSet()));
            ASSERT_EQ(boxes.shown.size(), 1u);
            EXPECT_EQ(boxes.shown[0].text, CannotSave(name));
        }
        chmod(file.c_str(), 0600);
        EXPECT_EQ(dir.Read("ro.plne"), "old");
        EXPECT_EQ(dir.Names(), (std::set<std::string>{"ro.plne", "link.plne"}));
        struct stat st {};
        ASSERT_EQ(lstat(file.c_str(), &st), 0);
        EXPECT_EQ(st.st_nlink, 1u);
    }
}

TEST(ExportSettingTest, AFileThisUserMayNotWriteIsRefused)
{
    // Another user's file in a folder everyone may write in: the rename
    // alone would replace it.
    if (geteuid() != 0)
        GTEST_SKIP() << "only root can make another user's file";
    ScratchDir dir;
    const std::string file = dir.Write("shared/theirs.plne", "theirs");
    ASSERT_EQ(chmod(dir.Path().c_str(), 0755), 0);
    ASSERT_EQ(chmod((dir / "shared").c_str(), 0777), 0);
    ASSERT_EQ(chmod(file.c_str(), 0644), 0);
    const std::optional<bool> refused = AsUnprivileged([&] {
        RecordingMessageBox boxes;
        return !ExportSetting(file, TCustomSet()) && boxes.shown.size() == 1;
    });
    if (!refused)
        GTEST_SKIP() << "no unprivileged user to run as";
    EXPECT_TRUE(*refused);
    EXPECT_EQ(dir.Read("shared/theirs.plne"), "theirs");
    EXPECT_EQ(dir.Names("shared"), (std::set<std::string>{"theirs.plne"}));
    struct stat st {};
    ASSERT_EQ(stat(file.c_str(), &st), 0);
    EXPECT_EQ(st.st_uid, 0u);
}

} // namespace
