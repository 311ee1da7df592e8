#include "platform/shell/system_folders.h"

#include <sys/utsname.h>

#include <gtest/gtest.h>

#include "tests/support/environment_guard.h"
#include "tests/support/temp_dir.h"

namespace {

namespace fs = std::filesystem;
namespace folders = tlvx::platform::folders;
using tlvx::test::EnvironmentGuard;
using tlvx::test::TempDir;

// A home of its own with the XDG variables unset, so that the defaults show.
class SystemFoldersTest : public ::testing::Test {
protected:
    TempDir dir_;
    fs::path home_ = dir_ / "home";
    EnvironmentGuard homeGuard_{"HOME", home_.string()};
    EnvironmentGuard configGuard_{"XDG_CONFIG_HOME", std::nullopt};
    EnvironmentGuard dataGuard_{"XDG_DATA_HOME", std::nullopt};
    EnvironmentGuard cacheGuard_{"XDG_CACHE_HOME", std::nullopt};
    EnvironmentGuard dataDirsGuard_{"XDG_DATA_DIRS", std::nullopt};
    EnvironmentGuard configDirsGuard_{"XDG_CONFIG_DIRS", std::nullopt};
};

}  // namespace

TEST_F(SystemFoldersTest, UserFoldersComeFromUserDirsOrTheirDefaults) {
    // Without user-dirs.dirs: the desktop below the home, the others the home.
    EXPECT_EQ(folders::specialFolder(0x10), home_ / "Desktop");
    EXPECT_EQ(folders::specialFolder(0x05), home_);

    dir_.write("home/.config/user-dirs.dirs",
               "# written by xdg-user-dirs-update\n"
               "XDG_DESKTOP_DIR=\"$HOME/Schreibtisch\"\n"
               "XDG_DOCUMENTS_DIR=\"/data/docs/\"\n"
               "XDG_MUSIC_DIR=\"$HOME/My \\\"Music\\\"\"\n"
               "XDG_PICTURES_DIR=\"$HOMEWORK/x\"\n"
               "XDG_VIDEOS_DIR=\"$HOME/First\"\n"
               "  XDG_VIDEOS_DIR=\"$HOME/Second\"\n"
               "XDG_TEMPLATES_DIR=unquoted\n");
    EXPECT_EQ(folders::specialFolder(0x00), home_ / "Schreibtisch");
    EXPECT_EQ(folders::specialFolder(0x10), home_ / "Schreibtisch");
    EXPECT_EQ(folders::specialFolder(0x05), fs::path("/data/docs"));
    EXPECT_EQ(folders::specialFolder(0x0D), home_ / "My \"Music\"");
    EXPECT_EQ(folders::specialFolder(0x27), home_) << "$HOMEWORK is not $HOME";
    EXPECT_EQ(folders::specialFolder(0x0E), home_ / "Second") << "the last line wins";
    EXPECT_EQ(folders::specialFolder(0x15), home_);

    // XDG_CONFIG_HOME moves the file with it.
    EnvironmentGuard moved("XDG_CONFIG_HOME", (dir_ / "elsewhere").string());
    EXPECT_EQ(folders::specialFolder(0x10), home_ / "Desktop");
}

TEST_F(SystemFoldersTest, BaseDirectoriesFollowTheXdgVariables) {
    EXPECT_EQ(folders::specialFolder(0x1A), home_ / ".config");
    EXPECT_EQ(folders::specialFolder(0x1C), home_ / ".local/share");
    EXPECT_EQ(folders::specialFolder(0x20), home_ / ".cache");
    EXPECT_EQ(folders::specialFolder(0x02), home_ / ".local/share/applications");
    EXPECT_EQ(folders::specialFolder(0x07), home_ / ".config/autostart");
    EXPECT_EQ(folders::specialFolder(0x28), home_);
    EXPECT_EQ(folders::specialFolder(35), fs::path("/usr/local/share"));
    EXPECT_EQ(folders::specialFolder(0x18), fs::path("/etc/xdg/autostart"));

    EnvironmentGuard config("XDG_CONFIG_HOME", "/cfg/");
    EnvironmentGuard relative("XDG_DATA_HOME", "relative/data");  // not absolute: ignored
    EnvironmentGuard dataDirs("XDG_DATA_DIRS", "relative:/opt/share/:/usr/share");
    EXPECT_EQ(folders::specialFolder(0x1A), fs::path("/cfg"));
    EXPECT_EQ(folders::specialFolder(0x1C), home_ / ".local/share");
    EXPECT_EQ(folders::specialFolder(35), fs::path("/opt/share"));
    EXPECT_EQ(folders::specialFolder(0x17), fs::path("/opt/share/applications"));
}

// The library's store and the program's work folders lie in the user's data
// folder: with HOME unset it is still the user's, never a folder relative
// to wherever the program was started.
TEST_F(SystemFoldersTest, TheUsersDataFolderIsAbsoluteEvenWithoutHome) {
    EXPECT_EQ(folders::userDataHome(), home_ / ".local/share");
    EnvironmentGuard noHome("HOME", std::nullopt);
    EXPECT_TRUE(folders::userDataHome().is_absolute()) << folders::userDataHome();
    EXPECT_EQ(folders::userDataHome().filename(), "share");
    EnvironmentGuard data("XDG_DATA_HOME", "/srv/data");
    EXPECT_EQ(folders::userDataHome(), fs::path("/srv/data"));
}

TEST_F(SystemFoldersTest, SystemFoldersAndNumbersWithoutAFolder) {
    EXPECT_EQ(folders::specialFolder(0x24), folders::windowsFolder());
    EXPECT_EQ(folders::specialFolder(0x25), folders::systemFolder());
    EXPECT_EQ(folders::specialFolder(0x26), folders::programFilesFolder());
    EXPECT_EQ(folders::specialFolder(0x14), fs::path("/usr/share/fonts"));
    // The recycle bin, the network, printers: virtual folders; unknown numbers.
    for (const int csidl : {0x0A, 0x12, 0x04, 0x11, -1, 0x3F, 9966, 32767}) {
        EXPECT_EQ(folders::specialFolder(csidl), std::nullopt) << csidl;
    }
}

TEST_F(SystemFoldersTest, TheTemporaryFolderEndsInASeparatorAndMustExist) {
    {
        EnvironmentGuard tmp("TMPDIR", std::nullopt);
        EXPECT_EQ(folders::userTempFolder(), fs::path("/tmp/"));
    }
    {
        fs::create_directory(dir_ / "sub");
        EnvironmentGuard tmp("TMPDIR", dir_.path().string() + "//sub/..");
        EXPECT_EQ(folders::userTempFolder(), fs::path(dir_.path().string() + "/"));
    }
    {
        tlvx::test::CurrentDirGuard cwd(dir_.path());
        fs::create_directory(dir_ / "rel");
        EnvironmentGuard tmp("TMPDIR", "rel");
        EXPECT_EQ(folders::userTempFolder(), fs::path(dir_.path().string() + "/rel/"));
    }
    {
        EnvironmentGuard tmp("TMPDIR", (dir_ / "missing").string());
        EXPECT_EQ(folders::userTempFolder(), std::nullopt);
    }
    {
        EnvironmentGuard tmp("TMPDIR", dir_.write("file", "").string());
        EXPECT_EQ(folders::userTempFolder(), std::nullopt);
    }
}

TEST(KernelVersion, IsTheMajorNumberOfTheRelease) {
    utsname names{};
    ASSERT_EQ(uname(&names), 0);
    EXPECT_EQ(folders::kernelMajorVersion(), std::atoi(names.release));
    EXPECT_GE(folders::kernelMajorVersion(), 3);
}
