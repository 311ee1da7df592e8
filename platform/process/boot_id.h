#pragma once
// Which run of the system this is: the kernel's boot id, a random UUID made
// at every start (/proc/sys/kernel/random/boot_id). Two processes see the
// same id exactly when no restart lies between them.

#include <string>

namespace tlvx::platform {

// The id as the kernel writes it ("fa09c3a3-104b-..."); empty when it
// cannot be read.
std::string currentBootId();

}  // namespace tlvx::platform
