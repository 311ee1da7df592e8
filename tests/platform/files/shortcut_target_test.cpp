// Shortcut targets: desktop entries and symbolic links.

#include <gtest/gtest.h>

#include <filesystem>

#include "platform/files/shortcut_target.h"
#include "tests/support/environment_guard.h"
#include "tests/support/temp_dir.h"

namespace fs = std::filesystem;
using tlvx::platform::shortcuts::shortcutTarget;
using namespace tlvx::test;

namespace {

std::optional<fs::path> targetOf(const fs::path& shortcut) {
    return shortcutTarget(shortcut.u16string());
}

}  // namespace

TEST(ShortcutTarget, LinkEntriesLeadToTheirLocalUrl) {
    TempDir dir;
    const auto link = [&](const char* name, const std::string& url) {
        return dir.write(name, "[Desktop Entry]\nType=Link\nName=x\nURL=" + url + "\n");
    };
    EXPECT_EQ(targetOf(link("plain.desktop", "/srv/a b.txt")), fs::path("/srv/a b.txt"));
    EXPECT_EQ(targetOf(link("url.desktop", "file:///srv/a%20b.txt")), fs::path("/srv/a b.txt"));
    EXPECT_EQ(targetOf(link("host.desktop", "file://localhost/srv/x")), fs::path("/srv/x"));
    EXPECT_EQ(targetOf(link("short.desktop", "file:/srv/x?query#part")), fs::path("/srv/x"));
    // Other machines and other schemes lead to no file of this one.
    EXPECT_FALSE(targetOf(link("remote.desktop", "file://elsewhere/srv/x")));
    EXPECT_FALSE(targetOf(link("web.desktop", "https://example.org/")));
    // Escapes of the format, and a localised URL that does not count.
    const auto escaped = dir.write(
        "escaped.desktop",
        "# shortcut\r\n[Desktop Entry]\r\nURL[de]=/de\r\nType = Link\r\nURL = /srv/a\\sb\\\\c\r\n");
    EXPECT_EQ(targetOf(escaped), fs::path("/srv/a b\\c"));
}

TEST(ShortcutTarget, ApplicationEntriesLeadToTheirProgram) {
    TempDir dir;
    fs::create_directories(dir / "bin");
    fs::create_directories(dir / "work");
    dir.write("bin/tool", "");
    dir.write("work/local", "");
    EnvironmentGuard path("PATH", (dir / "nothing").string() + ":" + (dir / "bin").string());
    const auto app = [&](const char* name, const std::string& keys) {
        return dir.write(name, "[Desktop Entry]\nType=Application\n" + keys);
    };
    EXPECT_EQ(targetOf(app("abs.desktop", "Exec=/opt/x/run --flag %f\n")), fs::path("/opt/x/run"));
    EXPECT_EQ(targetOf(app("quoted.desktop", "Exec=\"/opt/my \\\\\"app\\\\\"\" %U\n")),
              fs::path("/opt/my \"app\""));
    EXPECT_EQ(targetOf(app("search.desktop", "Exec=tool --x\n")), dir / "bin" / "tool");
    const std::string workDir = "Path=" + (dir / "work").string() + "\n";
    EXPECT_EQ(targetOf(app("relative.desktop", "Exec=./local\n" + workDir)),
              dir / "work" / "./local");
    EXPECT_EQ(targetOf(app("inwork.desktop", "Exec=local\n" + workDir)), dir / "work" / "local");
    EXPECT_EQ(targetOf(app("folder.desktop", workDir)), dir / "work");
    EXPECT_FALSE(targetOf(app("nothing.desktop", "Name=x\n")));
    // Keys of another group do not count.
    EXPECT_FALSE(targetOf(dir.write("action.desktop",
                                    "[Desktop Entry]\nType=Application\n"
                                    "[Desktop Action new]\nExec=/opt/x/run\n")));
}

TEST(ShortcutTarget, SymbolicLinksLeadWhereTheyPoint) {
    TempDir dir;
    fs::create_directories(dir / "sub");
    fs::create_symlink("sub/file", dir / "relative");
    fs::create_symlink("/absolute/target", dir / "absolute");
    EXPECT_EQ(targetOf(dir / "relative"), dir / "sub/file");
    EXPECT_EQ(targetOf(dir / "absolute"), fs::path("/absolute/target"));
}

TEST(ShortcutTarget, OtherFilesAreNoShortcuts) {
    TempDir dir;
    EXPECT_FALSE(targetOf(dir / "missing.desktop"));
    EXPECT_FALSE(targetOf(dir.write("text.txt", "[Desktop Entry]\nType=Link\nURL=/x\n")));
    EXPECT_FALSE(targetOf(dir.write("nogroup.desktop", "Type=Link\nURL=/x\n")));
    EXPECT_FALSE(targetOf(dir.write("dir.desktop", "[Desktop Entry]\nType=Directory\n")));
    fs::create_directories(dir / "folder.desktop");
    EXPECT_FALSE(targetOf(dir / "folder.desktop"));
    EXPECT_FALSE(shortcutTarget(u""));
}

TEST(ShortcutTarget, WindowsNotationAndLetterCaseFindTheShortcut) {
    TempDir dir;
    fs::create_directories(dir / "Links");
    dir.write("Links/Docs.desktop", "[Desktop Entry]\nType=Link\nURL=/srv/docs\n");
    CurrentDirGuard cwd(dir.path());
    EXPECT_EQ(shortcutTarget(u"links\\DOCS.desktop"), fs::path("/srv/docs"));
}
