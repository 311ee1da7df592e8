#include "platform/files/profile_file.h"

#include <gtest/gtest.h>

#include <string>

#include "platform/text/ansi_codepage.h"
#include "tests/support/temp_dir.h"

using tlvx::platform::profile::readString;
using tlvx::platform::profile::writeString;
using tlvx::test::TempDir;

TEST(ProfileFile, FindsSectionsAndKeysWithoutRegardToCase) {
    TempDir dir;
    const auto file = dir.write("p.ini",
                                "[Info]\r\nName=\"Project1\"\r\n  Title  =  My App  \r\n"
                                "[Caf\xE9]\r\nK\xC9Y=1\r\n");
    EXPECT_EQ(readString(file, "info", "NAME"), "Project1");
    EXPECT_EQ(readString(file, "INFO", "title"), "My App");
    // Letters of the code page beyond ASCII count too.
    EXPECT_EQ(readString(file, "CAF\xC9", "k\xE9y"), "1");
}

TEST(ProfileFile, TrimsAndDropsOnePairOfMatchingQuotes) {
    TempDir dir;
    const auto file = dir.write("q.ini",
                                "[S]\n"
                                "double = \"a b\"\n"
                                "single='x'\n"
                                "inner=\" spaced \"\n"
                                "twice=\"\"x\"\"\n"
                                "mixed=\"x'\n"
                                "lone=\"\n"
                                "equals=a=b=c\n"
                                "tabs=\tv\t\n"
                                "empty=\n");
    EXPECT_EQ(readString(file, "S", "double"), "a b");
    EXPECT_EQ(readString(file, "S", "single"), "x");
    EXPECT_EQ(readString(file, "S", "inner"), " spaced ");
    EXPECT_EQ(readString(file, "S", "twice"), "\"x\"");
    EXPECT_EQ(readString(file, "S", "mixed"), "\"x'");
    EXPECT_EQ(readString(file, "S", "lone"), "\"");
    EXPECT_EQ(readString(file, "S", "equals"), "a=b=c");
    EXPECT_EQ(readString(file, "S", "tabs"), "v");
    EXPECT_EQ(readString(file, "S", "empty", "default"), "");
}

TEST(ProfileFile, FirstSectionAndFirstKeyWin) {
    TempDir dir;
    const auto file = dir.write(
        "f.ini", "[A]\r\nk=first\r\nK=second\r\n[B]\r\nk=b\r\n[a]\r\nk=third\r\nonly=later\r\n");
    EXPECT_EQ(readString(file, "a", "k"), "first");
    EXPECT_EQ(readString(file, "b", "k"), "b");
    EXPECT_EQ(readString(file, "A", "only", "none"), "none");
}

TEST(ProfileFile, EndsLinesAtCrLfCrOrLf) {
    TempDir dir;
    const auto file = dir.write("e.ini", "[S]\ra=1\nb=2\r\nc=3\r\r\nd=4");
    EXPECT_EQ(readString(file, "S", "a"), "1");
    EXPECT_EQ(readString(file, "S", "b"), "2");
    EXPECT_EQ(readString(file, "S", "c"), "3");
    EXPECT_EQ(readString(file, "S", "d"), "4");
}

TEST(ProfileFile, OnlyKeysInsideTheSectionCount) {
    TempDir dir;
    const auto file = dir.write("s.ini",
                                "Name=top\r\n"
                                "  [ Info ]  \r\n"
                                "Name\r\n"
                                "[Broken\r\n"
                                "Other=x\r\n");
    // Lines before any section belong to none; a line without '=' is no key.
    EXPECT_EQ(readString(file, "Info", "Name", "dflt"), "dflt");
    EXPECT_EQ(readString(file, "", "Name", "dflt"), "dflt");
    EXPECT_EQ(readString(file, "info", "other"), "x");
}

