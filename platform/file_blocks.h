#pragma once
// Raw byte access to a file in blocks, read-only, so that a file of any size
// is looked at with a bounded amount of memory.

#include <cstddef>
#include <filesystem>
#include <functional>
#include <string_view>

namespace tlvx::platform {

// Hands the file's bytes to `consume` block by block, in order, each block
// at most `blockSize` bytes (a small file in one block of its own size);
// `consume` returns false to stop early. False when the file is no regular file or
// cannot be opened, or a read fails.
bool readBlocks(const std::filesystem::path& path, std::size_t blockSize,
                const std::function<bool(std::string_view)>& consume);

}  // namespace tlvx::platform
