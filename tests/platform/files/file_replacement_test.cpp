#include "platform/files/file_replacement.h"

#include <signal.h>
#include <sys/resource.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <gtest/gtest.h>

#include <atomic>
#include <string>
#include <thread>
#include <vector>

#include "tests/support/temp_dir.h"

namespace fs = std::filesystem;
using tlvx::platform::FileReplacement;
using tlvx::platform::replaceFileContent;
using tlvx::test::TempDir;

namespace {

std::vector<std::string> namesIn(const fs::path& folder) {
    std::vector<std::string> names;
    for (const auto& entry : fs::directory_iterator(folder))
        names.push_back(entry.path().filename());
    return names;
}

mode_t modeOf(const fs::path& file) {
    struct stat st {};
    ::stat(file.c_str(), &st);
    return st.st_mode & 07777;
}

}  // namespace

TEST(FileReplacement, ReplacesTheContentAndLeavesNothingBehind) {
    TempDir dir;
    const auto target = dir.write("data.txt", "old content that is longer");
    std::string big(200 * 1024, 'b');
    {
        FileReplacement replacement(target);
        ASSERT_TRUE(replacement.ok());
        replacement.write("head ");
        replacement.write(big);
        replacement.write(" tail");
        EXPECT_EQ(TempDir::read(target), "old content that is longer");
        EXPECT_TRUE(replacement.commit());
    }
    EXPECT_EQ(TempDir::read(target), "head " + big + " tail");
    EXPECT_EQ(namesIn(dir.path()), std::vector<std::string>{"data.txt"});
}

TEST(FileReplacement, WritesBesideTheTargetUnderAHiddenUniqueName) {
    TempDir dir;
    const auto target = dir / "out.txt";
    FileReplacement first(target);
    FileReplacement second(target);
    ASSERT_TRUE(first.ok() && second.ok());
    const auto names = namesIn(dir.path());
    ASSERT_EQ(names.size(), 2u);
    EXPECT_NE(names[0], names[1]);
    for (const auto& name : names) EXPECT_EQ(name.rfind(".out.txt.", 0), 0u) << name;
}

TEST(FileReplacement, WithoutCommitTheTargetStaysAndTheNewFileGoes) {
    TempDir dir;
    const auto target = dir.write("keep.txt", "original");
    {
        FileReplacement replacement(target);
        replacement.write("never seen");
    }
    EXPECT_EQ(TempDir::read(target), "original");
    EXPECT_EQ(namesIn(dir.path()), std::vector<std::string>{"keep.txt"});
}

TEST(FileReplacement, KeepsTheTargetsPermissionsOrUsesTheUmask) {
    TempDir dir;
    const auto existing = dir.write("ro.txt", "x");
    fs::permissions(existing, fs::perms::owner_read | fs::perms::group_read);
    ASSERT_TRUE(replaceFileContent(existing, "y"));
    EXPECT_EQ(modeOf(existing), 0440u);

    const mode_t previous = ::umask(027);
    const bool created = replaceFileContent(dir / "new.txt", "z");
    ::umask(previous);
    ASSERT_TRUE(created);
    EXPECT_EQ(modeOf(dir / "new.txt"), 0640u);
}

TEST(FileReplacement, ReplacesTheFileALinkNamesAndKeepsTheLink) {
    TempDir dir;
    const auto real = dir.write("real.txt", "old");
    fs::create_symlink("real.txt", dir / "link.txt");
    ASSERT_TRUE(replaceFileContent(dir / "link.txt", "new"));
    EXPECT_TRUE(fs::is_symlink(dir / "link.txt"));
    EXPECT_EQ(TempDir::read(real), "new");
}

TEST(FileReplacement, FailsWithoutTouchingAnythingWhenTheFolderIsMissing) {
    TempDir dir;
    FileReplacement replacement(dir / "missing/file.txt");
    EXPECT_FALSE(replacement.ok());
    replacement.write("x");
    EXPECT_FALSE(replacement.commit());
    EXPECT_FALSE(fs::exists(dir / "missing"));
}

