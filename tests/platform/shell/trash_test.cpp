#include "platform/shell/trash.h"

#include <fcntl.h>
#include <sys/resource.h>
#include <sys/socket.h>
#include <sys/stat.h>
#include <sys/un.h>
#include <unistd.h>

#include <gtest/gtest.h>

#include <fstream>
#include <set>
#include <thread>

#include "platform/text/percent_encoding.h"
#include "tests/support/environment_guard.h"
#include "tests/support/non_regular_files.h"
#include "tests/support/temp_dir.h"

namespace {

namespace fs = std::filesystem;
namespace trash = tlvx::platform::trash;
using tlvx::test::TempDir;

std::set<std::string> namesIn(const fs::path& folder) {
    std::set<std::string> names;
    std::error_code ec;
    for (const auto& entry : fs::directory_iterator(folder, ec))
        names.insert(entry.path().filename());
    return names;
}

// A folder on another file system than the test's temporary folder, when
// the machine has one (/dev/shm is a tmpfs on most).
class OtherFileSystemDir {
public:
    explicit OtherFileSystemDir(const fs::path& notOn) {
        struct stat here {
        }, there{};
        if (::stat(notOn.c_str(), &here) != 0 || ::stat("/dev/shm", &there) != 0 ||
            here.st_dev == there.st_dev) {
            return;
        }
        std::string pattern = "/dev/shm/tlvx-test-XXXXXX";
        if (::mkdtemp(pattern.data())) path_ = pattern;
    }
    ~OtherFileSystemDir() {
        std::error_code ec;
        if (!path_.empty()) fs::remove_all(path_, ec);
    }
    const fs::path& path() const { return path_; }

private:
    fs::path path_;
};

class TrashTest : public ::testing::Test {
protected:
    std::string info(const std::string& name) const {
        return TempDir::read(trash_ / "info" / (name + ".trashinfo"));
    }
    fs::path trashed(const std::string& name) const { return trash_ / "files" / name; }

    TempDir dir_;
    fs::path trash_ = dir_ / "data" / "Trash";
};

}  // namespace

TEST_F(TrashTest, MovesAFileWithItsInfo) {
    const auto file = dir_.write("work/caf\xC3\xA9 50%.txt", "content");
    ASSERT_TRUE(trash::moveToTrash(file, trash_));
    EXPECT_FALSE(fs::exists(file));
    EXPECT_EQ(TempDir::read(trashed("caf\xC3\xA9 50%.txt")), "content");
    const std::string text = info("caf\xC3\xA9 50%.txt");
    const std::string path = tlvx::platform::percent::encodePath(file.string());
    const std::string head = "[Trash Info]\nPath=" + path + "\nDeletionDate=";
    ASSERT_TRUE(text.starts_with(head)) << text;
    // DeletionDate=YYYY-MM-DDThh:mm:ss, local time.
    const std::string date = text.substr(head.size());
    ASSERT_EQ(date.size(), 20u) << text;
    for (std::size_t i = 0; i < 19; ++i) {
        const char expected = i == 4 || i == 7     ? '-'
                              : i == 10            ? 'T'
                              : i == 13 || i == 16 ? ':'
                                                   : '0';
        if (expected == '0') {
            EXPECT_TRUE(date[i] >= '0' && date[i] <= '9') << date;
        } else {
            EXPECT_EQ(date[i], expected) << date;
        }
    }
    EXPECT_EQ(date.back(), '\n');
    EXPECT_NE(path.find("caf%C3%A9%2050%25.txt"), std::string::npos);
    EXPECT_EQ(tlvx::platform::percent::decode(path), file.string());
    EXPECT_EQ(tlvx::platform::percent::decode("%4"), std::nullopt);
    EXPECT_EQ(tlvx::platform::percent::decode("%zz"), std::nullopt);

    struct stat mode {};
    ASSERT_EQ(::stat(trash_.c_str(), &mode), 0);
    EXPECT_EQ(mode.st_mode & 0777, 0700u) << "the trash is the user's alone";
}

