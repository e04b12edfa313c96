// SPDX-License-Identifier: GPL-3.0-or-later
#include "settings/IniFile.h"

#include <gtest/gtest.h>

#include <string>

using namespace pellavan;

TEST(IniFile, NamesCompareWithoutCaseAndTheFirstHeaderSpellingStays)
{
    IniFile f("[MAIN]\nProfile=3\n");
    EXPECT_EQ(f.ReadInteger("main", "PROFILE", 0), 3);
    f.WriteInteger("main", "profile", 5);
    f.WriteBool("Main", "TwoPass", true);
    EXPECT_EQ(f.Text(), "[MAIN]\nprofile=5\nTwoPass=1\n");
}

TEST(IniFile, KeysKeepTheirPlaceNewOnesGoToTheEndOfTheirSection)
{
    IniFile f("; comment\n[A]\nx=1\ngarbage line\ny=2\n\n[B]\nz=3\n");
    f.Write("a", "y", "20");
    f.Write("A", "new", "n");
    f.Write("C", "k", "v");
    f.Write("b", "z", "30");
    EXPECT_EQ(f.Text(), "; comment\n[A]\nx=1\ngarbage line\ny=20\nnew=n\n\n[B]\nz=30\n[C]\nk=v\n");
}

TEST(IniFile, DuplicatesAndOddLines)
{
    IniFile f("[s]\nk=first\nk=second\n[S]\nk=third\nother=9\n=empty key\n[broken\n  spaced key  =  spaced value  \n");
    EXPECT_EQ(f.Read("s", "k"), "first");
    EXPECT_FALSE(f.Read("s", "other")); // only the first section of a name counts
    EXPECT_FALSE(f.Read("s", ""));
    EXPECT_EQ(f.Read("s", "spaced key"), std::nullopt);
    EXPECT_EQ(f.Read("S", "nothing"), std::nullopt);
    f.Write("s", "k", "new");
    EXPECT_EQ(f.Text(),
              "[s]\nk=new\nk=second\n[S]\nk=third\nother=9\n=empty key\n[broken\n  spaced key  =  spaced value  \n");
    IniFile g("[x]\n  spaced key  =  spaced value  \n");
    EXPECT_EQ(g.Read("x", "SPACED KEY"), "spaced value");
}

TEST(IniFile, LineEndsAndMissingFinalNewline)
{
    IniFile crlf("[s]\r\na=1\r\nb=2");
    EXPECT_EQ(crlf.ReadInteger("s", "a", 0), 1);
    EXPECT_EQ(crlf.ReadInteger("s", "b", 0), 2);
    crlf.Write("s", "c", "3");
    crlf.Write("t", "d", "4");
    EXPECT_EQ(crlf.Text(), "[s]\r\na=1\r\nb=2\r\nc=3\r\n[t]\r\nd=4\r\n");

    IniFile bare("[s]\na=1");
    bare.Write("s", "a", "2");
    EXPECT_EQ(bare.Text(), "[s]\na=2"); // untouched shape
    bare.Write("u", "k", "v");
    EXPECT_EQ(bare.Text(), "[s]\na=2\n[u]\nk=v\n");

    IniFile empty;
    EXPECT_EQ(empty.Text(), "");
    empty.Write("s", "k", "line\nbreak\r");
    EXPECT_EQ(empty.Text(), "[s]\nk=linebreak\n");
}

