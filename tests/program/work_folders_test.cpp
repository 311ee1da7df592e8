// Where the program finds its documentation and keeps its working folders:
// beside itself when it runs from its build folder or a folder of its own,
// the installed documentation and the user's data folder when installed.

#include <gtest/gtest.h>

#include <sys/stat.h>

#include <filesystem>
#include <optional>
#include <string>

#include "program/analysis/work_folders.h"
#include "program/install_layout.h"
#include "tests/support/environment_guard.h"
#include "tests/support/temp_dir.h"
#include "tests/support/unprivileged.h"

namespace tlvx::test {
namespace {

namespace fs = std::filesystem;
using analysis::programLayout;
using analysis::workFoldersBase;

class WorkFoldersTest : public testing::Test {
protected:
    TempDir root;
    EnvironmentGuard dataHome{"XDG_DATA_HOME", (root / "data").string()};

    // PREFIX/<program folder> and PREFIX/<its documentation>, as installed.
    fs::path installedProgram() const {
        const fs::path program = root / "prefix" / "lib" / "tallyvex";
        fs::create_directories(program);
        root.write(fs::relative(program / kInstalledDocFromProgram / "index.html", root.path())
                       .lexically_normal()
                       .string(),
                   "<html></html>");
        return program;
    }
};

TEST_F(WorkFoldersTest, AProgramWithItsDocumentationBesideItKeepsEverythingBesideIt) {
    const fs::path program = root / "app";
    root.write("app/doc/index.html", "<html></html>");
    const auto layout = programLayout(program);
    EXPECT_FALSE(layout.installed);
    EXPECT_EQ(layout.documentation, program / "doc" / "index.html");
    EXPECT_EQ(workFoldersBase(program), program);
}

TEST_F(WorkFoldersTest, AnInstalledProgramFindsItsDocumentationAndUsesTheUsersDataFolder) {
    const fs::path program = installedProgram();
    const auto layout = programLayout(program);
    EXPECT_TRUE(layout.installed);
    EXPECT_TRUE(fs::is_regular_file(layout.documentation)) << layout.documentation;
    EXPECT_EQ(layout.documentation.filename(), "index.html");
    EXPECT_EQ(layout.documentation, layout.documentation.lexically_normal());
    // Even where its folder could be written (a prefix of the user's own).
    EXPECT_EQ(workFoldersBase(program), root / "data" / "tallyvex");
}

TEST_F(WorkFoldersTest, DocumentationBesideTheProgramWinsOverAnInstalledOne) {
    // A copy of the build folder into an installed program's place is no
    // installed program.
    const fs::path program = installedProgram();
    root.write("prefix/lib/tallyvex/doc/index.html", "<html></html>");
    const auto layout = programLayout(program);
    EXPECT_FALSE(layout.installed);
    EXPECT_EQ(layout.documentation, program / "doc" / "index.html");
    EXPECT_EQ(workFoldersBase(program), program);
}

TEST_F(WorkFoldersTest, WithoutAnyDocumentationThePageBesideTheProgramIsNamed) {
    const fs::path program = root / "bare";
    fs::create_directories(program);
    const auto layout = programLayout(program);
    EXPECT_FALSE(layout.installed);
    EXPECT_EQ(layout.documentation, program / "doc" / "index.html");
}

TEST_F(WorkFoldersTest, AFolderThatCannotBeWrittenSendsThemToTheUsersDataFolder) {
    // Anybody may pass through; "open" anybody may write, "locked" nobody.
    const auto everybody = fs::perms::owner_read | fs::perms::owner_exec | fs::perms::group_read |
                           fs::perms::group_exec | fs::perms::others_read | fs::perms::others_exec;
    fs::permissions(root.path(), everybody, fs::perm_options::add);
    root.write("locked/doc/index.html", "<html></html>");
    root.write("open/doc/index.html", "<html></html>");
    for (const char* folder : {"locked", "locked/doc", "open", "open/doc"})
        fs::permissions(root / folder, everybody);
    fs::permissions(root / "open", fs::perms::all);
    const fs::path data = root / "data" / "tallyvex";
    EXPECT_TRUE(runUnprivileged([&] {
        return workFoldersBase(root / "locked") == data &&
               workFoldersBase(root / "open") == root / "open";
    }));
    fs::permissions(root / "locked", fs::perms::owner_all, fs::perm_options::add);
}

TEST_F(WorkFoldersTest, TheUsersDataFolderFollowsXdgDataHomeOrHome) {
    EXPECT_EQ(analysis::userDataFolder(), root / "data" / "tallyvex");
    {
        // A relative XDG_DATA_HOME is ignored, as the base directory rules say.
        EnvironmentGuard relative("XDG_DATA_HOME", std::string("relative/data"));
        EnvironmentGuard home("HOME", (root / "home").string());
        EXPECT_EQ(analysis::userDataFolder(), root / "home" / ".local/share/tallyvex");
    }
}

TEST_F(WorkFoldersTest, WorkingCopiesGoToTheCacheWhereTheHistoryGoesToTheDataFolder) {
    EnvironmentGuard cacheHome("XDG_CACHE_HOME", (root / "cache").string());
    const fs::path installed = installedProgram();
    root.write("app/doc/index.html", "<html></html>");
    const fs::path beside = root / "app";
    struct Case {
        const char* what;
        fs::path program;
        fs::path workingCopies;
        fs::path history;
    } cases[] = {
        {"installed", installed, root / "cache/tallyvex/tempprjfiles",
         root / "data/tallyvex/verhis"},
        {"run from its folder", beside, beside / "tempprjfiles", beside / "verhis"},
    };
    for (const auto& c : cases) {
        const auto folders = analysis::workFolders(c.program);
        EXPECT_EQ(folders.workingCopies, c.workingCopies) << c.what;
        EXPECT_EQ(folders.history, c.history) << c.what;
        // Where the history lies is still told by the base.
        EXPECT_EQ(folders.history.parent_path(), workFoldersBase(c.program)) << c.what;
    }
}

TEST_F(WorkFoldersTest, TheUsersCacheFolderFollowsXdgCacheHomeOrHome) {
    struct Case {
        std::optional<std::string> cacheHome;
        fs::path expected;
    } cases[] = {
        {(root / "cache").string(), root / "cache/tallyvex"},
        // A relative one is ignored, as the base directory rules say.
        {std::string("relative/cache"), root / "home/.cache/tallyvex"},
        {std::nullopt, root / "home/.cache/tallyvex"},
        {std::string(""), root / "home/.cache/tallyvex"},
    };
    EnvironmentGuard home("HOME", (root / "home").string());
    for (const auto& c : cases) {
        EnvironmentGuard cacheHome("XDG_CACHE_HOME", c.cacheHome);
        EXPECT_EQ(analysis::userCacheFolder(), c.expected) << c.cacheHome.value_or("(unset)");
    }
}

TEST_F(WorkFoldersTest, BothWorkingFoldersAreMadeWithTheFoldersAboveThem) {
    const analysis::WorkFolders folders{root / "cache/tallyvex/tempprjfiles",
                                        root / "data/tallyvex/verhis"};
    analysis::createWorkFolders(folders);
    EXPECT_TRUE(fs::is_directory(folders.workingCopies));
    EXPECT_TRUE(fs::is_directory(folders.history));
    // Neither gets the other's folder.
    EXPECT_FALSE(fs::exists(root / "data/tallyvex/tempprjfiles"));
    EXPECT_FALSE(fs::exists(root / "cache/tallyvex/verhis"));
    // One that cannot be made (below a file) is passed over; the other is made.
    root.write("blocked", "x");
    const analysis::WorkFolders half{root / "blocked/tempprjfiles", root / "other/verhis"};
    analysis::createWorkFolders(half);
    EXPECT_TRUE(fs::is_directory(half.history));
}

}  // namespace
}  // namespace tlvx::test
