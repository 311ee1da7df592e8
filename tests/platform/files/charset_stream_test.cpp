#include "platform/files/charset_stream.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <string>

#include "tests/support/temp_dir.h"

namespace tlvx::platform {
namespace {

using namespace std::string_literals;
using Status = CharsetStream::Status;

std::string bytesOf(CharsetStream& stream) {
    std::string bytes;
    EXPECT_EQ(stream.setPosition(0), Status::Done);
    EXPECT_EQ(stream.setType(CharsetStream::Binary), Status::Done);
    EXPECT_EQ(stream.read(CharsetStream::kReadAll, bytes), Status::Done);
    return bytes;
}

// The bytes a fresh stream holds after writing `text` in `charset`.
std::string written(std::u16string_view charset, std::u16string_view text) {
    CharsetStream stream;
    EXPECT_EQ(stream.open(), Status::Done);
    EXPECT_EQ(stream.setCharset(charset), Status::Done);
    EXPECT_EQ(stream.writeText(text), Status::Done);
    return bytesOf(stream);
}

std::u16string readBack(std::u16string_view charset, const std::string& bytes) {
    CharsetStream stream;
    stream.setType(CharsetStream::Binary);
    stream.open();
    stream.write(bytes);
    stream.setPosition(0);
    stream.setType(CharsetStream::Text);
    EXPECT_EQ(stream.setCharset(charset), Status::Done);
    std::u16string text;
    EXPECT_EQ(stream.readText(text), Status::Done);
    return text;
}

TEST(CharsetStream, MarksAheadOfTextAndNoneForCodePages) {
    EXPECT_EQ(written(u"utf-8", u"\u00e9"), "\xEF\xBB\xBF\xC3\xA9");
    EXPECT_EQ(written(u"UTF-8", u""), "\xEF\xBB\xBF");
    EXPECT_EQ(written(u"unicode", u"ab"),
              "\xFF\xFE"
              "a\0b\0"s);
    EXPECT_EQ(written(u"unicodeFFFE", u"ab"), "\xFE\xFF\0a\0b"s);
    EXPECT_EQ(written(u"Auto", u"a"),
              "\xFF\xFE"
              "a\0"s);
    EXPECT_EQ(written(u"windows-1252", u"\u20ac"), "\x80");
    EXPECT_EQ(written(u"iso-8859-1", u"\u00e9"), "\xE9");
    EXPECT_EQ(written(u"us-ascii", u"a\u00e9"), "a?");
    EXPECT_EQ(written(u"koi8-r", u"\u0416"), "\xF6");
    EXPECT_EQ(written(u"shift_jis", u"\u3042"), "\x82\xA0");

    // A second text follows the first without another mark.
    CharsetStream stream;
    stream.open();
    stream.setCharset(u"utf-8");
    stream.writeText(u"a");
    stream.writeText(u"b", true);
    EXPECT_EQ(bytesOf(stream),
              "\xEF\xBB\xBF"
              "ab\r\n");
}

TEST(CharsetStream, ReadingSkipsTheMarkOnlyWhereItIs) {
    EXPECT_EQ(readBack(u"utf-8", "\xEF\xBB\xBF\xC3\xA9"), u"\u00e9");
    EXPECT_EQ(readBack(u"utf-8", "\xC3\xA9"), u"\u00e9");
    EXPECT_EQ(readBack(u"unicode",
                       "\xFF\xFE"
                       "a\0"s),
              u"a");
    EXPECT_EQ(readBack(u"unicode", "a\0"s), u"a");
    // "Auto" goes by the mark, and reads text without one as ANSI.
    EXPECT_EQ(readBack(u"Auto", "\xFE\xFF\0a\0b"s), u"ab");
    EXPECT_EQ(readBack(u"Auto",
                       "\xFF\xFE"
                       "a\0b\0"s),
              u"ab");
    EXPECT_EQ(readBack(u"auto", "\xEF\xBB\xBF\xC3\xA9"), u"\u00e9");
    EXPECT_EQ(readBack(u"Auto", "caf\xE9"), u"caf\u00e9");
    // A mark of another charset is text.
    EXPECT_EQ(readBack(u"windows-1252", "\xEF\xBB\xBF"), u"\u00ef\u00bb\u00bf");
    // Bytes the charset cannot read become U+FFFD; half a UTF-16 unit too.
    EXPECT_EQ(readBack(u"utf-8",
                       "a\xFF"
                       "b"),
              u"a\ufffdb");
    EXPECT_EQ(readBack(u"shift_jis", "a\x82"), u"a\ufffd");
    EXPECT_EQ(readBack(u"unicode", "a\0b"s), u"a\ufffd");
}

TEST(CharsetStream, EveryListedCharsetRoundTripsItsOwnCharacters) {
    struct Case {
        const char16_t* name;
        std::u16string text;
    };
    const std::u16string ascii = u"Plain text 123 ~!"s + u'\0' + u"\r\nend";
    const Case cases[] = {
        {u"utf-8", ascii + u"\u00e9\u4e2d\U0001F600"},
        {u"unicode", ascii + u"\u00e9\u4e2d\U0001F600\xD800"},  // a lone surrogate too
        {u"unicodeFFFE", ascii + u"\u00e9\u4e2d\U0001F600"},
        {u"utf-16", ascii + u"\u4e2d"},
        {u"utf-32", ascii + u"\U0001F600"},
        {u"windows-1252", ascii + u"\u00e9\u20ac\u0081"},
        {u"iso-8859-1", ascii + u"\u00e9\u00ff"},
        {u"us-ascii", ascii},
        {u"gb2312", ascii + u"\u4e2d\u6587"},
        {u"big5", ascii + u"\u4e2d\u6587"},
        {u"shift_jis", ascii + u"\u65e5\u672c\u3042"},
        {u"euc-jp", ascii + u"\u65e5\u672c"},
        {u"ks_c_5601-1987", ascii + u"\ud55c"},
        {u"koi8-r", ascii + u"\u0416\u0436"},
        {u"windows-1251", ascii + u"\u0416"},
        {u"iso-8859-2", ascii + u"\u0141"},
        {u"utf-7", ascii + u"\u00e9"},
        {u"Auto", ascii + u"\u4e2d"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(std::string(c.name, c.name + std::char_traits<char16_t>::length(c.name)));
        EXPECT_EQ(readBack(c.name, written(c.name, c.text)), c.text);
    }
}

TEST(CharsetStream, NamesAreCaseBlindAndUnknownOnesRefused) {
    CharsetStream stream;
    EXPECT_EQ(stream.charsetName(), u"Unicode");
    EXPECT_EQ(stream.setCharset(u"no-such-charset"), Status::BadArgument);
    EXPECT_EQ(stream.setCharset(u""), Status::BadArgument);
    EXPECT_EQ(stream.setCharset(u"UTF-8//TRANSLIT"), Status::BadArgument);
    EXPECT_EQ(stream.setCharset(u"utf-8\u00e9"), Status::BadArgument);
    EXPECT_EQ(stream.charsetName(), u"Unicode");  // the refused name changed nothing
    EXPECT_EQ(stream.setCharset(u"Shift_JIS"), Status::Done);
    EXPECT_EQ(stream.charsetName(), u"Shift_JIS");
    EXPECT_EQ(written(u"ISO-8859-1", u"\u00e9"), written(u"iso-8859-1", u"\u00e9"));
}

TEST(CharsetStream, TypeCharsetAndPositionFollowTheStreamRules) {
    CharsetStream stream;
    std::u16string text;
    std::string bytes;
    EXPECT_EQ(stream.writeText(u"a"), Status::Closed);
    EXPECT_EQ(stream.readText(text), Status::Closed);
    EXPECT_EQ(stream.setPosition(0), Status::Closed);
    EXPECT_EQ(stream.setMode(3), Status::Done);
    ASSERT_EQ(stream.open(), Status::Done);
    EXPECT_EQ(stream.open(), Status::Open);
    EXPECT_EQ(stream.setMode(3), Status::Open);
    EXPECT_EQ(stream.write("x"), Status::WrongType);
    EXPECT_EQ(stream.writeText(u"ab"), Status::Done);
    EXPECT_EQ(stream.setType(CharsetStream::Binary), Status::NotAtStart);
    EXPECT_EQ(stream.setCharset(u"utf-8"), Status::NotAtStart);
    EXPECT_EQ(stream.setPosition(7), Status::BadArgument);
    EXPECT_EQ(stream.setType(3), Status::BadArgument);
    int64_t position = -1;
    stream.position(position);
    EXPECT_EQ(position, 6);
    // Writing at a position overwrites what lies there.
    ASSERT_EQ(stream.setPosition(0), Status::Done);
    ASSERT_EQ(stream.setType(CharsetStream::Binary), Status::Done);
    EXPECT_EQ(stream.read(2, bytes), Status::Done);
    EXPECT_EQ(bytes, "\xFF\xFE");
    EXPECT_EQ(stream.write("A"), Status::Done);
    EXPECT_EQ(stream.read(100, bytes), Status::Done);
    EXPECT_EQ(bytes, "\0b\0"s);
    EXPECT_EQ(stream.read(CharsetStream::kReadAll, bytes), Status::Done);
    EXPECT_EQ(bytes, "");
    bool atEnd = false;
    stream.atEnd(atEnd);
    EXPECT_TRUE(atEnd);
    EXPECT_EQ(stream.read(-2, bytes), Status::BadArgument);
    stream.setPosition(0);
    stream.setType(CharsetStream::Text);
    EXPECT_EQ(stream.readText(text), Status::Done);
    EXPECT_EQ(text, u"Ab");
    EXPECT_EQ(stream.close(), Status::Done);
    EXPECT_EQ(stream.close(), Status::Closed);
    // Opening again starts empty.
    stream.open();
    int64_t size = -1;
    stream.size(size);
    EXPECT_EQ(size, 0);
}

TEST(CharsetStream, VeryLongTextsWithNulsRoundTrip) {
    std::u16string text;
    for (int i = 0; i < 300000; ++i)
        text += static_cast<char16_t>(i % 3 == 0 ? 0 : 0x4e00 + i % 500);
    EXPECT_EQ(readBack(u"utf-8", written(u"utf-8", text)), text);
    EXPECT_EQ(readBack(u"gb2312", written(u"gb2312", text)), text);
}

class CharsetStreamFiles : public ::testing::Test {
protected:
    test::TempDir dir_;
    test::CurrentDirGuard cwd_{dir_.path()};
};

TEST_F(CharsetStreamFiles, SaveCreatesOrOverwritesAsAskedAndLoadReplacesTheContent) {
    CharsetStream stream;
    stream.open();
    stream.setCharset(u"utf-8");
    stream.writeText(u"\u00e9");
    EXPECT_EQ(stream.saveToFile(u"Sub\\out.txt", 2), Status::FileNotWritten);  // no folder Sub
    EXPECT_EQ(stream.saveToFile(u"out.txt", 1), Status::Done);
    EXPECT_EQ(test::TempDir::read(dir_ / "out.txt"), "\xEF\xBB\xBF\xC3\xA9");
    dir_.write("old.txt", "old");
    EXPECT_EQ(stream.saveToFile(u"OLD.TXT", 1), Status::FileExists);
    EXPECT_EQ(test::TempDir::read(dir_ / "old.txt"), "old");
    EXPECT_EQ(stream.saveToFile(u"OLD.TXT", 2), Status::Done);  // the existing file, any case
    EXPECT_EQ(test::TempDir::read(dir_ / "old.txt"), "\xEF\xBB\xBF\xC3\xA9");
    EXPECT_EQ(stream.saveToFile(u"x.txt", 3), Status::BadArgument);
    std::filesystem::create_directory(dir_ / "folder");
    EXPECT_EQ(stream.saveToFile(u"folder", 2), Status::FileNotWritten);
    // Nothing left beside the files.
    int entries = 0;
    for ([[maybe_unused]] const auto& e : std::filesystem::directory_iterator(dir_.path())) {
        ++entries;
    }
    EXPECT_EQ(entries, 3);

    dir_.write("in.txt",
               "\xFF\xFE"
               "z\0"s);
    stream.setPosition(0);
    stream.setCharset(u"unicode");
    EXPECT_EQ(stream.loadFromFile(u"IN.txt"), Status::Done);
    std::u16string text;
    stream.readText(text);
    EXPECT_EQ(text, u"z");
    EXPECT_EQ(stream.loadFromFile(u"missing.txt"), Status::FileNotOpened);
    EXPECT_EQ(stream.loadFromFile(u"folder"), Status::FileNotOpened);
}

}  // namespace
}  // namespace tlvx::platform
