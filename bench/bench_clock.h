// The clock the benchmarks time with.
#pragma once

#include <chrono>

namespace tlvx::bench {

using Clock = std::chrono::steady_clock;

// Seconds gone since `start`.
inline double secondsSince(Clock::time_point start) {
    return std::chrono::duration<double>(Clock::now() - start).count();
}

}  // namespace tlvx::bench
