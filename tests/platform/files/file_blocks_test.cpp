// Block reading: every byte in order, in blocks no larger than asked
// whatever the file's size, and an early stop; a reader whose caller takes
// the bytes a few at a time, and a file that grows while it is read.

#include <gtest/gtest.h>

#include <fstream>
#include <string>
#include <string_view>
#include <vector>

#include "platform/files/file_blocks.h"
#include "tests/support/temp_dir.h"

namespace tlvx::test {
namespace {

using platform::readBlocks;

std::string bytesOfSize(std::size_t size) {
    std::string bytes(size, '\0');
    for (std::size_t i = 0; i < size; ++i) bytes[i] = static_cast<char>(i * 7 + i / 251);
    return bytes;
}

std::vector<std::string> blocksOf(const std::filesystem::path& file, std::size_t blockSize) {
    std::vector<std::string> blocks;
    EXPECT_TRUE(readBlocks(file, blockSize, [&](std::string_view block) {
        blocks.emplace_back(block);
        return true;
    }));
    return blocks;
}

TEST(FileBlocks, EveryByteComesInOrderInBlocksNoLargerThanAsked) {
    TempDir dir;
    for (const std::size_t size : {std::size_t{0}, std::size_t{1}, std::size_t{4095},
                                   std::size_t{4096}, std::size_t{70'000}, std::size_t{300'001}}) {
        SCOPED_TRACE(size);
        const std::string bytes = bytesOfSize(size);
        const auto file = dir.write("data.bin", bytes);
        for (const std::size_t blockSize :
             {std::size_t{1}, std::size_t{4096}, std::size_t{65536}, std::size_t{1} << 20}) {
            SCOPED_TRACE(blockSize);
            std::string joined;
            for (const auto& block : blocksOf(file, blockSize)) {
                EXPECT_LE(block.size(), blockSize);
                EXPECT_FALSE(block.empty());
                joined += block;
            }
            EXPECT_EQ(joined, bytes);
        }
    }
}

TEST(FileBlocks, TheConsumerMayStopEarly) {
    TempDir dir;
    const auto file = dir.write("data.bin", bytesOfSize(10'000));
    int calls = 0;
    EXPECT_TRUE(readBlocks(file, 1000, [&](std::string_view) { return ++calls < 3; }));
    EXPECT_EQ(calls, 3);
}

TEST(FileBlocks, WhatIsNoRegularFileIsNotRead) {
    TempDir dir;
    int calls = 0;
    const auto count = [&](std::string_view) {
        ++calls;
        return true;
    };
    EXPECT_FALSE(readBlocks(dir / "missing", 4096, count));
    EXPECT_FALSE(readBlocks(dir.path(), 4096, count));
    EXPECT_FALSE(readBlocks("/dev/zero", 4096, count));
    EXPECT_EQ(calls, 0);
}

// The line readers take a block's bytes a few at a time: what is not taken
// comes again, and the next block is read only once all are taken.
TEST(BlockReaderTest, WhatIsNotTakenComesAgain) {
    TempDir dir;
    const auto file = dir.write("data.txt", "abcdefgh");
    platform::BlockReader reader;
    ASSERT_TRUE(reader.open(file, 3));
    EXPECT_EQ(reader.rest(), "abc");
    reader.take(1);
    EXPECT_EQ(reader.rest(), "bc");
    reader.take(2);
    EXPECT_EQ(reader.rest(), "def");
    reader.take(3);
    EXPECT_EQ(reader.rest(), "gh");
    reader.take(2);
    EXPECT_TRUE(reader.rest().empty());
    EXPECT_TRUE(reader.rest().empty());
    EXPECT_FALSE(reader.failed());
    reader.close();
    EXPECT_FALSE(reader.isOpen());
    EXPECT_TRUE(reader.rest().empty());
}

TEST(BlockReaderTest, AFileThatGrowsIsReadToItsNewEndAndTooLargeIsRefused) {
    TempDir dir;
    const auto file = dir.write("grows.txt", "12");
    platform::BlockReader reader;
    ASSERT_TRUE(reader.open(file, 4096));
    {
        std::ofstream more(file, std::ios::app | std::ios::binary);
        more << std::string(10'000, 'x');
    }
    std::size_t total = 0;
    for (auto block = reader.rest(); !block.empty(); block = reader.rest()) {
        total += block.size();
        reader.take(block.size());
    }
    EXPECT_EQ(total, 10'002u);
    EXPECT_FALSE(reader.open(file, 4096, 10'001));
    EXPECT_FALSE(reader.isOpen());
    EXPECT_FALSE(reader.open(dir.path()));
}

}  // namespace
}  // namespace tlvx::test
