// SPDX-License-Identifier: MIT
#include "platform/RegTree.h"

#include <gtest/gtest.h>

#include <random>

namespace {

constexpr std::string_view kPref = "\\Software\\KORVAL\\Pelorin\\Pref";
constexpr char kPrefHeader[] = "[HKEY_CURRENT_USER\\Software\\KORVAL\\Pelorin\\Pref]";

using Bytes = std::vector<uint8_t>;

RegTree Reparse(const RegTree& tree)
{
    return RegTree::Parse(tree.Serialize());
}

// Whatever a text parses to must write out as a file that reads back the
// same, or a damaged file would stay damaged after the next save.
void ExpectSoundOutput(std::string_view text)
{
    const std::string once = RegTree::Parse(text).Serialize();
    EXPECT_EQ(RegTree::Parse(once).Serialize(), once);
}

TEST(RegTreeTest, EveryTypeSurvivesARoundTrip)
{
    Bytes longBinary(100);
    for (size_t i = 0; i < longBinary.size(); ++i)
        longBinary[i] = static_cast<uint8_t>(i * 7);
    const std::string withNul("a\0b", 3);
    const std::vector<std::pair<std::string, RegTree::Value>> values = {
        {"Zero", {RegTree::Type::Dword, 0, {}, {}}},
        {"Sixty", {RegTree::Type::Dword, 60, {}, {}}},
        {"AllOnes", {RegTree::Type::Dword, 0xffffffffu, {}, {}}},
        {"HighBit", {RegTree::Type::Dword, 0x80000000u, {}, {}}},
        {"Empty", {RegTree::Type::String, 0, "", {}}},
        {"Folder", {RegTree::Type::String, 0, "C:\\Program Files\\KORVAL\\", {}}},
        {"Quotes", {RegTree::Type::String, 0, "say \"hi\" \\\"", {}}},
        {"Japanese", {RegTree::Type::String, 0, "/home/ユーザー/書類/ペロリン", {}}},
        {"LineEnds", {RegTree::Type::String, 0, "one\ntwo\r\n[HKEY_CURRENT_USER\\X]", {}}},
        {"Nul", {RegTree::Type::String, 0, withNul, {}}},
        {"Tab", {RegTree::Type::String, 0, "a\tb", {}}},
        {"NoBytes", {RegTree::Type::Binary, 0, {}, {}}},
        {"Bytes", {RegTree::Type::Binary, 0, {}, {0x01, 0x02, 0xff}}},
        {"ManyBytes", {RegTree::Type::Binary, 0, {}, longBinary}},
        {"Name \"with\" \\ marks", {RegTree::Type::Dword, 7, {}, {}}},
        {"", {RegTree::Type::String, 0, "default value", {}}},
    };
    RegTree tree;
    for (const auto& [name, value] : values) {
        switch (value.type) {
        case RegTree::Type::Dword: tree.SetDword(kPref, name, value.dword); break;
        case RegTree::Type::String: tree.SetString(kPref, name, value.text); break;
        case RegTree::Type::Binary: tree.SetBinary(kPref, name, value.bytes); break;
        }
    }
    const RegTree back = Reparse(tree);
    for (const auto& [name, value] : values) {
        SCOPED_TRACE(name);
        const RegTree::Value* read = back.Find(kPref, name);
        ASSERT_NE(read, nullptr);
        EXPECT_EQ(read->type, value.type);
        EXPECT_EQ(read->dword, value.dword);
        EXPECT_EQ(read->text, value.text);
        EXPECT_EQ(read->bytes, value.bytes);
    }
    EXPECT_EQ(back.ReadInteger(kPref, "AllOnes"), -1);
    EXPECT_EQ(back.ReadInteger(kPref, "HighBit"), INT32_MIN);
    EXPECT_EQ(back.Serialize(), tree.Serialize());
}

TEST(RegTreeTest, WritesRegeditText)
{
    RegTree tree;
    tree.SetDword(kPref, "Unit", 0x3c);
    tree.SetString(kPref, "EHFolder", "C:\\a \"b\"");
    tree.SetBinary(kPref, "Blob", {0x0a, 0xff});
    tree.CreateKey("\\Software\\KORVAL\\Pelorin\\System");
    EXPECT_EQ(tree.Serialize(),
              "REGEDIT4\r\n"
              "\r\n"
              "[HKEY_CURRENT_USER\\Software]\r\n"
              "\r\n"
              "[HKEY_CURRENT_USER\\Software\\KORVAL]\r\n"
              "\r\n"
              "[HKEY_CURRENT_USER\\Software\\KORVAL\\Pelorin]\r\n"
              "\r\n"
              "[HKEY_CURRENT_USER\\Software\\KORVAL\\Pelorin\\Pref]\r\n"
              "\"Unit\"=dword:0000003c\r\n"
              "\"EHFolder\"=\"C:\\\\a \\\"b\\\"\"\r\n"
              "\"Blob\"=hex:0a,ff\r\n"
              "\r\n"
              "[HKEY_CURRENT_USER\\Software\\KORVAL\\Pelorin\\System]\r\n"
              "\r\n");
}

TEST(RegTreeTest, ReadingRules)
{
    RegTree tree;
    tree.SetDword(kPref, "Unit", 60);
    tree.SetDword(kPref, "Minus", 0xffffffffu);
    tree.SetString(kPref, "Folder", "abc");
    tree.SetString(kPref, "Blank", "");
    tree.SetBinary(kPref, "Blob", {1, 2});

    struct Case {
        std::string_view key;
        std::string_view name;
        std::optional<int32_t> integer;
        std::optional<std::string> text;
    };
    const Case cases[] = {
        {kPref, "Unit", 60, std::nullopt},
        {kPref, "Minus", -1, std::nullopt},
        {kPref, "Folder", std::nullopt, "abc"},
        {kPref, "Blank", std::nullopt, ""},
        {kPref, "Blob", std::nullopt, std::nullopt},
        {kPref, "Missing", std::nullopt, ""},
        {"\\Software\\KORVAL\\Nothing", "Unit", std::nullopt, ""},
        {"\\SOFTWARE\\korval\\Pelorin\\PREF", "uNIT", 60, std::nullopt},
        {"\\SOFTWARE\\korval\\Pelorin\\PREF", "FOLDER", std::nullopt, "abc"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(std::string(c.key) + " " + std::string(c.name));
        EXPECT_EQ(tree.ReadInteger(c.key, c.name), c.integer);
        EXPECT_EQ(tree.ReadString(c.key, c.name), c.text);
    }
}

TEST(RegTreeTest, ReadsTheSameFromEveryLineEnd)
{
    const std::string lf = std::string("REGEDIT4\n\n") + kPrefHeader
        + "\n\"Unit\"=dword:0000003C\n\"EHFolder\"=\"C:\\\\x\"\n\"Blob\"=hex:01,02,\\\n  03\n";
    std::string crlf;
    for (const char c : lf)
        crlf += c == '\n' ? std::string("\r\n") : std::string(1, c);
    const struct {
        const char* label;
        std::string text;
    } cases[] = {
        {"LF", lf},
        {"CR LF", crlf},
        {"BOM", "\xEF\xBB\xBF" + crlf},
        {"no final line end", lf.substr(0, lf.size() - 1)},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.label);
        const RegTree tree = RegTree::Parse(c.text);
        EXPECT_EQ(tree.ReadInteger(kPref, "Unit"), 60);
        EXPECT_EQ(tree.ReadString(kPref, "EHFolder"), "C:\\x");
        const RegTree::Value* blob = tree.Find(kPref, "Blob");
        ASSERT_NE(blob, nullptr);
        EXPECT_EQ(blob->bytes, (Bytes{1, 2, 3}));
    }
}

TEST(RegTreeTest, ReadsWhatRegeditWrites)
{
    const std::string text = std::string("REGEDIT4\r\n\r\n")
        + "; exported by hand\r\n"
        + "[-HKEY_CURRENT_USER\\Software\\Gone]\r\n"
        + "\"Orphan\"=dword:00000001\r\n"
        + kPrefHeader + "\r\n"
        + "@=\"default\"\r\n"
        + "\"Path\"=hex(2):25,00,00,00\r\n"
        + "\"Multi\"=hex(7):61,00,\\\r\n  00,00\r\n"
        + "\"Unit\"=dword:00000001\r\n"
        + "  \"Spaced\" = dword:00000002  \r\n"
        + "\r\n"
        + "[HKEY_CURRENT_USER\\Software\\KORVAL\\Pelorin\\Pref]\r\n"
        + "\"UNIT\"=dword:00000003\r\n";
    const RegTree tree = RegTree::Parse(text);
    EXPECT_EQ(tree.ReadString(kPref, ""), "default");
    EXPECT_EQ(tree.Find(kPref, "Path"), nullptr);
    EXPECT_EQ(tree.Find(kPref, "Multi"), nullptr);
    EXPECT_EQ(tree.ReadInteger(kPref, "Spaced"), 2);
    // A repeated section adds to the first one; a repeated value replaces it.
    EXPECT_EQ(tree.ReadInteger(kPref, "Unit"), 3);
    EXPECT_FALSE(tree.KeyExists("\\Software\\Gone"));
    EXPECT_EQ(tree.Find("\\Software\\Gone", "Orphan"), nullptr);
    // What is not understood is written back as it was, in its place.
    EXPECT_EQ(tree.Serialize(),
              std::string("REGEDIT4\r\n\r\n; exported by hand\r\n\r\n")
                  + "[-HKEY_CURRENT_USER\\Software\\Gone]\r\n\"Orphan\"=dword:00000001\r\n\r\n"
                  + kPrefHeader + "\r\n"
                  + "@=\"default\"\r\n\"Path\"=hex(2):25,00,00,00\r\n\"Multi\"=hex(7):61,00,\\\r\n  00,00\r\n"
                  + "\"Unit\"=dword:00000003\r\n\"Spaced\"=dword:00000002\r\n\r\n");
}

TEST(RegTreeTest, AByteOrderMarkAndBlankLinesMayComeBeforeTheHeader)
{
    const std::string body = std::string("REGEDIT4\r\n\r\n") + kPrefHeader + "\r\n\"Unit\"=dword:00000002\r\n";
    const std::string cases[] = {
        "\xEF\xBB\xBF" + body,
        "\r\n" + body,
        "\n \t\n\r\n" + body,
        "\xEF\xBB\xBF\r\n\r\n" + body,
        "  REGEDIT4  \n" + body.substr(10),
    };
    for (const std::string& text : cases) {
        SCOPED_TRACE(testing::PrintToString(text));
        EXPECT_TRUE(RegTree::HasHeader(text));
        const RegTree tree = RegTree::Parse(text);
        EXPECT_EQ(tree.ReadInteger(kPref, "Unit"), 2);
        EXPECT_EQ(tree.Serialize(), body + "\r\n");
    }
}

TEST(RegTreeTest, LinesNotUnderstoodSurviveEveryRewrite)
{
    const std::string kept[] = {
        "\"Path\"=hex(2):25,00,55,00,00,00",
        "\"Gone\"=-",
        "\"Single\"=\"C:\\Temp\"",
        "\"Long\"=hex(7):61,00,62,00,\\\r\n  63,00,00,00",
        "; a remark",
        "  odd line with blanks  ",
    };
    std::string text = std::string("REGEDIT4\r\n\r\n") + kPrefHeader + "\r\n\"Unit\"=dword:00000002\r\n";
    for (const std::string& line : kept)
        text += line + "\r\n";
    text += "\r\n[HKEY_CURRENT_USER\\Software\\Other]\r\n\"X\"=dword:00000001\r\n";

    RegTree tree = RegTree::Parse(text);
    tree.SetDword(kPref, "Unit", 3);
    tree.SetString(kPref, "Path", "mine");
    tree.SetDword("\\Software\\Other", "Y", 4);
    const std::string written = tree.Serialize();
    std::string section = std::string(kPrefHeader) + "\r\n\"Unit\"=dword:00000003\r\n";
    for (const std::string& line : kept)
        section += line + "\r\n";
    section += "\"Path\"=\"mine\"\r\n\r\n";
    EXPECT_NE(written.find(section), std::string::npos) << written;
    const RegTree again = RegTree::Parse(written);
    EXPECT_EQ(again.ReadString(kPref, "Path"), "mine");
    EXPECT_EQ(again.Find(kPref, "Gone"), nullptr);
    EXPECT_EQ(again.Find(kPref, "Single"), nullptr);
    EXPECT_EQ(again.ReadInteger("\\Software\\Other", "Y"), 4);
    EXPECT_EQ(again.Serialize(), written);

    // Deleting the key takes its lines with it.
    tree.DeleteKey("\\Software\\KORVAL");
    EXPECT_EQ(tree.Serialize().find("Path"), std::string::npos);
}

TEST(RegTreeTest, TextWithoutTheHeaderReadsEmpty)
{
    const std::string cases[] = {
        "",
        "REGEDIT",
        "REGEDIT5\r\n",
        std::string("Windows Registry Editor Version 5.00\r\n\r\n") + kPrefHeader + "\r\n\"Unit\"=dword:00000001\r\n",
        std::string(kPrefHeader) + "\r\n\"Unit\"=dword:00000001\r\n",
        std::string("\0REGEDIT4\r\n", 11),
        "\xff\xfe" "R\0E\0G\0",
    };
    for (const std::string& text : cases) {
        SCOPED_TRACE(testing::PrintToString(text));
        EXPECT_FALSE(RegTree::HasHeader(text));
        const RegTree tree = RegTree::Parse(text);
        EXPECT_FALSE(tree.KeyExists("\\Software"));
        EXPECT_EQ(tree.Serialize(), "REGEDIT4\r\n\r\n");
    }
}

TEST(RegTreeTest, DamagedLinesAreSkippedAndTheRestKept)
{
    const struct {
        const char* label;
        std::string damage;
    } cases[] = {
        {"truncated line", "\"Bad\"=dwo"},
        {"truncated name", "\"Bad"},
        {"no equals sign", "\"Bad\" dword:00000001"},
        {"empty dword", "\"Bad\"=dword:"},
        {"overlong dword", "\"Bad\"=dword:000000001"},
        {"dword not hex", "\"Bad\"=dword:0000000g"},
        {"bad hex", "\"Bad\"=hex:01,zz,03"},
        {"hex item too long", "\"Bad\"=hex:01,002"},
        {"hex trailing comma", "\"Bad\"=hex:01,"},
        {"hex continued by nothing", "\"Bad\"=hex:01,02,\\"},
        {"hex continued after a blank line", "\"Bad\"=hex:01,02,\\  \r\n\r\n  03"},
        {"unterminated quote", "\"Bad\"=\"abc"},
        {"unknown escape", "\"Bad\"=\"a\\q\""},
        {"text after the string", "\"Bad\"=\"a\" junk"},
        {"NUL in a line", std::string("\"Bad\"=\"a\0b\"", 10)},
        {"garbage bytes", "\xff\xfe\x80\x01 \"Bad\" \x7f"},
        {"unknown type", "\"Bad\"=qword:1"},
        {"deletion of a value", "\"Bad\"=-"},
        {"damaged section header",
         "[HKEY_CURRENT_USER\\Software\\X\r\n\"Bad\"=dword:00000002\r\n" + std::string(kPrefHeader)},
        {"empty section header", "[]\r\n\"Bad\"=dword:00000002\r\n" + std::string(kPrefHeader)},
        {"deletion behind a backslash",
         "[\\-HKEY_CURRENT_USER\\X]\r\n\"Bad\"=dword:00000002\r\n" + std::string(kPrefHeader)},
        {"control character in a key",
         "[HKEY_CURRENT_USER\\So\x01]\r\n\"Bad\"=dword:00000002\r\n" + std::string(kPrefHeader)},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.label);
        const std::string text = std::string("REGEDIT4\r\n\r\n") + kPrefHeader
            + "\r\n\"Good\"=dword:00000001\r\n" + c.damage + "\r\n\"After\"=\"x\"\r\n";
        const RegTree tree = RegTree::Parse(text);
        EXPECT_EQ(tree.ReadInteger(kPref, "Good"), 1);
        EXPECT_EQ(tree.ReadString(kPref, "After"), "x");
        EXPECT_EQ(tree.Find(kPref, "Bad"), nullptr);
        EXPECT_FALSE(tree.KeyExists("\\Software\\X"));
        ExpectSoundOutput(text);
    }
}

