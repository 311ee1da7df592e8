// TxtFile's charset methods and encoding detection, called the way a client
// calls them: through the interface by slot or by name, with automation
// strings. Conversion goes through the platform's stream component.

#include <gtest/gtest.h>

#include <filesystem>
#include <string>

#include "Morcel_TLVX.h"
#include "tests/support/automation_values.h"
#include "tests/support/dispatch_call.h"
#include "tests/support/object_ref.h"
#include "tests/support/temp_dir.h"

using namespace tlvx::test;
using namespace std::string_literals;

namespace {

namespace fs = std::filesystem;

class TxtFileCharsets : public ::testing::Test {
protected:
    void SetUp() override { ASSERT_EQ(txt.create(CLSID_TxtFile, IID__TxtFile), S_OK); }

    void writeText(std::u16string_view file, std::u16string_view content,
                   std::u16string_view charset) {
        EXPECT_EQ(txt->WriteByCharset(Bstr(file).get(), Bstr(content).get(), Bstr(charset).get()),
                  S_OK);
    }
    std::u16string readText(std::u16string_view file, std::u16string_view charset) {
        Bstr result;
        EXPECT_EQ(txt->ReadByCharset(Bstr(file).get(), Bstr(charset).get(), result.out()), S_OK);
        EXPECT_NE(result.get(), nullptr);
        return result.text();
    }
    std::u16string encoding(std::u16string_view file) {
        Bstr result;
        EXPECT_EQ(txt->GetEncoding(Bstr(file).get(), result.out()), S_OK);
        return result.text();
    }
    std::u16string autoRead(std::u16string_view file) {
        Bstr result;
        EXPECT_EQ(txt->AutoRead(Bstr(file).get(), result.out()), S_OK);
        EXPECT_NE(result.get(), nullptr);
        return result.text();
    }
    std::string bytes(const char* name) const { return TempDir::read(dir_ / name); }
    std::size_t entries() const {
        return static_cast<std::size_t>(
            std::distance(fs::directory_iterator(dir_.path()), fs::directory_iterator()));
    }