TEST(ProfileFile, MissingThingsGiveTheDefault) {
    TempDir dir;
    const auto file = dir.write("m.ini", "[S]\r\nk=v\r\n");
    EXPECT_EQ(readString(dir / "missing.ini", "S", "k", "d"), "d");
    EXPECT_EQ(readString(dir.path(), "S", "k", "d"), "d");
    EXPECT_EQ(readString(file, "T", "k", "d"), "d");
    EXPECT_EQ(readString(file, "S", "x", "d"), "d");
    EXPECT_EQ(readString(file, "S", "x"), "");
}

TEST(ProfileFile, CutsVeryLongValues) {
    TempDir dir;
    const std::string value(70000, 'v');
    const auto file = dir.write("l.ini", "[S]\r\nk=" + value + "\r\n");
    EXPECT_EQ(readString(file, "S", "k"), std::string(65534, 'v'));
}

TEST(ProfileFile, ReadsFilesWithAByteOrderMarkInTheCodePage) {
    TempDir dir;
    const auto utf8 = dir.write("u8.ini", "\xEF\xBB\xBF[S]\r\nk=caf\xC3\xA9\r\n");
    EXPECT_EQ(readString(utf8, "S", "k"), "caf\xE9");
    const std::string utf16("\xFF\xFE[\0S\0]\0\r\0\n\0k\0=\0\xE9\0", 18);
    EXPECT_EQ(readString(dir.write("u16.ini", utf16), "s", "K"), "\xE9");
}

TEST(ProfileFileWrite, CreatesTheFileSectionAndKey) {
    TempDir dir;
    const auto file = dir / "new.ini";
    ASSERT_TRUE(writeString(file, "Info", "Name", "Project1"));
    EXPECT_EQ(TempDir::read(file), "[Info]\r\nName=Project1\r\n");
    ASSERT_TRUE(writeString(file, "Other", "k", " spaced "));
    EXPECT_EQ(TempDir::read(file), "[Info]\r\nName=Project1\r\n[Other]\r\nk= spaced \r\n");
    EXPECT_EQ(readString(file, "other", "K"), "spaced");
}

TEST(ProfileFileWrite, ReplacesTheFirstMatchingValueAndKeepsEverythingElse) {
    TempDir dir;
    const auto file = dir.write("e.ini", "; note\n[A]\nNAME = old\nname=second\n[a]\nname=x\n");
    ASSERT_TRUE(writeString(file, "a", "name", "new"));
    EXPECT_EQ(TempDir::read(file), "; note\n[A]\nNAME=new\nname=second\n[a]\nname=x\n");
}

TEST(ProfileFileWrite, AddsAKeyAfterTheSectionsLastLine) {
    TempDir dir;
    const auto spaced = dir.write("s.ini", "[A]\r\na=1\r\n\r\n[B]\r\nb=2\r\n");
    ASSERT_TRUE(writeString(spaced, "A", "c", "3"));
    EXPECT_EQ(TempDir::read(spaced), "[A]\r\na=1\r\nc=3\r\n\r\n[B]\r\nb=2\r\n");

    const auto unended = dir.write("u.ini", "[A]\r\na=1");
    ASSERT_TRUE(writeString(unended, "A", "c", "3"));
    EXPECT_EQ(TempDir::read(unended), "[A]\r\na=1\r\nc=3\r\n");

    const auto noSection = dir.write("n.ini", "top=1");
    ASSERT_TRUE(writeString(noSection, "S", "top", "2"));
    EXPECT_EQ(TempDir::read(noSection), "top=1\r\n[S]\r\ntop=2\r\n");
}