// A small stand-in for the fuzzer: random mixes of the format's pieces and
// stray bytes must neither crash nor give output that reads back differently.
TEST(RegTreeTest, RandomTextNeverBreaksTheParser)
{
    const std::string_view pieces[] = {
        "REGEDIT4\r\n", "\r\n", "\n", "\r", "[", "]", "[-", "HKEY_CURRENT_USER", "HKEY_LOCAL_MACHINE",
        "\\", "\\\\", "\"", "\\\"", "=", "@", "dword:", "hex:", "hex(2):", "ffffffff", "0", "01,", ",",
        ",\\\r\n  ", "  ", "Pref", "ペ", std::string_view("\0", 1), "\xff", ";", "-", "\t",
    };
    std::mt19937 random(20240611);
    std::uniform_int_distribution<size_t> pick(0, std::size(pieces) - 1);
    std::uniform_int_distribution<int> length(0, 60);
    for (int round = 0; round < 3000; ++round) {
        std::string text = "REGEDIT4\r\n";
        for (int n = length(random); n > 0; --n)
            text += pieces[pick(random)];
        SCOPED_TRACE(testing::PrintToString(text));
        ExpectSoundOutput(text);
        if (HasFailure())
            return;
    }
}

TEST(RegTreeTest, CreatedKeysExistWithTheirParents)
{
    RegTree tree;
    EXPECT_TRUE(tree.KeyExists("\\"));
    EXPECT_FALSE(tree.KeyExists("\\Software"));
    tree.CreateKey("\\Software\\KORVAL\\Pelorin\\ExitState");
    for (const char* key : {"\\Software", "\\Software\\KORVAL", "\\Software\\KORVAL\\Pelorin",
                            "\\Software\\KORVAL\\Pelorin\\ExitState", "Software\\KORVAL\\",
                            "\\SOFTWARE\\korval\\\\pelorin"}) {
        SCOPED_TRACE(key);
        EXPECT_TRUE(tree.KeyExists(key));
        EXPECT_TRUE(Reparse(tree).KeyExists(key));
    }
    EXPECT_FALSE(tree.KeyExists("\\Software\\KORVAL\\Pelorin\\Pref"));
    EXPECT_FALSE(tree.KeyExists("\\Software\\KORV"));
}