// Files edited by hand or by other tools, read as the Windows profile
// functions read them; what is not rewritten is saved back as it was.
TEST(IniFile, QuotesLoneCarriageReturnsAndByteOrderMark)
{
    IniFile q("[Main]\nOutput=\"/home/me/My Videos/\"\nA='single'\nB=\"open\nC=\"mixed'\nD=\"\"\nE=\"\nF= \"spaced\" \n");
    EXPECT_EQ(q.Read("main", "output"), "/home/me/My Videos/");
    EXPECT_EQ(q.Read("main", "A"), "single");
    EXPECT_EQ(q.Read("main", "B"), "\"open");
    EXPECT_EQ(q.Read("main", "C"), "\"mixed'");
    EXPECT_EQ(q.Read("main", "D"), "");
    EXPECT_EQ(q.Read("main", "E"), "\"");
    EXPECT_EQ(q.Read("main", "F"), "spaced");
    EXPECT_EQ(IniFile("[s]\nk=\"7\"\n").ReadInteger("s", "k", 0), 7);

    IniFile cr("[Misc]\rOpen=0\rShut=1\r[Main]\rprofile=4");
    EXPECT_EQ(cr.ReadInteger("misc", "Open", 1), 0);
    EXPECT_EQ(cr.ReadInteger("misc", "Shut", 0), 1);
    EXPECT_EQ(cr.ReadInteger("main", "profile", 0), 4);
    cr.Write("Misc", "Shut", "0");
    cr.Write("Misc", "DisSaver", "1");   // new lines take the file's usual end
    EXPECT_EQ(cr.Text(), "[Misc]\rOpen=0\rShut=0\rDisSaver=1\r[Main]\rprofile=4");
    IniFile mixed("[Misc]\r\nOpen=0\rShut=1\r\n");
    EXPECT_EQ(mixed.ReadInteger("misc", "Open", 1), 0);
    EXPECT_EQ(mixed.ReadInteger("misc", "Shut", 0), 1);
    mixed.Write("Misc", "DisSaver", "0");
    EXPECT_EQ(mixed.Text(), "[Misc]\r\nOpen=0\rShut=1\r\nDisSaver=0\r\n");

    IniFile bom("\xEF\xBB\xBF[Main]\r\nprofile=2\r\n");
    EXPECT_EQ(bom.ReadInteger("main", "profile", 0), 2);
    bom.Write("main", "Single", "1");
    EXPECT_EQ(bom.Text(), "\xEF\xBB\xBF[Main]\r\nprofile=2\r\nSingle=1\r\n");
    EXPECT_EQ(IniFile("\xEF\xBB\xBF").Text(), "\xEF\xBB\xBF");
    EXPECT_FALSE(IniFile("x\xEF\xBB\xBF[Main]\nprofile=2\n").Read("main", "profile"));   // only at the start
}

TEST(IniFile, BinaryBytesAreKept)
{
    static const char bytes[] = "\x00\x01\xff[s]\x00\n\xfe\xfe=\x80\n[s]\nk=1\n";
    const std::string binary(bytes, sizeof bytes - 1);
    IniFile f(binary);
    EXPECT_EQ(f.ReadInteger("s", "k", 0), 1);
    f.Write("s", "k", "2");
    std::string expected = binary;
    expected.replace(expected.size() - 2, 1, "2");
    EXPECT_EQ(f.Text(), expected);
}

TEST(IniFile, TextsAreReadUpTo2047Bytes)
{
    const std::string longValue(3000, 'x');
    IniFile f("[s]\nk=" + longValue + "\n");
    EXPECT_EQ(f.Read("s", "k")->size(), 2047u);
    // Not in the middle of a UTF-8 character: 2046 bytes, then a 2-byte "é".
    IniFile u("[s]\nk=" + std::string(2046, 'a') + "\xc3\xa9" + "\n");
    EXPECT_EQ(u.Read("s", "k")->size(), 2046u);
    f.Write("s", "other", "1");
    EXPECT_NE(f.Text().find(longValue), std::string::npos); // the long line itself stays whole
}

TEST(IniFile, IntegersAreDecimalOrHexadecimal)
{
    const struct {
        const char *text;
        std::optional<int> value;
    } cases[] = {
        {"0", 0}, {"5", 5}, {"-12", -12}, {"+7", 7}, {" 42 ", 42}, {"0x1", 1}, {"0X1f", 31},
        {"0xFFFFFFFF", -1}, {"2147483647", 2147483647}, {"-2147483648", -2147483647 - 1},
        {"0x", std::nullopt}, {"abc", std::nullopt}, {"", std::nullopt}, {"12abc", std::nullopt},
        {"2147483648", std::nullopt}, {"0x100000000", std::nullopt}, {"-", std::nullopt},
        {"0xg", std::nullopt}, {"99999999999999999999", std::nullopt},
    };
    for (const auto &c : cases)
        EXPECT_EQ(ParseSettingsInteger(c.text), c.value) << c.text;

    IniFile f("[s]\nhex=0x1\nfive=5\nword=abc\nzero=0\n");
    EXPECT_TRUE(f.ReadBool("s", "hex", false));
    EXPECT_TRUE(f.ReadBool("s", "five", false));
    EXPECT_TRUE(f.ReadBool("s", "word", true));
    EXPECT_FALSE(f.ReadBool("s", "word", false));
    EXPECT_FALSE(f.ReadBool("s", "zero", true));
    EXPECT_EQ(f.ReadInteger("s", "missing", -3), -3);
}