TEST(FileReplacement, FailsWhenTheTargetIsAFolder) {
    TempDir dir;
    fs::create_directory(dir / "folder");
    EXPECT_FALSE(replaceFileContent(dir / "folder", "x"));
    EXPECT_TRUE(fs::is_directory(dir / "folder"));
    EXPECT_EQ(namesIn(dir.path()), std::vector<std::string>{"folder"});
}

TEST(FileReplacement, AFailedWriteLeavesTheTargetAsItWas) {
    TempDir dir;
    const auto target = dir.write("limited.txt", "original");
    // A file-size limit makes the writes fail part way, also for root. The
    // child reports 0 when commit() refused, 1 when it claimed success.
    const pid_t child = ::fork();
    ASSERT_GE(child, 0);
    if (child == 0) {
        ::signal(SIGXFSZ, SIG_IGN);
        const rlimit limit{100 * 1024, 100 * 1024};
        ::setrlimit(RLIMIT_FSIZE, &limit);
        FileReplacement replacement(target);
        for (int i = 0; i < 10; ++i) replacement.write(std::string(50 * 1024, 'x'));
        const bool committed = replacement.commit();
        ::_exit(committed ? 1 : 0);
    }
    int status = 0;
    ASSERT_EQ(::waitpid(child, &status, 0), child);
    ASSERT_TRUE(WIFEXITED(status));
    EXPECT_EQ(WEXITSTATUS(status), 0);
    EXPECT_EQ(TempDir::read(target), "original");
    EXPECT_EQ(namesIn(dir.path()), std::vector<std::string>{"limited.txt"});
}

TEST(FileReplacement, ConcurrentReplacementsNeverMix) {
    TempDir dir;
    const auto target = dir.write("shared.txt", std::string(300 * 1024, '0'));
    std::atomic<bool> done{false};
    std::atomic<int> mixed{0};
    std::thread reader([&] {
        while (!done) {
            const std::string text = TempDir::read(target);
            if (text.size() != 300 * 1024 || text.find_first_not_of(text[0]) != std::string::npos) {
                ++mixed;
            }
        }
    });
    std::vector<std::thread> writers;
    std::atomic<int> failures{0};
    for (char c = '1'; c <= '4'; ++c) {
        writers.emplace_back([&, c] {
            for (int i = 0; i < 20; ++i) {
                FileReplacement replacement(target);
                // Many small writes interleave with the other threads' ones.
                for (int k = 0; k < 300; ++k) replacement.write(std::string(1024, c));
                if (!replacement.commit()) ++failures;
            }
        });
    }
    for (auto& writer : writers) writer.join();
    done = true;
    reader.join();
    EXPECT_EQ(failures, 0);
    EXPECT_EQ(mixed, 0);
    EXPECT_EQ(namesIn(dir.path()), std::vector<std::string>{"shared.txt"});
}

TEST(FileReplacement, ANewFileNeverReplacesOneThatExists) {
    TempDir dir;
    const fs::path target = dir / "new.bin";
    {
        FileReplacement file(target);
        file.write("first");
        // Until the commit, nothing bears the target's name.
        EXPECT_FALSE(fs::exists(target));
        EXPECT_TRUE(file.commitAsNewFile());
    }
    EXPECT_EQ(TempDir::read(target), "first");
    FileReplacement second(target);
    second.write("second");
    EXPECT_FALSE(second.commitAsNewFile());
    EXPECT_EQ(second.error(), EEXIST);
    EXPECT_EQ(TempDir::read(target), "first");
    EXPECT_EQ(namesIn(dir.path()), std::vector<std::string>{"new.bin"});

    FileReplacement nowhere(dir / "missing" / "x.bin");
    EXPECT_FALSE(nowhere.ok());
    EXPECT_EQ(nowhere.error(), ENOENT);
}
