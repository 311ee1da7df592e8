#include "platform/files/string_module.h"

#include <sys/stat.h>

#include <gtest/gtest.h>

#include <atomic>
#include <thread>
#include <vector>

#include "tests/support/non_regular_files.h"
#include "tests/support/temp_dir.h"

namespace fs = std::filesystem;
namespace strings = tlvx::platform::strings;
using strings::StringTable;
using tlvx::test::TempDir;

namespace {

const StringTable kSample = {
    {0, u"zero"},
    {7, u""},
    {4611, u"Western European (Windows)"},
    {4612, std::u16string(u"with\0nul", 8)},
    {9000, u"\u20AC \U0001F600 \xD800 lone"},
    {UINT32_MAX, u"last"},
};

void putUint32(std::string& bytes, std::size_t at, std::uint32_t number) {
    for (std::size_t i = 0; i < 4; ++i)
        bytes[at + i] = static_cast<char>((number >> (8 * i)) & 0xFF);
}

}  // namespace

TEST(StringModule, EncodesAndDecodesEveryKindOfString) {
    const std::string bytes = strings::encodeStringModule(kSample);
    EXPECT_EQ(bytes.substr(0, 8), "TLVXSTRS");
    EXPECT_EQ(strings::decodeStringModule(bytes), kSample);
    EXPECT_EQ(strings::decodeStringModule(strings::encodeStringModule({})), StringTable{});
}

TEST(StringModule, RefusesBytesThatAreNoModule) {
    const std::string good = strings::encodeStringModule({{1, u"one"}, {2, u"two"}});
    ASSERT_TRUE(strings::decodeStringModule(good));
    const auto refused = [](const std::string& bytes) {
        return !strings::decodeStringModule(bytes).has_value();
    };
    EXPECT_TRUE(refused(""));
    EXPECT_TRUE(refused(good.substr(0, 15)));     // header cut short
    EXPECT_TRUE(refused(good.substr(0, 30)));     // entries cut short
    EXPECT_TRUE(refused(good + "x"));             // half a UTF-16 unit
    EXPECT_TRUE(refused("MZ" + good.substr(2)));  // another file's magic
    std::string bytes = good;
    putUint32(bytes, 8, 2);  // a version we do not know
    EXPECT_TRUE(refused(bytes));
    bytes = good;
    putUint32(bytes, 12, 0x7FFFFFFF);  // more entries than the file holds
    EXPECT_TRUE(refused(bytes));
    bytes = good;
    putUint32(bytes, 28, 1);  // the second number repeats the first
    EXPECT_TRUE(refused(bytes));
    bytes = good;
    putUint32(bytes, 28, 0);  // numbers out of order
    EXPECT_TRUE(refused(bytes));
    bytes = good;
    putUint32(bytes, 32, 5);  // the second string starts beyond the text
    EXPECT_TRUE(refused(bytes));
    bytes = good;
    putUint32(bytes, 36, 0xFFFFFFFF);  // and one far too long
    EXPECT_TRUE(refused(bytes));
}

TEST(StringModule, WritesAWholeNewFileAndReadsItBack) {
    TempDir dir;
    const auto file = dir / "mlang.dll";
    ASSERT_TRUE(strings::writeStringModule(file, kSample));
    EXPECT_EQ(strings::readStringModule(file), kSample);

    struct stat before {};
    ::stat(file.c_str(), &before);
    ASSERT_TRUE(strings::writeStringModule(file, {{1, u"new"}}));
    struct stat after {};
    ::stat(file.c_str(), &after);
    EXPECT_NE(before.st_ino, after.st_ino) << "replaced by a new file, not written in place";
    EXPECT_EQ(strings::readStringModule(file), (StringTable{{1, u"new"}}));
    EXPECT_EQ(std::distance(fs::directory_iterator(dir.path()), fs::directory_iterator()), 1);

    EXPECT_FALSE(strings::writeStringModule(dir / "no" / "folder.dll", kSample));
    EXPECT_FALSE(fs::exists(dir / "no"));
    EXPECT_FALSE(strings::readStringModule(dir / "missing.dll"));
    EXPECT_FALSE(strings::readStringModule(dir.write("text.dll", "4611=not built")));
}

