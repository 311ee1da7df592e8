#pragma once
// What the fuzz targets share: a private scratch folder per process for the
// files the readers are given, and a private registry store, so that a run
// touches nothing of the user's. The component module is found beside the
// target, where the build puts both.

#include <cstddef>
#include <cstdint>
#include <filesystem>
#include <string>
#include <string_view>

namespace tlvx::fuzz {

// Made on first use, removed when the process ends.
const std::filesystem::path& scratchFolder();

// Writes `bytes` as the file `name` in the scratch folder (replacing what
// was there) and returns its path.
std::filesystem::path writeInput(const std::string& name, std::string_view bytes);

inline std::string_view asText(const std::uint8_t* data, std::size_t size) {
    return {reinterpret_cast<const char*>(data), size};
}

// Stops the run with a report when a property of the code does not hold.
[[noreturn]] void fail(const char* what);
inline void require(bool holds, const char* what) {
    if (!holds) fail(what);
}

}  // namespace tlvx::fuzz
