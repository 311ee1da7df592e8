// Block reading: every byte in order, in blocks no larger than asked
// whatever the file's size, and an early stop.

#include <gtest/gtest.h>

#include <fstream>
#include <string>
#include <string_view>
#include <vector>

#include "platform/file_blocks.h"
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

}  // namespace
}  // namespace tlvx::test