TEST_F(TrashTest, SameNamesGetNumbersBeforeTheirExtension) {
    for (int i = 0; i < 3; ++i) {
        ASSERT_TRUE(trash::moveToTrash(dir_.write("a/report.txt", std::to_string(i)), trash_));
        ASSERT_TRUE(trash::moveToTrash(dir_.write("a/.hidden", "h"), trash_));
        ASSERT_TRUE(trash::moveToTrash(dir_.write("a/Makefile", "m"), trash_));
    }
    EXPECT_EQ(
        namesIn(trash_ / "files"),
        (std::set<std::string>{"report.txt", "report.2.txt", "report.3.txt", ".hidden", ".hidden.2",
                               ".hidden.3", "Makefile", "Makefile.2", "Makefile.3"}));
    EXPECT_EQ(TempDir::read(trashed("report.3.txt")), "2");
    EXPECT_EQ(namesIn(trash_ / "info").size(), 9u);
    // A name some item holds without its info is not taken either.
    dir_.write("data/Trash/files/orphan.txt", "");
    ASSERT_TRUE(trash::moveToTrash(dir_.write("b/orphan.txt", "new"), trash_));
    EXPECT_EQ(TempDir::read(trashed("orphan.2.txt")), "new");
}

TEST_F(TrashTest, NamesAreCutToFitTheInfoFile) {
    std::string valid = std::string(200, 'x');
    for (int i = 0; i < 20; ++i) valid += "\xC3\xA9";  // 240 bytes of UTF-8
    valid += ".text";
    ASSERT_TRUE(trash::moveToTrash(dir_.write(valid, "1"), trash_));
    ASSERT_TRUE(trash::moveToTrash(dir_.write(valid, "2"), trash_));
    for (const auto& name : namesIn(trash_ / "info")) EXPECT_LE(name.size(), 255u) << name;
    EXPECT_EQ(namesIn(trash_ / "files").size(), 2u);
    for (const auto& name : namesIn(trash_ / "files")) {
        EXPECT_TRUE(name.ends_with(".text")) << name;
        // Cut between characters, never inside one.
        EXPECT_NE(static_cast<unsigned char>(name[name.find('.') - 1]), 0xC3u) << name;
    }
}

TEST_F(TrashTest, FoldersAndLinksMoveAsTheyAre) {
    dir_.write("tree/sub/deep.txt", "deep");
    fs::create_symlink("sub/deep.txt", dir_ / "tree" / "link");
    const auto outsideTarget = dir_.write("target.txt", "target");
    fs::create_symlink(outsideTarget, dir_ / "alias");
    fs::create_symlink(dir_ / "nothing", dir_ / "dangling");
    ASSERT_TRUE(trash::moveToTrash(dir_ / "tree", trash_));
    ASSERT_TRUE(trash::moveToTrash(dir_ / "alias", trash_));
    ASSERT_TRUE(trash::moveToTrash(dir_ / "dangling/", trash_));
    EXPECT_EQ(TempDir::read(trashed("tree") / "link"), "deep");
    EXPECT_TRUE(fs::is_symlink(trashed("alias")));
    EXPECT_TRUE(fs::is_symlink(trashed("dangling")));
    EXPECT_EQ(TempDir::read(outsideTarget), "target") << "a link's target stays";
}

TEST_F(TrashTest, RefusesWhatCannotGoThere) {
    const auto file = dir_.write("keep.txt", "keep");
    EXPECT_FALSE(trash::moveToTrash(dir_ / "missing", trash_));
    EXPECT_FALSE(trash::moveToTrash("/", trash_));
    ASSERT_TRUE(trash::moveToTrash(file, trash_));
    // The folder that holds the trash, the trash itself, what it holds.
    EXPECT_FALSE(trash::moveToTrash(dir_ / "data", trash_));
    EXPECT_FALSE(trash::moveToTrash(dir_ / "data/./Trash/", trash_));
    EXPECT_FALSE(trash::moveToTrash(trash_ / "files", trash_));
    EXPECT_FALSE(trash::moveToTrash(trashed("keep.txt"), trash_));
    EXPECT_TRUE(fs::is_directory(trash_ / "files"));
    // A trash that is no folder takes nothing.
    const auto second = dir_.write("second.txt", "2");
    EXPECT_FALSE(trash::moveToTrash(second, dir_.write("plain-file", "")));
    EXPECT_TRUE(fs::exists(second));
    EXPECT_EQ(namesIn(trash_ / "info"), std::set<std::string>{"keep.txt.trashinfo"});
}

