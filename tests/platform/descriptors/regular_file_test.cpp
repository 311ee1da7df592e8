#include "platform/descriptors/regular_file.h"

#include <sys/stat.h>
#include <unistd.h>

#include <gtest/gtest.h>

#include <string>

#include "platform/files/file_blocks.h"
#include "platform/files/file_replacement.h"
#include "platform/files/line_input.h"
#include "platform/files/profile_file.h"
#include "platform/files/text_stream.h"
#include "tests/support/non_regular_files.h"
#include "tests/support/temp_dir.h"

namespace fs = std::filesystem;
using namespace tlvx::platform;
using tlvx::test::NonRegularKind;
using tlvx::test::runGuarded;
using tlvx::test::TempDir;

namespace {

constexpr const char* kPassed = "passed";

// A sparse file of `size` bytes: nothing is written, the size is what counts.
fs::path sparseFile(const TempDir& dir, std::string_view name, std::uint64_t size) {
    const auto path = dir.write(name, "");
    fs::resize_file(path, size);
    return path;
}

class NonRegularFileTest : public ::testing::TestWithParam<NonRegularKind> {
protected:
    void SetUp() override { tlvx::test::makeNonRegular(GetParam(), path); }
    bool unchanged() const { return tlvx::test::isStillNonRegular(GetParam(), path); }

    TempDir dir;
    const fs::path path = dir / "odd.ini";
};

FileRefusal expectedRefusal(NonRegularKind kind) {
    switch (kind) {
        case NonRegularKind::Folder:
            return FileRefusal::Folder;
        case NonRegularKind::DanglingLink:
            return FileRefusal::Missing;
        default:
            return FileRefusal::NotRegular;
    }
}

}  // namespace

TEST_P(NonRegularFileTest, TheOpenerRefusesWithoutWaiting) {
    const FileRefusal want = expectedRefusal(GetParam());
    EXPECT_EQ(runGuarded([&] {
                  const auto file = RegularFile::openForReading(path);
                  return !file && file.refusal() == want && !describeRefusal(file).empty();
              }),
              kPassed);
    EXPECT_EQ(runGuarded([&] {
                  const auto file = RegularFile::openForAppend(path);
                  return !file && file.refusal() == want;
              }),
              kPassed);
    EXPECT_FALSE(isReplaceable(path));
    EXPECT_TRUE(unchanged());
    // A link that names nothing is never followed to make its target.
    EXPECT_FALSE(fs::exists(dir / "odd.ini.nothing"));
}

TEST_P(NonRegularFileTest, EveryReaderGivesItsFailureResult) {
    EXPECT_EQ(runGuarded([&] { return !LineInput().open(path); }), kPassed) << "line input";
    EXPECT_EQ(runGuarded([&] {
                  TextStream stream;
                  return !stream.open(path) && stream.atEndOfStream();
              }),
              kPassed)
        << "text stream";
    EXPECT_EQ(runGuarded([&] { return !readAll(path, kAnyFileSize); }), kPassed) << "whole file";
    EXPECT_EQ(runGuarded([&] { return !readLastLine(path); }), kPassed) << "last line";
    EXPECT_EQ(
        runGuarded([&] { return !readBlocks(path, 4096, [](std::string_view) { return true; }); }),
        kPassed)
        << "blocks";
    EXPECT_EQ(
        runGuarded([&] { return profile::readString(path, "s", "k", "default") == "default"; }),
        kPassed)
        << "profile reader";
}

TEST_P(NonRegularFileTest, EveryWriterRefusesAndLeavesItAsItIs) {
    EXPECT_EQ(runGuarded([&] { return !profile::writeString(path, "s", "k", "v"); }), kPassed)
        << "profile writer";
    EXPECT_EQ(runGuarded([&] { return !replaceFileContent(path, "x"); }), kPassed) << "replacement";
    EXPECT_TRUE(unchanged());
    EXPECT_FALSE(fs::exists(dir / "odd.ini.nothing"));
}

INSTANTIATE_TEST_SUITE_P(Kinds, NonRegularFileTest,
                         ::testing::ValuesIn(tlvx::test::kNonRegularKinds),
                         [](const auto& kind) { return tlvx::test::kindName(kind.param); });

TEST(RegularFile, ReadsRegularFilesAlsoThroughLinksAndTellsTheirSize) {
    TempDir dir;
    const auto file = dir.write("a.txt", "abc");
    fs::create_symlink(file, dir / "link.txt");
    for (const auto& name : {file, dir / "link.txt"}) {
        auto opened = RegularFile::openForReading(name);
        ASSERT_TRUE(opened) << name;
        EXPECT_EQ(opened.size(), 3u);
        char bytes[4] = {};
        EXPECT_EQ(::read(opened.fd(), bytes, sizeof bytes), 3);
        EXPECT_STREQ(bytes, "abc");
    }
    const auto missing = RegularFile::openForReading(dir / "none");
    EXPECT_EQ(missing.refusal(), FileRefusal::Missing);
    EXPECT_EQ(RegularFile::openForReading(dir / "a.txt/below").refusal(), FileRefusal::Missing);
}

TEST(RegularFile, OversizedFilesAreRefusedOnlyWhereABoundIsAsked) {
    TempDir dir;
    const auto big = sparseFile(dir, "big.vbp", 100'000'000);
    const auto refused = RegularFile::openForReading(big, kMaxWholeFileSize);
    EXPECT_EQ(refused.refusal(), FileRefusal::TooLarge);
    EXPECT_EQ(describeRefusal(refused), "larger than 64 MiB");
    EXPECT_FALSE(readAll(big));
    EXPECT_TRUE(RegularFile::openForReading(big));
    EXPECT_FALSE(LineInput().open(big, kMaxWholeFileSize));
    EXPECT_TRUE(LineInput().open(big));

    const auto edge = sparseFile(dir, "edge.ini", kMaxWholeFileSize);
    EXPECT_TRUE(RegularFile::openForReading(edge, kMaxWholeFileSize));
    EXPECT_EQ(readAll(dir.write("small.txt", "abcd"), 3), std::nullopt);
    EXPECT_EQ(readAll(dir / "small.txt", 4), "abcd");
}