TEST(StringModule, LoadsLooksUpAndFreesModules) {
    TempDir dir;
    const auto file = dir / "res.dll";
    ASSERT_TRUE(strings::writeStringModule(file, kSample));
    const std::int32_t handle = strings::loadStringModule(file);
    ASSERT_GT(handle, 0);
    EXPECT_EQ(strings::moduleString(handle, 4611), u"Western European (Windows)");
    EXPECT_EQ(strings::moduleString(handle, 7), u"");
    EXPECT_EQ(strings::moduleString(handle, 8), std::nullopt);
    EXPECT_EQ(strings::moduleString(handle + 1000, 4611), std::nullopt);

    // The same unchanged file again: the same module, one more use.
    EXPECT_EQ(strings::loadStringModule(file), handle);
    EXPECT_TRUE(strings::unloadStringModule(handle));
    EXPECT_EQ(strings::moduleString(handle, 0), u"zero");
    EXPECT_TRUE(strings::unloadStringModule(handle));
    EXPECT_EQ(strings::moduleString(handle, 0), std::nullopt);
    EXPECT_FALSE(strings::unloadStringModule(handle));
    EXPECT_FALSE(strings::unloadStringModule(0));

    // A freed handle is not given out again.
    const std::int32_t again = strings::loadStringModule(file);
    EXPECT_GT(again, 0);
    EXPECT_NE(again, handle);
    EXPECT_TRUE(strings::unloadStringModule(again));
}

TEST(StringModule, AModuleReplacedOnDiskIsANewModule) {
    TempDir dir;
    const auto file = dir / "res.dll";
    ASSERT_TRUE(strings::writeStringModule(file, {{1, u"old"}}));
    const std::int32_t oldHandle = strings::loadStringModule(file);
    ASSERT_TRUE(strings::writeStringModule(file, {{1, u"new"}}));
    const std::int32_t newHandle = strings::loadStringModule(file);
    ASSERT_GT(newHandle, 0);
    EXPECT_NE(newHandle, oldHandle);
    EXPECT_EQ(strings::moduleString(oldHandle, 1), u"old");
    EXPECT_EQ(strings::moduleString(newHandle, 1), u"new");
    strings::unloadStringModule(oldHandle);
    strings::unloadStringModule(newHandle);
}

TEST(StringModule, FilesThatAreNoModuleLoadAsZero) {
    TempDir dir;
    EXPECT_EQ(strings::loadStringModule(dir / "missing.dll"), 0);
    EXPECT_EQ(strings::loadStringModule(dir.write("empty.dll", "")), 0);
    EXPECT_EQ(strings::loadStringModule(dir.write("elf.so",
                                                  "\x7F"
                                                  "ELF\x02\x01\x01")),
              0);
    for (const auto kind : tlvx::test::kNonRegularKinds) {
        const auto odd = dir / ("odd-" + tlvx::test::kindName(kind));
        tlvx::test::makeNonRegular(kind, odd);
        EXPECT_EQ(tlvx::test::runGuarded([&] { return strings::loadStringModule(odd) == 0; }),
                  "passed")
            << tlvx::test::kindName(kind);
    }
}

TEST(StringModule, ThreadsShareTheLoadedModules) {
    TempDir dir;
    const auto file = dir / "res.dll";
    ASSERT_TRUE(strings::writeStringModule(file, kSample));
    std::atomic<int> wrong{0};
    std::vector<std::thread> threads;
    for (int t = 0; t < 4; ++t) {
        threads.emplace_back([&] {
            for (int i = 0; i < 200; ++i) {
                const std::int32_t handle = strings::loadStringModule(file);
                if (handle <= 0 || strings::moduleString(handle, UINT32_MAX) != u"last") ++wrong;
                if (!strings::unloadStringModule(handle)) ++wrong;
            }
        });
    }
    for (auto& thread : threads) thread.join();
    EXPECT_EQ(wrong, 0);
}