TEST_F(TrashTest, ConcurrentMovesOfTheSameNameLoseNothing) {
    constexpr int kThreads = 4;
    constexpr int kEach = 15;
    std::vector<std::thread> threads;
    for (int t = 0; t < kThreads; ++t) {
        threads.emplace_back([&, t] {
            for (int i = 0; i < kEach; ++i) {
                const std::string content = std::to_string(t) + "-" + std::to_string(i);
                const auto file = dir_.write("t" + content + "/same.txt", content);
                EXPECT_TRUE(trash::moveToTrash(file, trash_));
            }
        });
    }
    for (auto& thread : threads) thread.join();
    std::set<std::string> contents;
    for (const auto& name : namesIn(trash_ / "files"))
        contents.insert(TempDir::read(trashed(name)));
    EXPECT_EQ(contents.size(), static_cast<std::size_t>(kThreads * kEach));
    EXPECT_EQ(namesIn(trash_ / "info").size(), static_cast<std::size_t>(kThreads * kEach));
}

TEST_F(TrashTest, AnItemOnAnotherFileSystemIsCopiedThenRemoved) {
    OtherFileSystemDir other(dir_.path());
    if (other.path().empty()) GTEST_SKIP() << "no second file system at hand";
    const fs::path item = other.path() / "project";
    fs::create_directories(item / "forms");
    {
        std::ofstream(item / "forms" / "main.frm") << "form";
        std::ofstream(item / "run.sh") << "#!/bin/sh\n";
    }
    fs::permissions(item / "run.sh", fs::perms(0751));
    fs::create_symlink("forms/main.frm", item / "link");
    ::mkfifo((item / "pipe").c_str(), 0600);
    const timespec old[2] = {{1000000000, 0}, {1000000000, 0}};
    ::utimensat(AT_FDCWD, (item / "forms" / "main.frm").c_str(), old, 0);

    ASSERT_TRUE(trash::moveToTrash(item, trash_));
    EXPECT_FALSE(fs::exists(item));
    const fs::path copy = trashed("project");
    EXPECT_EQ(TempDir::read(copy / "forms" / "main.frm"), "form");
    EXPECT_EQ(fs::status(copy / "run.sh").permissions(), fs::perms(0751));
    EXPECT_EQ(fs::read_symlink(copy / "link"), fs::path("forms/main.frm"));
    EXPECT_TRUE(fs::is_fifo(copy / "pipe"));
    struct stat times {};
    ::stat((copy / "forms" / "main.frm").c_str(), &times);
    EXPECT_EQ(times.st_mtim.tv_sec, 1000000000);
    EXPECT_NE(info("project").find("Path=" + item.string() + "\n"), std::string::npos);
}

TEST_F(TrashTest, AFailedCopyLeavesTheItemWhereItWas) {
    OtherFileSystemDir other(dir_.path());
    if (other.path().empty()) GTEST_SKIP() << "no second file system at hand";
    const fs::path item = other.path() / "folder";
    fs::create_directories(item);
    std::ofstream(item / "a.txt") << "a";
    // A socket cannot be copied.
    const int sock = ::socket(AF_UNIX, SOCK_STREAM, 0);
    sockaddr_un address{};
    address.sun_family = AF_UNIX;
    const std::string socketPath = (item / "z.sock").string();
    ASSERT_LT(socketPath.size(), sizeof address.sun_path);
    socketPath.copy(address.sun_path, socketPath.size());
    ASSERT_EQ(::bind(sock, reinterpret_cast<sockaddr*>(&address), sizeof address), 0);
    ::close(sock);

    EXPECT_FALSE(trash::moveToTrash(item, trash_));
    EXPECT_EQ(TempDir::read(item / "a.txt"), "a");
    EXPECT_TRUE(fs::is_socket(item / "z.sock"));
    EXPECT_TRUE(namesIn(trash_ / "files").empty());
    EXPECT_TRUE(namesIn(trash_ / "info").empty());
}