TEST(RegTreeTest, DeletingAKeyTakesItsSubKeysOnly)
{
    RegTree tree;
    tree.SetDword("\\Software\\KORVAL\\Pelorin", "Top", 1);
    tree.SetDword(kPref, "Unit", 1);
    tree.SetDword("\\Software\\KORVAL\\Pelorin\\Pref\\Deeper", "X", 1);
    tree.SetDword("\\Software\\KORVAL\\Pelorin\\System", "HWND", 1);
    tree.SetDword("\\Software\\KORVAL\\PelorinX", "Sibling", 2);
    tree.SetDword("\\Software\\KORVAL\\Other", "Sibling", 3);

    tree.DeleteKey("\\software\\korval\\PELORIN");
    const RegTree back = Reparse(tree);
    for (const RegTree* t : {static_cast<const RegTree*>(&tree), &back}) {
        EXPECT_FALSE(t->KeyExists("\\Software\\KORVAL\\Pelorin"));
        EXPECT_FALSE(t->KeyExists(kPref));
        EXPECT_FALSE(t->KeyExists("\\Software\\KORVAL\\Pelorin\\System"));
        EXPECT_EQ(t->Find(kPref, "Unit"), nullptr);
        EXPECT_TRUE(t->KeyExists("\\Software\\KORVAL"));
        EXPECT_EQ(t->ReadInteger("\\Software\\KORVAL\\PelorinX", "Sibling"), 2);
        EXPECT_EQ(t->ReadInteger("\\Software\\KORVAL\\Other", "Sibling"), 3);
    }
}