TEST(ProfileFileWrite, NullValueRemovesTheKeyAndNullKeyTheSection) {
    TempDir dir;
    const auto file = dir.write("r.ini", "[A]\r\na=1\r\nb=2\r\n[B]\r\nc=3\r\n[A]\r\nd=4\r\n");
    ASSERT_TRUE(writeString(file, "a", "B", std::nullopt));
    EXPECT_EQ(TempDir::read(file), "[A]\r\na=1\r\n[B]\r\nc=3\r\n[A]\r\nd=4\r\n");
    ASSERT_TRUE(writeString(file, "A", std::nullopt, std::nullopt));
    EXPECT_EQ(TempDir::read(file), "[B]\r\nc=3\r\n[A]\r\nd=4\r\n");
    // Removing what is not there changes nothing and creates nothing.
    ASSERT_TRUE(writeString(file, "Z", std::nullopt, std::nullopt));
    EXPECT_EQ(TempDir::read(file), "[B]\r\nc=3\r\n[A]\r\nd=4\r\n");
    ASSERT_TRUE(writeString(dir / "none.ini", "A", "k", std::nullopt));
    EXPECT_FALSE(std::filesystem::exists(dir / "none.ini"));
}

TEST(ProfileFileWrite, RefusesTextThatWouldWriteLinesOfItsOwn) {
    TempDir dir;
    const auto file = dir.write("x.ini", "[A]\r\nk=v\r\n");
    EXPECT_FALSE(writeString(file, "A", "k", "v\r\n[Injected]"));
    EXPECT_FALSE(writeString(file, "A\n", "k", "v"));
    EXPECT_FALSE(writeString(file, "A", "k=j", "v"));
    EXPECT_FALSE(writeString(file, "A", "k", std::string_view("a\0b", 3)));
    EXPECT_EQ(TempDir::read(file), "[A]\r\nk=v\r\n");
    // A folder in the file's place cannot be read and is left alone.
    std::filesystem::create_directory(dir / "folder.ini");
    EXPECT_FALSE(writeString(dir / "folder.ini", "A", "k", "v"));
}

TEST(ProfileFileWrite, KeepsTheFilesEncoding) {
    TempDir dir;
    const auto utf8 = dir.write("u8.ini", "\xEF\xBB\xBF[S]\r\nk=old\r\n");
    ASSERT_TRUE(writeString(utf8, "S", "k", "caf\xE9"));
    EXPECT_EQ(TempDir::read(utf8), "\xEF\xBB\xBF[S]\r\nk=caf\xC3\xA9\r\n");
    // Text the code page cannot hold would be lost by a rewrite.
    const auto wide = dir.write("w.ini", "\xEF\xBB\xBF[S]\r\nk=\xE2\x98\x83\r\n");
    EXPECT_FALSE(writeString(wide, "S", "j", "1"));
    EXPECT_EQ(TempDir::read(wide), "\xEF\xBB\xBF[S]\r\nk=\xE2\x98\x83\r\n");
}

// In a double-byte code page a name's second bytes may be ']' or letters:
// they neither end a section name nor fold to another character.
TEST(ProfileFile, DoubleByteNamesAreReadAsCharacters) {
    TempDir dir;
    struct Restore {
        ~Restore() { tlvx::platform::ansi::useCodePage(1252); }
    } restore;
    const struct {
        int codePage;
        std::string section;  // holds a second byte ']' or in A-Z
        std::string key;
        std::string otherCase;  // the key with a byte-wise case change
    } cases[] = {
        {932, "\x83\x5D\x8C\x76", "\x8E\x5A", "\x8E\x7A"},  // [ゾ計], 算 and 斯
        {950, "\xA4\x5D", "\xA4\x41", "\xA4\x61"},          // [也], 乙 and 兀
        {936, "\x81\x5D", "\x81\x47x", "\x81\x67X"},        // [乚], 丟x and 乬X
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.codePage);
        ASSERT_TRUE(tlvx::platform::ansi::useCodePage(c.codePage));
        const auto file = dir.write("d" + std::to_string(c.codePage) + ".ini",
                                    "[" + c.section + "]\r\n" + c.key + "=found\r\n");
        EXPECT_EQ(readString(file, c.section, c.key), "found");
        EXPECT_EQ(readString(file, c.section, c.otherCase, "none"), "none");
        EXPECT_TRUE(writeString(file, c.section, c.otherCase, std::string("other")));
        EXPECT_EQ(readString(file, c.section, c.key), "found");
        EXPECT_EQ(readString(file, c.section, c.otherCase), "other");
    }
}
