#pragma once
// Runs a check as a user without privileges: in a child process that gives
// up root first, since root reads and writes every file. Without root the
// check runs as it is, in the same process.

#include <functional>

namespace tlvx::test {

// The check's answer; false also when the child could not drop root.
bool runUnprivileged(const std::function<bool()>& check);

}  // namespace tlvx::test