TEST_F(TrashTest, CountsItemsAndBytesPerDrive) {
    EXPECT_EQ(trash::contents(trash_, std::nullopt)->items, 0u);
    ASSERT_TRUE(trash::moveToTrash(dir_.write("one.txt", "12345"), trash_));
    dir_.write("tree/a.txt", "123");
    dir_.write("tree/sub/b.txt", "1234567");
    ASSERT_TRUE(trash::moveToTrash(dir_ / "tree", trash_));
    // Neither an item without info nor info without an item counts.
    dir_.write("data/Trash/files/orphan", "xxxxxxxxxx");
    dir_.write("data/Trash/info/ghost.trashinfo", "[Trash Info]\nPath=/ghost\n");

    auto all = trash::contents(trash_, std::nullopt);
    ASSERT_TRUE(all);
    EXPECT_EQ(all->items, 2u);
    EXPECT_EQ(all->bytes, 15u);
    auto here = trash::contents(trash_, dir_.path());
    ASSERT_TRUE(here);
    EXPECT_EQ(here->items, 2u);
    auto proc = trash::contents(trash_, fs::path("/proc"));
    ASSERT_TRUE(proc);
    EXPECT_EQ(proc->items, 0u) << "nothing came from that file system";
    EXPECT_EQ(trash::contents(trash_, dir_ / "no-such-drive"), std::nullopt);
    EXPECT_EQ(trash::contents(dir_ / "no-trash", std::nullopt)->items, 0u);
}

TEST_F(TrashTest, EmptyingRemovesItemsForGood) {
    ASSERT_TRUE(trash::moveToTrash(dir_.write("one.txt", "1"), trash_));
    dir_.write("tree/sub/b.txt", "b");
    ASSERT_TRUE(trash::moveToTrash(dir_ / "tree", trash_));
    // Another file system's item is left by emptying this drive's.
    dir_.write("data/Trash/files/elsewhere", "e");
    dir_.write("data/Trash/info/elsewhere.trashinfo", "[Trash Info]\nPath=/proc/x\n");
    trash::emptyTrash(trash_, dir_.path());
    EXPECT_EQ(namesIn(trash_ / "files"), std::set<std::string>{"elsewhere"});
    EXPECT_EQ(namesIn(trash_ / "info"), std::set<std::string>{"elsewhere.trashinfo"});

    dir_.write("data/Trash/files/orphan", "o");
    dir_.write("data/Trash/info/stale.trashinfo", "[Trash Info]\n");
    const timespec old[2] = {{1000000000, 0}, {1000000000, 0}};
    ::utimensat(AT_FDCWD, (trash_ / "info" / "stale.trashinfo").c_str(), old, 0);
    dir_.write("data/Trash/info/fresh.trashinfo", "[Trash Info]\n");  // a move under way
    dir_.write("data/Trash/directorysizes", "1 2 x\n");
    trash::emptyTrash(trash_, std::nullopt);
    EXPECT_TRUE(namesIn(trash_ / "files").empty());
    EXPECT_EQ(namesIn(trash_ / "info"), std::set<std::string>{"fresh.trashinfo"});
    EXPECT_FALSE(fs::exists(trash_ / "directorysizes"));
    EXPECT_EQ(trash::contents(trash_, std::nullopt)->items, 0u);
}

TEST(UserTrash, LiesInTheUsersDataFolder) {
    using tlvx::test::EnvironmentGuard;
    EnvironmentGuard home("HOME", "/home/someone");
    {
        EnvironmentGuard data("XDG_DATA_HOME", "/data/of/someone");
        EXPECT_EQ(trash::userTrash(), fs::path("/data/of/someone/Trash"));
    }
    // Never a trash relative to the current folder.
    EnvironmentGuard relative("XDG_DATA_HOME", "not/absolute");
    EXPECT_EQ(trash::userTrash(), fs::path("/home/someone/.local/share/Trash"));
    EnvironmentGuard noHome("HOME", std::nullopt);
    EXPECT_TRUE(trash::userTrash().is_absolute());
}

namespace {

// A pseudo-file of size 0 that reads as the whole address space lies on
// another file system than the trash, so moving it means copying where its
// folder may be written (procfs refuses that even to root on some systems,
// and then nothing is tried): it is never copied, and cannot be removed
// anyway. A file size limit turns a regression into a signal rather than a
// full disk.
TEST_F(TrashTest, APseudoFileIsNeverCopiedIntoTheTrash) {
    if (!fs::exists("/proc/self/pagemap")) GTEST_SKIP() << "no /proc";
    const auto check = [&] {
        const rlimit limit{64u << 20, 64u << 20};
        ::setrlimit(RLIMIT_FSIZE, &limit);
        return !trash::moveToTrash("/proc/self/pagemap", trash_);
    };
    EXPECT_EQ(tlvx::test::runGuarded(check, 30), "passed");
    EXPECT_TRUE(namesIn(trash_ / "files").empty());
}

}  // namespace
