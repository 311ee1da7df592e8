#include "platform/files/dir_listing.h"

#include <gtest/gtest.h>

#include <filesystem>

#include "tests/support/temp_dir.h"

namespace tlvx::platform::dir {
namespace {

TEST(DirListing, WildcardsMatchWithoutRegardToCase) {
    EXPECT_TRUE(matches(u"*.TXT", u"a.txt"));
    EXPECT_TRUE(matches(u"a?c", u"ABC"));
    EXPECT_TRUE(matches(u"*", u""));
    EXPECT_TRUE(matches(u"a*b*c", u"axxbyyc"));
    EXPECT_FALSE(matches(u"a*b*c", u"axxbyy"));
    EXPECT_FALSE(matches(u"?", u""));
    EXPECT_FALSE(matches(u"a.txt", u"a.txt2"));
    EXPECT_TRUE(matches(u"caf\u00c9*", u"caf\u00e9.bin"));
}

TEST(DirListing, FindsFilesOnlyByNameOrPattern) {
    test::TempDir dir;
    test::CurrentDirGuard cwd(dir.path());
    dir.write("Sub/Data.bin", "x");
    std::filesystem::create_directory(dir / "Folder");
    EXPECT_EQ(firstMatch(u"sub\\data.BIN"), u"Data.bin");
    EXPECT_EQ(firstMatch(u"SUB\\*.bin"), u"Data.bin");
    EXPECT_EQ(firstMatch(u"sub\\d?ta.*"), u"Data.bin");
    EXPECT_EQ(firstMatch(u"sub\\*.txt"), std::nullopt);
    EXPECT_EQ(firstMatch(u"folder"), std::nullopt);  // a folder is no file
    EXPECT_EQ(firstMatch(u"Fold*"), std::nullopt);
    EXPECT_EQ(firstMatch(u"none\\*"), std::nullopt);
    EXPECT_EQ(firstMatch(u""), std::nullopt);
    EXPECT_TRUE(hasWildcards(u"a\\*.x"));
    EXPECT_FALSE(hasWildcards(u"a\\b.x"));
}

}  // namespace
}  // namespace tlvx::platform::dir