TEST(RegTreeTest, DeletingTheOnlyWrittenKeyKeepsItsParent)
{
    // A file may name only the deepest key; its parent exists through it and
    // must outlive its deletion.
    RegTree tree = RegTree::Parse(std::string("REGEDIT4\r\n\r\n") + kPrefHeader + "\r\n\"Unit\"=dword:1\r\n");
    ASSERT_TRUE(tree.KeyExists("\\Software\\KORVAL"));
    tree.DeleteKey("\\Software\\KORVAL\\Pelorin");
    EXPECT_TRUE(tree.KeyExists("\\Software\\KORVAL"));
    EXPECT_TRUE(Reparse(tree).KeyExists("\\Software\\KORVAL"));
    EXPECT_FALSE(tree.KeyExists("\\Software\\KORVAL\\Pelorin"));

    tree.DeleteKey("\\Software\\Missing");
    tree.DeleteKey("\\");
    EXPECT_TRUE(tree.KeyExists("\\Software\\KORVAL"));
}

TEST(RegTreeTest, NamesIgnoreLetterCase)
{
    RegTree tree;
    tree.SetDword("\\software\\korval", "unit", 1);
    tree.SetDword("\\SOFTWARE\\KORVAL", "UNIT", 2);
    tree.SetString("\\Software\\Korval", "Unit", "now text");
    EXPECT_EQ(tree.ReadString("\\SoftWare\\KORVAL", "uNiT"), "now text");
    // One key and one value, under the spelling first used.
    EXPECT_EQ(tree.Serialize(),
              "REGEDIT4\r\n\r\n"
              "[HKEY_CURRENT_USER\\software]\r\n\r\n"
              "[HKEY_CURRENT_USER\\software\\korval]\r\n\"unit\"=\"now text\"\r\n\r\n");
}

