#pragma once
// What the command-line tools end with: 0 when they did what was asked, 1
// when it failed, 2 when the command line was not understood.

namespace tlvx::tools {

inline constexpr int kSucceeded = 0;
inline constexpr int kFailed = 1;
inline constexpr int kBadUsage = 2;

}  // namespace tlvx::tools
