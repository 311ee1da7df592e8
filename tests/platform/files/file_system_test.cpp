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
    EXPECT_TRUE(fso::fileExists("project\\Module1.bas"));
    EXPECT_FALSE(fso::fileExists(u"Project"));
    EXPECT_TRUE(fso::folderExists(u"project"));
    EXPECT_TRUE(fso::folderExists("PROJECT\\"));
    EXPECT_FALSE(fso::folderExists("Project\\Module1.bas"));
    EXPECT_FALSE(fso::fileExists("Project\\Missing.bas"));
    EXPECT_FALSE(fso::fileExists(u"C:\\Project\\Module1.bas"));
}

TEST(FileSystem, CreatesOneFolderWhenItsParentExists) {
    TempDir dir;
    fs::create_directory(dir / "Parent");
    CurrentDirGuard guard(dir.path());
    EXPECT_TRUE(fso::createFolder(u"PARENT\\Child"));
    EXPECT_TRUE(fs::is_directory(dir / "Parent/Child"));
    EXPECT_FALSE(fso::createFolder("parent\\child"));  // exists, in another case
    EXPECT_FALSE(fso::createFolder(u"Missing\\Child"));
    EXPECT_FALSE(fs::exists(dir / "Missing"));
}

TEST(FileSystem, DeletesReadOnlyFilesButNotFoldersAsFiles) {
    TempDir dir;
    const auto file = dir.write("ro.txt", "x");
    fs::permissions(file, fs::perms::owner_read);
    fs::create_directory(dir / "Folder");
    CurrentDirGuard guard(dir.path());
    EXPECT_TRUE(fso::deleteFile(u"RO.TXT"));
    EXPECT_FALSE(fs::exists(file));
    EXPECT_FALSE(fso::deleteFile(u"ro.txt"));
    EXPECT_FALSE(fso::deleteFile(u"Folder"));
    EXPECT_TRUE(fs::is_directory(dir / "Folder"));
}

TEST(FileSystem, DeletesAFolderWithItsContent) {
    TempDir dir;
    dir.write("Tree/a/b/c.txt", "x");
    const auto ro = dir.write("Tree/ro.txt", "x");
    fs::permissions(ro, fs::perms::owner_read);
    CurrentDirGuard guard(dir.path());
    EXPECT_FALSE(fso::deleteFolder(u"Tree\\ro.txt"));
    EXPECT_TRUE(fso::deleteFolder(u"tree"));
    EXPECT_FALSE(fs::exists(dir / "Tree"));
    EXPECT_FALSE(fso::deleteFolder(u"tree"));
}

TEST(FileSystem, DeletingALinkNeverReachesWhatItNames) {
    TempDir dir;
    const auto kept = dir.write("Kept/inside.txt", "x");
    fs::create_directory_symlink(dir / "Kept", dir / "FolderLink");
    fs::create_symlink(kept, dir / "FileLink");
    CurrentDirGuard guard(dir.path());
    EXPECT_TRUE(fso::deleteFolder(u"FolderLink"));
    EXPECT_TRUE(fso::deleteFile(u"FileLink"));
    EXPECT_TRUE(fs::exists(kept));
    EXPECT_FALSE(fs::exists(fs::symlink_status(dir / "FolderLink")));
}

TEST(FileSystem, NeverDeletesTheRoot) {
    TempDir dir;
    CurrentDirGuard guard(dir.path());
    EXPECT_FALSE(fso::deleteFolder(u"\\"));
    // Enough ".." to climb from any temporary folder to the root.
    std::u16string up;
    for (int i = 0; i < 64; ++i) up += u"..\\";
    EXPECT_FALSE(fso::deleteFolder(up));
}

TEST(FileSystem, MovesAFileOnlyWhereNothingIsInTheWay) {
    TempDir dir;
    dir.write("a.txt", "A");
    dir.write("b.txt", "B");
    fs::create_directory(dir / "Dest");
    CurrentDirGuard guard(dir.path());
    EXPECT_FALSE(fso::moveFile(u"a.txt", u"B.TXT"));  // exists, in another case
    EXPECT_FALSE(fso::moveFile(u"a.txt", u"dest"));   // a folder without a trailing separator
    EXPECT_EQ(TempDir::read(dir / "a.txt"), "A");
    EXPECT_EQ(TempDir::read(dir / "b.txt"), "B");

    EXPECT_TRUE(fso::moveFile(u"A.TXT", u"DEST\\renamed.txt"));
    EXPECT_EQ(TempDir::read(dir / "Dest/renamed.txt"), "A");
    EXPECT_FALSE(fs::exists(dir / "a.txt"));

    EXPECT_TRUE(fso::moveFile(u"b.txt", u"dest\\"));
    EXPECT_EQ(TempDir::read(dir / "Dest/b.txt"), "B");
    EXPECT_FALSE(fso::moveFile(u"missing.txt", u"x.txt"));
    EXPECT_FALSE(fso::moveFile(u"Dest", u"Moved"));
    EXPECT_FALSE(fso::moveFile(u"Dest\\b.txt", u"NoFolder\\b.txt"));
}

TEST(FileSystem, GetFileNameIgnoresDrivesAndTrailingSeparators) {
    EXPECT_EQ(fso::getFileName(u"C:\\Projects\\App.vbp"), u"App.vbp");
    EXPECT_EQ(fso::getFileName(u"Projects\\Sub\\"), u"Sub");
    EXPECT_EQ(fso::getFileName(u"C:x.bas"), u"x.bas");
    EXPECT_EQ(fso::getFileName(u"C:\\"), u"");
    EXPECT_EQ(fso::getFileName(u"\\\\server\\share"), u"");
    EXPECT_EQ(fso::getFileName(u"\\\\server\\share\\f.txt"), u"f.txt");
    EXPECT_EQ(fso::getFileName(u"name"), u"name");
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
