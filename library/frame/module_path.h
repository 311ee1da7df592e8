#pragma once
// Where the component library lies: the file its code was loaded from.

#include <filesystem>

namespace tlvx::library {

// The absolute path of the module file this code was loaded from; empty
// when it cannot be found.
std::filesystem::path modulePath() noexcept;

}  // namespace tlvx::library
