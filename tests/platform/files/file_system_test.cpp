#include "platform/files/file_system.h"

#include <gtest/gtest.h>

#include <string>

#include "tests/support/temp_dir.h"

namespace fs = std::filesystem;
namespace fso = tlvx::platform::fso;
using tlvx::test::CurrentDirGuard;
using tlvx::test::TempDir;

TEST(FileSystem, TellsFilesFromFoldersWithoutRegardToCase) {
    TempDir dir;
    dir.write("Project/Module1.bas", "x");
    CurrentDirGuard guard(dir.path());
    EXPECT_TRUE(fso::fileExists(u"PROJECT\\module1.BAS"));
    EXPECT_FALSE(fso::fileExists(u"Project"));
    EXPECT_FALSE(fso::fileExists(u"Project\\Missing.bas"));
    EXPECT_FALSE(fso::fileExists(u"C:\\Project\\Module1.bas"));
}

TEST(FileSystem, ChangesToTheParentFolderOfAResolvedPath) {
    TempDir dir;
    dir.write("Projects/App/App.vbp", "x");
    CurrentDirGuard guard(dir.path());
    EXPECT_TRUE(fso::changeToParentFolder("projects\\app\\APP.VBP"));
    EXPECT_EQ(fs::current_path(), dir / "Projects/App");
    EXPECT_FALSE(fso::changeToParentFolder("Missing.vbp"));
    EXPECT_EQ(fs::current_path(), dir / "Projects/App");
    EXPECT_TRUE(fso::changeToParentFolder(".."));
    EXPECT_EQ(fs::current_path(), dir.path());
}
