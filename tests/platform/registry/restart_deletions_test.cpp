#include "platform/registry/restart_deletions.h"

#include <gtest/gtest.h>

#include <fstream>

#include "platform/process/boot_id.h"
#include "tests/support/temp_dir.h"

namespace {

namespace fs = std::filesystem;
namespace restart = tlvx::platform::restart;
using restart::Operation;
using tlvx::platform::RegistryStore;
using tlvx::platform::RegistryValue;
using tlvx::test::TempDir;
using Operations = std::vector<Operation>;

constexpr uint32_t HKLM = tlvx::platform::regroot::LocalMachine;
const std::string kThisRun = "11111111-1111-1111-1111-111111111111";
const std::string kNextRun = "22222222-2222-2222-2222-222222222222";

class RestartDeletionsTest : public ::testing::Test {
protected:
    fs::path storeFile() const { return dir_ / "store" / "registry.sqlite"; }

    TempDir dir_;
    RegistryStore store_{storeFile()};
};

std::u16string u16(const fs::path& path) {
    const std::string& text = path.native();
    return std::u16string(text.begin(), text.end());
}

}  // namespace

TEST(BootId, IsTheKernelsIdForThisRun) {
    const std::string id = tlvx::platform::currentBootId();
    EXPECT_EQ(id.size(), 36u) << id;
    EXPECT_EQ(id, tlvx::platform::currentBootId());
}

TEST_F(RestartDeletionsTest, DeletesInTheNextRunOnly) {
    const auto file = dir_.write("old.log", "x");
    const auto emptyFolder = dir_ / "empty";
    fs::create_directory(emptyFolder);
    const auto fullFolder = dir_ / "full";
    dir_.write("full/keep.txt", "keep");
    for (const auto& path : {file, emptyFolder, fullFolder, file}) {
        ASSERT_TRUE(restart::scheduleDeletion(store_, path, kThisRun));
    }
    EXPECT_EQ(restart::pendingOperations(store_),
              (Operations{{u16(file), u""}, {u16(emptyFolder), u""}, {u16(fullFolder), u""}}))
        << "a file asked for twice is deleted once";

    EXPECT_EQ(restart::carryOutDueOperations(store_, kThisRun), 0u);
    EXPECT_TRUE(fs::exists(file));
    EXPECT_EQ(restart::pendingOperations(store_).size(), 3u);

    // Only files and empty folders go, as at a Windows start.
    EXPECT_EQ(restart::carryOutDueOperations(store_, kNextRun), 2u);
    EXPECT_FALSE(fs::exists(file));
    EXPECT_FALSE(fs::exists(emptyFolder));
    EXPECT_EQ(TempDir::read(fullFolder / "keep.txt"), "keep");
    EXPECT_TRUE(restart::pendingOperations(store_).empty());
    EXPECT_FALSE(store_.getValue(HKLM, restart::kSessionManagerKey, restart::kBootIdValue));
    EXPECT_EQ(restart::carryOutDueOperations(store_, kNextRun), 0u);
}

TEST_F(RestartDeletionsTest, KeepsTheListAsWindowsKeepsIt) {
    const auto a = dir_.write("a", "");
    const auto b = dir_.write("b", "");
    ASSERT_TRUE(restart::scheduleDeletion(store_, a, kThisRun));
    ASSERT_TRUE(restart::scheduleDeletion(store_, b, kThisRun));
    const auto value =
        store_.getValue(HKLM, restart::kSessionManagerKey, restart::kOperationsValue);
    ASSERT_TRUE(value);
    // Path, empty new name, path, empty new name, end of list.
    const std::u16string units = u16(a) + u'\0' + u'\0' + u16(b) + u'\0' + u'\0' + u'\0';
    EXPECT_EQ(*value, RegistryValue::fromAnsi(tlvx::platform::regtype::MultiSz,
                                              std::string(units.begin(), units.end())));
    EXPECT_EQ(store_.getValue(HKLM, restart::kSessionManagerKey, restart::kBootIdValue)->toString(),
              u"11111111-1111-1111-1111-111111111111");
}

TEST_F(RestartDeletionsTest, AListWrittenByOthersIsNeverCarriedOut) {
    // A rename and a deletion put in the list by another writer (a hive
    // restored before the Registry class refused it, an older program):
    // neither has the identity of its folder, so neither is carried out.
    const auto from = dir_.write("from.txt", "moved");
    const auto victim = dir_.write("victim.txt", "stays");
    std::u16string units;
    for (const auto& text : {u16(from), u16(dir_ / "to.txt"), u16(victim), std::u16string()}) {
        units += text + u'\0';
    }
    units += u'\0';
    ASSERT_TRUE(store_.setValue(HKLM, restart::kSessionManagerKey, restart::kOperationsValue,
                                RegistryValue::fromAnsi(tlvx::platform::regtype::MultiSz,
                                                        std::string(units.begin(), units.end()))));
    EXPECT_EQ(restart::carryOutDueOperations(store_, kNextRun), 0u);
    EXPECT_EQ(TempDir::read(from), "moved");
    EXPECT_FALSE(fs::exists(dir_ / "to.txt"));
    EXPECT_EQ(TempDir::read(victim), "stays");
    EXPECT_TRUE(restart::pendingOperations(store_).empty()) << "the list is dropped";

    // An entry of ours next to a foreign one keeps its own identity only.
    ASSERT_TRUE(store_.setValue(HKLM, restart::kSessionManagerKey, restart::kOperationsValue,
                                RegistryValue::fromAnsi(tlvx::platform::regtype::MultiSz,
                                                        std::string(units.begin(), units.end()))));
    const auto ours = dir_.write("ours.tmp", "");
    ASSERT_TRUE(restart::scheduleDeletion(store_, ours, kThisRun));
    EXPECT_EQ(restart::carryOutDueOperations(store_, kNextRun), 1u);
    EXPECT_FALSE(fs::exists(ours));
    EXPECT_EQ(TempDir::read(victim), "stays");
}