    TempDir dir_;
    CurrentDirGuard cwd_{dir_.path()};
    // Last, so that the object goes before the folders and settings it used.
    ObjectRef<_TxtFile> txt;
};

TEST_F(TxtFileCharsets, WriteThenReadReturnsTheTextForEveryCharset) {
    const std::u16string ascii = u"Line one\r\nline\0two"s;
    const std::pair<const char16_t*, std::u16string> cases[] = {
        {u"utf-8", ascii + u"\u00e9\u4e2d\U0001F600"},
        {u"unicode", ascii + u"\u4e2d\U0001F600"},
        {u"unicodeFFFE", ascii + u"\u4e2d"},
        {u"windows-1252", ascii + u"\u00e9\u20ac"},
        {u"iso-8859-1", ascii + u"\u00ff"},
        {u"us-ascii", ascii},
        {u"gb2312", ascii + u"\u4e2d\u6587"},
        {u"big5", ascii + u"\u4e2d\u6587"},
        {u"shift_jis", ascii + u"\u65e5\u672c"},
        {u"koi8-r", ascii + u"\u0416"},
        {u"Auto", ascii + u"\u4e2d"},
    };
    for (const auto& [charset, text] : cases) {
        SCOPED_TRACE(testing::PrintToString(std::u16string(charset)));
        writeText(u"f.txt", text, charset);
        EXPECT_EQ(readText(u"f.txt", charset), text);
    }
    EXPECT_EQ(entries(), 1u);  // written in place, nothing beside it
}

TEST_F(TxtFileCharsets, MarksAsTheStreamWritesThemAndReadsWithOrWithout) {
    writeText(u"u8.txt", u"\u00e9", u"utf-8");
    EXPECT_EQ(bytes("u8.txt"), "\xEF\xBB\xBF\xC3\xA9");
    writeText(u"u16.txt", u"a", u"unicode");
    EXPECT_EQ(bytes("u16.txt"),
              "\xFF\xFE"
              "a\0"s);
    writeText(u"cp.txt", u"\u00e9", u"windows-1252");
    EXPECT_EQ(bytes("cp.txt"), "\xE9");
    dir_.write("plain.txt", "\xC3\xA9t\xC3\xA9");
    EXPECT_EQ(readText(u"plain.txt", u"utf-8"), u"\u00e9t\u00e9");
    EXPECT_EQ(readText(u"PLAIN.TXT", u"UTF-8"), u"\u00e9t\u00e9");
    // "Auto" reads UTF-16 in the order its mark gives.
    dir_.write("be.txt", "\xFE\xFF\0h\0i"s);
    EXPECT_EQ(readText(u"be.txt", u"Auto"), u"hi");
}

TEST_F(TxtFileCharsets, AFailedStepIsSkippedAndTheCallGoesOn) {
    // An unknown name: the stream keeps its own charset, "Unicode".
    writeText(u"f.txt", u"ab", u"no-such-charset");
    EXPECT_EQ(bytes("f.txt"),
              "\xFF\xFE"
              "a\0b\0"s);
    EXPECT_EQ(readText(u"f.txt", u"no-such-charset"), u"ab");
    // Overwriting, and writing where no folder is.
    writeText(u"f.txt", u"x", u"utf-8");
    EXPECT_EQ(bytes("f.txt"), "\xEF\xBB\xBFx");
    writeText(u"none\\f.txt", u"x", u"utf-8");
    EXPECT_FALSE(fs::exists(dir_ / "none"));
    EXPECT_EQ(readText(u"missing.txt", u"utf-8"), u"");
    fs::create_directory(dir_ / "folder");
    writeText(u"folder", u"x", u"utf-8");
    EXPECT_TRUE(fs::is_directory(dir_ / "folder"));
    EXPECT_EQ(readText(u"folder", u"utf-8"), u"");
}

TEST_F(TxtFileCharsets, GetEncodingJudgesMarksAndSequences) {
    const std::pair<std::string, std::u16string> cases[] = {
        {"\xFF\xFE"
         "a\0"s,
         u"Unicode"},
        {"\xFE\xFF\0a"s, u"UnicodeBigEndian"},
        {"\xEF\xBB\xBFx", u"UTF-8"},
        {"\xEF\xBB", u"UTF-8"},
        {"plain text", u"ANSI"},
        {"", u"ANSI"},
        {"abc\xC3\xA9"
         "def",
         u"UTF-8"},
        {"caf\xE9 au lait", u"ANSI"},
        {"a\x80"
         "bcdefg",
         u"ANSI"},
        {"\xC3\xA9t\xC3\xA9 \xE2\x82", u"UTF-8"},  // cut in the middle of a sequence
        {"caf\xE9", u"ANSI"},
    };
    for (const auto& [content, expected] : cases) {
        dir_.write("e.txt", content);
        EXPECT_EQ(encoding(u"e.txt"), expected) << testing::PrintToString(content);
    }
    EXPECT_EQ(encoding(u"missing.txt"), u"ANSI");
    EXPECT_FALSE(fs::exists(dir_ / "missing.txt"));
    // Blocks of the scan: a fault far behind the first megabytes still counts.
    dir_.write("big.txt", std::string(3 << 20, 'a') + "\xC3\xA9" + std::string(1 << 20, 'b'));
    EXPECT_EQ(encoding(u"big.txt"), u"UTF-8");
    dir_.write("big.txt",
               std::string(3 << 20, 'a') + "\xC3\xA9" + std::string(1 << 20, 'b') + "\xE9z");
    EXPECT_EQ(encoding(u"big.txt"), u"ANSI");
}

TEST_F(TxtFileCharsets, AutoReadDecodesByTheDetectedEncoding) {
    dir_.write("u8.txt", "caf\xC3\xA9\r\n");
    EXPECT_EQ(autoRead(u"u8.txt"), u"caf\u00e9\r\n");
    dir_.write("u8bom.txt", "\xEF\xBB\xBF\xE4\xB8\xAD");
    EXPECT_EQ(autoRead(u"u8bom.txt"), u"\u4e2d");
    dir_.write("le.txt",
               "\xFF\xFE"
               "h\0i\0"s);
    EXPECT_EQ(autoRead(u"le.txt"), u"hi");
    dir_.write("be.txt", "\xFE\xFF\0h\0i"s);
    EXPECT_EQ(autoRead(u"be.txt"), u"hi");
    dir_.write("latin.txt", "caf\xE9 \x80");
    EXPECT_EQ(autoRead(u"latin.txt"), u"caf\u00e9 \u20ac");
    dir_.write("nul.txt", "a\0b"s);
    EXPECT_EQ(autoRead(u"nul.txt"), u"a\0b"s);
    // A UTF-8 file cut in the middle of its last character.
    dir_.write("cut.txt", "\xC3\xA9t\xC3\xA9 \xE2\x82");
    EXPECT_EQ(autoRead(u"cut.txt"), u"\u00e9t\u00e9 \ufffd");
    EXPECT_EQ(autoRead(u"missing.txt"), u"");
    EXPECT_EQ(autoRead(u"e\u00e9.txt"), u"");
}

TEST_F(TxtFileCharsets, VeryLongTextsRoundTrip) {
    std::u16string text;
    for (int i = 0; i < 2'000'000; ++i)
        text += static_cast<char16_t>(i % 7 ? u'a' + i % 26 : 0x4e2d);
    writeText(u"long.txt", text, u"utf-8");
    EXPECT_EQ(readText(u"long.txt", u"utf-8"), text);
    EXPECT_EQ(autoRead(u"long.txt"), text);
}

TEST_F(TxtFileCharsets, ByNameTheCharsetDefaultsToUtf8) {
    IDispatch* byName = nullptr;
    ASSERT_EQ(txt->QueryInterface(IID_IDispatch, reinterpret_cast<void**>(&byName)), S_OK);
    EXPECT_EQ(callByName(byName, u"WriteByCharset", {str(u"d.txt"), str(u"\u00e9")}), S_OK);
    EXPECT_EQ(bytes("d.txt"), "\xEF\xBB\xBF\xC3\xA9");
    Var result;
    EXPECT_EQ(callByName(byName, u"readbycharset", {str(u"d.txt")}, &result.v), S_OK);
    EXPECT_EQ(result.v.vt, VT_BSTR);
    EXPECT_EQ(std::u16string(result.v.bstrVal, SysStringLen(result.v.bstrVal)), u"\u00e9");
    Var found;
    EXPECT_EQ(callByName(byName, u"GetEncoding", {str(u"d.txt")}, &found.v), S_OK);
    EXPECT_EQ(std::u16string(found.v.bstrVal), u"UTF-8");
    Var text;
    EXPECT_EQ(callByName(byName, u"AutoRead", {str(u"d.txt")}, &text.v), S_OK);
    EXPECT_EQ(std::u16string(text.v.bstrVal), u"\u00e9");
    byName->Release();
}

}  // namespace