TEST(RegularFile, AppendCreatesTheFileOrExtendsTheExistingOne) {
    TempDir dir;
    {
        auto created = RegularFile::openForAppend(dir / "new.txt", 0600);
        ASSERT_TRUE(created);
        EXPECT_EQ(::write(created.fd(), "a", 1), 1);
    }
    struct stat st {};
    ASSERT_EQ(::stat((dir / "new.txt").c_str(), &st), 0);
    EXPECT_EQ(st.st_mode & 0777, 0600u);
    fs::create_symlink("new.txt", dir / "link.txt");
    {
        auto existing = RegularFile::openForAppend(dir / "link.txt");
        ASSERT_TRUE(existing);
        EXPECT_EQ(existing.size(), 1u);
        EXPECT_EQ(::write(existing.fd(), "b", 1), 1);
    }
    EXPECT_EQ(TempDir::read(dir / "new.txt"), "ab");
    EXPECT_EQ(RegularFile::openForAppend(dir / "nofolder/x.txt").refusal(), FileRefusal::Missing);
}

TEST(RegularFile, ARewriteReplacesRegularFilesAndMakesNewOnes) {
    TempDir dir;
    EXPECT_TRUE(isReplaceable(dir / "new.txt"));
    EXPECT_TRUE(isReplaceable(dir.write("old.txt", "x")));
    fs::create_symlink("old.txt", dir / "link.txt");
    EXPECT_TRUE(isReplaceable(dir / "link.txt"));
    EXPECT_FALSE(isReplaceable(dir / "old.txt/below"));
}

// Files whose reported size says nothing: a pseudo-file of size 0 that reads
// as the whole address space, and one whose every read fails. Every reader
// stops at the whole-file bound (or the error) and reports a failure.
TEST(RegularFile, PseudoFilesAreReadNoFurtherThanTheBound) {
    for (const char* path : {"/proc/self/pagemap", "/proc/self/mem"}) {
        if (!fs::exists(path)) continue;
        const auto opened = RegularFile::openForReading(path);
        ASSERT_TRUE(opened) << path;
        EXPECT_TRUE(opened.isPseudo()) << path;
        EXPECT_EQ(opened.readBound(), kMaxWholeFileSize) << path;
        EXPECT_EQ(runGuarded([&] { return !readAll(path, kAnyFileSize); }, 30), kPassed) << path;
        EXPECT_EQ(runGuarded([&] { return !readLastLine(path); }, 30), kPassed) << path;
        EXPECT_EQ(runGuarded(
                      [&] {
                          std::uint64_t seen = 0;
                          const bool read = readBlocks(path, 65536, [&](std::string_view block) {
                              seen += block.size();
                              return true;
                          });
                          return !read && seen <= kMaxWholeFileSize;
                      },
                      30),
                  kPassed)
            << path;
        EXPECT_EQ(runGuarded(
                      [&] {
                          LineInput input;
                          std::string line;
                          return input.open(path) && !input.readLine(line) && input.failed();
                      },
                      30),
                  kPassed)
            << path;
        EXPECT_EQ(runGuarded(
                      [&] {
                          TextStream stream;
                          if (!stream.open(path)) return false;
                          while (!stream.atEndOfStream()) (void)stream.readLine();
                          return stream.failed();
                      },
                      30),
                  kPassed)
            << path;
    }
}

TEST(RegularFile, OnlyASizeOfZeroOrAPseudoFileSystemBoundsTheReading) {
    TempDir dir;
    const auto empty = RegularFile::openForReading(dir.write("empty.txt", ""));
    EXPECT_FALSE(empty.isPseudo());
    EXPECT_EQ(empty.readBound(), kMaxWholeFileSize);
    const auto text = RegularFile::openForReading(dir.write("text.txt", "abc"));
    EXPECT_FALSE(text.isPseudo());
    EXPECT_EQ(text.readBound(), kAnyFileSize);
}

// A line longer than the whole-file bound is never held: the line readers
// end with a failure, while readers in parts go on.
TEST(RegularFile, ALineLongerThanTheBoundEndsTheLineReaders) {
    TempDir dir;
    const auto path = sparseFile(dir, "long.txt", kMaxWholeFileSize + (1u << 20));
    EXPECT_EQ(runGuarded(
                  [&] {
                      LineInput input;
                      std::string line = "x";
                      return input.open(path) && !input.readLine(line) && line.empty() &&
                             input.failed() && !input.readLine(line);
                  },
                  30),
              kPassed);
    EXPECT_EQ(runGuarded(
                  [&] {
                      TextStream stream;
                      return stream.open(path) && stream.readLine().empty() && stream.failed() &&
                             stream.atEndOfStream();
                  },
                  30),
              kPassed);
    EXPECT_EQ(runGuarded(
                  [&] {
                      LineInput input;
                      std::string part;
                      bool complete = false;
                      std::uint64_t total = 0;
                      if (!input.open(path)) return false;
                      while (input.readLinePart(part, 1u << 20, complete)) total += part.size();
                      return !input.failed() && total == kMaxWholeFileSize + (1u << 20);
                  },
                  30),
              kPassed);
}
