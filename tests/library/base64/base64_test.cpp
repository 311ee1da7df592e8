// The Base64 class through its interface, by slot and by name: text in a
// charset to Base64 and back, files to Base64, Base64 to a new file, and the
// errors DecodeToFile raises.

#include <unistd.h>

#include <gtest/gtest.h>

#include <algorithm>
#include <filesystem>
#include <string>
#include <thread>
#include <vector>

#include "Morcel_TLVX.h"
#include "tests/support/automation_values.h"
#include "tests/support/dispatch_call.h"
#include "tests/support/temp_dir.h"

using namespace tlvx::test;
using namespace std::string_literals;

namespace {

namespace fs = std::filesystem;

constexpr HRESULT kFileExists = static_cast<HRESULT>(0x800403E8u);

_Base64* createBase64() {
    void* object = nullptr;
    EXPECT_EQ(CoCreateInstance(CLSID_Base64, nullptr, CLSCTX_INPROC_SERVER, IID__Base64, &object),
              S_OK);
    return static_cast<_Base64*>(object);
}

std::u16string ascii(std::string_view text) {
    return std::u16string(text.begin(), text.end());
}

class Base64Class : public ::testing::Test {
protected:
    void SetUp() override { ASSERT_TRUE(b64); }
    void TearDown() override {
        if (b64) b64->Release();
    }

    std::u16string encode(std::u16string_view source, std::u16string_view charset = u"utf-8") {
        Bstr result;
        EXPECT_EQ(b64->Encode(Bstr(source).get(), Bstr(charset).get(), result.out()), S_OK);
        EXPECT_NE(result.get(), nullptr);
        return result.text();
    }
    std::u16string decode(std::u16string_view input, std::u16string_view charset = u"utf-8") {
        Bstr in(input), result;
        EXPECT_EQ(b64->Decode(in.inOut(), Bstr(charset).get(), result.out()), S_OK);
        EXPECT_EQ(in.text(), input);
        EXPECT_NE(result.get(), nullptr);
        return result.text();
    }
    std::u16string encodeFile(std::u16string_view file) {
        Bstr result;
        EXPECT_EQ(b64->EncodeFile(Bstr(file).get(), result.out()), S_OK);
        return result.text();
    }
    HRESULT decodeToFile(std::u16string_view input, std::u16string_view file) {
        Bstr in(input), name(file);
        return b64->DecodeToFile(in.inOut(), name.inOut());
    }
    std::vector<std::string> names() const {
        std::vector<std::string> all;
        for (const auto& e : fs::directory_iterator(dir_.path()))
            all.push_back(e.path().filename());
        std::sort(all.begin(), all.end());
        return all;
    }