// A deletion queued for shared/sub/file, and what happens to its folders
// before the next start.
struct FolderChange {
    const char* name;
    void (*change)(const fs::path& shared, const fs::path& elsewhere);
    bool carriedOut;
};

const FolderChange kFolderChanges[] = {
    {"nothing", [](const fs::path&, const fs::path&) {}, true},
    {"the folder became a link",
     [](const fs::path& shared, const fs::path& elsewhere) {
         fs::rename(shared / "sub", shared / "sub.old");
         fs::create_directory_symlink(elsewhere, shared / "sub");
     },
     false},
    {"a parent of the folder became a link",
     [](const fs::path& shared, const fs::path& elsewhere) {
         fs::create_directories(elsewhere / "shared");
         fs::create_directory_symlink(elsewhere, elsewhere / "shared" / "sub");
         fs::rename(shared, shared.parent_path() / "shared.old");
         fs::create_directory_symlink(elsewhere / "shared", shared);
     },
     false},
    // The same folder, moved: only the link tells.
    {"the folder moved and a link leads to it",
     [](const fs::path& shared, const fs::path& elsewhere) {
         fs::rename(shared / "sub", elsewhere / "sub");
         fs::create_directory_symlink(elsewhere / "sub", shared / "sub");
     },
     false},
    {"the folder was replaced by another folder",
     [](const fs::path& shared, const fs::path&) {
         fs::rename(shared / "sub", shared / "sub.old");
         fs::create_directory(shared / "sub");
         std::ofstream(shared / "sub" / "file") << "new";
     },
     false},
};

TEST_F(RestartDeletionsTest, ADeletionNeverFollowsALinkThatWasNotThereWhenQueued) {
    for (const FolderChange& row : kFolderChanges) {
        SCOPED_TRACE(row.name);
        TempDir dir;
        const fs::path shared = dir / "shared";
        const fs::path elsewhere = dir / "elsewhere";
        const auto queued = dir.write("shared/sub/file", "queued");
        const auto target = dir.write("elsewhere/file", "must stay");
        RegistryStore store(dir / "registry.sqlite");
        ASSERT_TRUE(restart::scheduleDeletion(store, queued, kThisRun));

        row.change(shared, elsewhere);
        EXPECT_EQ(restart::carryOutDueOperations(store, kNextRun), row.carriedOut ? 1u : 0u);
        EXPECT_EQ(TempDir::read(target), "must stay");
        // Through the link, or in the replacing folder: that file stays.
        EXPECT_EQ(fs::exists(shared / "sub" / "file"), !row.carriedOut);
        EXPECT_TRUE(restart::pendingOperations(store).empty()) << "the entry is gone either way";
    }
}

TEST_F(RestartDeletionsTest, APathThroughALinkIsQueuedAsTheFolderItLeadsTo) {
    const auto file = dir_.write("real/file", "x");
    fs::create_directory_symlink(dir_ / "real", dir_ / "via");
    ASSERT_TRUE(restart::scheduleDeletion(store_, dir_ / "via" / "file", kThisRun));
    EXPECT_EQ(restart::pendingOperations(store_), (Operations{{u16(file), u""}}));
    EXPECT_EQ(restart::carryOutDueOperations(store_, kNextRun), 1u);
    EXPECT_FALSE(fs::exists(file));
    EXPECT_TRUE(fs::exists(dir_ / "via"));
}

TEST_F(RestartDeletionsTest, AskingInALaterRunCarriesOutWhatIsDueFirst) {
    const auto old = dir_.write("old", "");
    const auto fresh = dir_.write("fresh", "");
    ASSERT_TRUE(restart::scheduleDeletion(store_, old, kThisRun));
    ASSERT_TRUE(restart::scheduleDeletion(store_, fresh, kNextRun));
    EXPECT_FALSE(fs::exists(old));
    EXPECT_TRUE(fs::exists(fresh));
    EXPECT_EQ(restart::pendingOperations(store_), (Operations{{u16(fresh), u""}}));
}

TEST_F(RestartDeletionsTest, RefusesWhatItCouldNotKeepOrTell) {
    const auto file = dir_.write("f", "");
    EXPECT_FALSE(restart::scheduleDeletion(store_, file, ""));
    EXPECT_FALSE(restart::scheduleDeletion(store_, "relative/name", kThisRun));
    EXPECT_FALSE(restart::scheduleDeletion(store_, dir_ / "caf\xE9", kThisRun));
    EXPECT_FALSE(restart::scheduleDeletion(store_, dir_ / "no-such-folder" / "f", kThisRun));
    EXPECT_FALSE(restart::scheduleDeletion(store_, dir_ / "..", kThisRun));
    EXPECT_FALSE(fs::exists(storeFile())) << "nothing was written";
    // Nothing pending: carrying out is a look-up that makes no store.
    EXPECT_EQ(restart::carryOutDueOperations(store_, kNextRun), 0u);
    EXPECT_FALSE(fs::exists(storeFile()));

    RegistryStore unwritable(dir_ / "no-such-folder-file" / "x.sqlite");
    dir_.write("no-such-folder-file", "a file, not a folder");
    EXPECT_FALSE(restart::scheduleDeletion(unwritable, file, kThisRun));
}