TEST(RegTreeTest, OtherRootsAreKept)
{
    const std::string text = std::string("REGEDIT4\r\n\r\n")
        + "[HKEY_LOCAL_MACHINE\\Software\\Netscape]\r\n\"Path\"=\"C:\\\\nn\"\r\n\r\n"
        + kPrefHeader + "\r\n\"Unit\"=dword:00000001\r\n\r\n"
        + "[HKEY_DYN_DATA\\PerfStats]\r\n\"Data\"=hex:01,02\r\n\r\n";
    RegTree tree = RegTree::Parse(text);
    EXPECT_FALSE(tree.KeyExists("\\Software\\Netscape"));
    tree.SetDword(kPref, "Unit", 2);
    tree.DeleteKey("\\Software");
    const std::string out = tree.Serialize();
    EXPECT_NE(out.find("[HKEY_LOCAL_MACHINE\\Software\\Netscape]\r\n\"Path\"=\"C:\\\\nn\"\r\n"), std::string::npos);
    EXPECT_NE(out.find("[HKEY_DYN_DATA\\PerfStats]\r\n\"Data\"=hex:01,02\r\n"), std::string::npos);
    EXPECT_EQ(out.find("HKEY_CURRENT_USER"), std::string::npos);
}

TEST(RegTreeTest, ValuesRightUnderTheRoot)
{
    RegTree tree;
    tree.SetDword("\\", "AtRoot", 5);
    EXPECT_EQ(Reparse(tree).ReadInteger("", "AtRoot"), 5);
    EXPECT_NE(tree.Serialize().find("[HKEY_CURRENT_USER]\r\n"), std::string::npos);
}

}  // namespace