    _Base64* b64 = createBase64();
    TempDir dir_;
    CurrentDirGuard cwd_{dir_.path()};
};

TEST_F(Base64Class, EncodesTextWithPaddingAndLineWrapping) {
    EXPECT_EQ(encode(u"abc"), u"YWJj");
    EXPECT_EQ(encode(u"a"), u"YQ==");
    EXPECT_EQ(encode(u"ab"), u"YWI=");
    EXPECT_EQ(encode(u""), u"");
    EXPECT_EQ(encode(u"\u00e9"), u"w6k=");  // the UTF-8 mark is not part of it
    // 57 bytes encode to 76 characters, 60 to 80, 114 to 152.
    EXPECT_EQ(encode(ascii(std::string(57, 'x'))).find(u'\r'), std::u16string::npos);
    const std::u16string eighty = encode(ascii(std::string(60, 'x')));
    EXPECT_EQ(eighty.size(), 82u);
    EXPECT_EQ(eighty.substr(76, 2), u"\r\n");
    const std::u16string twoLines = encode(ascii(std::string(114, 'x')));
    EXPECT_EQ(twoLines.size(), 156u);
    EXPECT_EQ(twoLines.substr(76, 2), u"\r\n");
    EXPECT_EQ(twoLines.substr(154), u"\r\n");
}

TEST_F(Base64Class, EncodeTakesOffOnlyTheMarkTheCharsetHas) {
    // Charsets with a two-byte mark or none keep every byte of the text.
    EXPECT_EQ(encode(u"abc", u"us-ascii"), u"YWJj");
    EXPECT_EQ(encode(u"abc", u"windows-1252"), u"YWJj");
    EXPECT_EQ(encode(u"\u00e9", u"iso-8859-1"), u"6Q==");
    EXPECT_EQ(encode(u"abc", u"unicode"), u"YQBiAGMA");
    EXPECT_EQ(encode(u"abc", u"unicodeFFFE"), u"AGEAYgBj");
    EXPECT_EQ(encode(u"\u4e2d", u"gb2312"), u"1tA=");
    // An unknown charset fails the conversion: the empty result.
    EXPECT_EQ(encode(u"abc", u"no-such-charset"), u"");
}

TEST_F(Base64Class, DecodesAndRoundTrips) {
    EXPECT_EQ(decode(u"YWJj"), u"abc");
    EXPECT_EQ(decode(u"YWJ"), u"ab");
    EXPECT_EQ(decode(u"YW\r\nJj\r\n"), u"abc");
    EXPECT_EQ(decode(u""), u"");
    EXPECT_NE(decode(u"YW Jj"), u"abc");        // a space is the digit 0, not skipped
    EXPECT_EQ(decode(u"77u/w6k="), u"\u00e9");  // a leading UTF-8 mark is read as the mark
    EXPECT_EQ(decode(u"YQBiAGMA", u"unicode"), u"abc");
    EXPECT_EQ(decode(u"YWJj", u"no-such-charset"), u"");

    const std::u16string texts[] = {u"a\0b"s, u"caf\u00e9 \u4e2d \U0001F600",
                                    std::u16string(100000, u'\u00e9') + u"end"};
    for (const auto& text : texts) {
        for (const char16_t* charset : {u"utf-8", u"unicode", u"unicodeFFFE"}) {
            EXPECT_EQ(decode(encode(text, charset), charset), text);
        }
    }
    for (const char16_t* charset : {u"windows-1252", u"us-ascii", u"shift_jis"}) {
        EXPECT_EQ(decode(encode(u"plain text", charset), charset), u"plain text");
    }
    const std::u16string encoded = encode(u"Decode followed by Encode gives the input back");
    EXPECT_EQ(encode(decode(encoded)), encoded);
}

TEST_F(Base64Class, EncodeFileEncodesTheBytesInMemory) {
    const std::string bytes = "\0\xFF\x80 binary\r\n"s + std::string(1000, '\x7F');
    dir_.write("data.bin", bytes);
    // The bytes as they are, no charset between: 1012 bytes, 1352 digits in
    // 17 whole lines and a short one.
    const std::u16string text = encodeFile(u"DATA.BIN");
    EXPECT_EQ(text.substr(0, 8), u"AP+AIGJp");
    EXPECT_EQ(text.size(), 1352u + 2 * 17);
    // Its decoding is the file again.
    ASSERT_EQ(decodeToFile(text, u"copy.bin"), S_OK);
    EXPECT_EQ(TempDir::read(dir_ / "copy.bin"), bytes);
    EXPECT_EQ(encodeFile(u"missing.bin"), u"");
    dir_.write("empty.bin", "");
    EXPECT_EQ(encodeFile(u"empty.bin"), u"");
    EXPECT_EQ(names(), (std::vector<std::string>{"copy.bin", "data.bin", "empty.bin"}));
}

TEST_F(Base64Class, EncodeFileCallsAtOnceDoNotInterfere) {
    dir_.write("a.bin", std::string(200000, 'a'));
    dir_.write("b.bin", std::string(200000, 'b'));
    const std::u16string a = encodeFile(u"a.bin"), b = encodeFile(u"b.bin");
    std::vector<std::thread> threads;
    std::vector<int> wrong(8, 0);
    threads.reserve(8);
    for (int t = 0; t < 8; ++t) {
        threads.emplace_back([&, t] {
            _Base64* own = createBase64();
            for (int i = 0; i < 10; ++i) {
                BSTR result = nullptr;
                own->EncodeFile(Bstr(t % 2 ? u"a.bin" : u"b.bin").get(), &result);
                if (std::u16string(result, SysStringLen(result)) != (t % 2 ? a : b)) ++wrong[t];
                SysFreeString(result);
            }
            own->Release();
        });
    }
    for (auto& thread : threads) thread.join();
    EXPECT_EQ(wrong, std::vector<int>(8, 0));
}

TEST_F(Base64Class, DecodeToFileWritesANewFileAndRefusesAnExistingOne) {
    ASSERT_EQ(decodeToFile(u"YWJj", u"out.bin"), S_OK);
    EXPECT_EQ(TempDir::read(dir_ / "out.bin"), "abc");

    EXPECT_EQ(decodeToFile(u"eHl6", u"OUT.BIN"), kFileExists);
    IErrorInfo* info = nullptr;
    ASSERT_EQ(GetErrorInfo(0, &info), S_OK);
    Bstr source, description;
    info->GetSource(source.out());
    info->GetDescription(description.out());
    info->Release();
    EXPECT_EQ(source.text(), u"Base64.DecodeToFile");
    EXPECT_EQ(description.text(), u"File already exists.");
    EXPECT_EQ(TempDir::read(dir_ / "out.bin"), "abc");
    // A name with wildcards that matches a file is taken as existing.
    EXPECT_EQ(decodeToFile(u"eHl6", u"*.bin"), kFileExists);
    EXPECT_EQ(decodeToFile(u"eHl6", u"o?t.*"), kFileExists);
    EXPECT_EQ(names(), std::vector<std::string>{"out.bin"});
}

TEST_F(Base64Class, DecodeToFileRaisesWriteErrorsWithTheirOwnNumber) {
    EXPECT_EQ(decodeToFile(u"YWJj", u"no\\such\\folder.bin"), static_cast<HRESULT>(0x800A004Cu));
    IErrorInfo* info = nullptr;
    ASSERT_EQ(GetErrorInfo(0, &info), S_OK);
    Bstr description;
    info->GetDescription(description.out());
    info->Release();
    EXPECT_EQ(description.text(), u"Path not found");
    EXPECT_EQ(decodeToFile(u"YWJj", u"*.none"), static_cast<HRESULT>(0x800A0034u));
    fs::create_directory(dir_ / "folder");
    EXPECT_EQ(decodeToFile(u"YWJj", u"folder"), static_cast<HRESULT>(0x800A004Bu));
    if (::geteuid() != 0) {
        fs::create_directory(dir_ / "locked");
        fs::permissions(dir_ / "locked", fs::perms::owner_read | fs::perms::owner_exec);
        EXPECT_EQ(decodeToFile(u"YWJj", u"locked\\x.bin"), static_cast<HRESULT>(0x800A0046u));
        fs::permissions(dir_ / "locked", fs::perms::owner_all);
        EXPECT_TRUE(fs::is_empty(dir_ / "locked"));
    }
    // A successful call leaves no error information behind.
    ASSERT_EQ(decodeToFile(u"", u"empty.bin"), S_OK);
    EXPECT_EQ(TempDir::read(dir_ / "empty.bin"), "");
    info = reinterpret_cast<IErrorInfo*>(0x10);
    EXPECT_EQ(GetErrorInfo(0, &info), S_FALSE);
}

TEST_F(Base64Class, ByNameTheErrorArrivesAsAnException) {
    dir_.write("there.bin", "keep");
    IDispatch* byName = nullptr;
    ASSERT_EQ(b64->QueryInterface(IID_IDispatch, reinterpret_cast<void**>(&byName)), S_OK);
    ExceptionInfo exception;
    EXPECT_EQ(callByName(byName, u"DecodeToFile", {str(u"YWJj"), str(u"there.bin")}, nullptr,
                         &exception.e),
              DISP_E_EXCEPTION);
    EXPECT_EQ(exception.e.scode, kFileExists);
    EXPECT_EQ(std::u16string(exception.e.bstrSource), u"Base64.DecodeToFile");
    EXPECT_EQ(std::u16string(exception.e.bstrDescription), u"File already exists.");
    EXPECT_EQ(TempDir::read(dir_ / "there.bin"), "keep");

    Var result;
    EXPECT_EQ(callByName(byName, u"encode", {str(u"abc")}, &result.v), S_OK);
    EXPECT_EQ(std::u16string(result.v.bstrVal), u"YWJj");
    Var decoded;
    EXPECT_EQ(callByName(byName, u"Decode", {str(u"YWJj")}, &decoded.v), S_OK);
    EXPECT_EQ(std::u16string(decoded.v.bstrVal), u"abc");
    byName->Release();
}

}  // namespace
