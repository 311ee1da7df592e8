#pragma once
// What `tlvx-count --help` and `tlvx-count --version` print.

#include <string>

namespace tlvx::count {

// The usage, the options, the columns of the listing and the exit statuses,
// in lines of at most 79 characters.
const std::string& helpText();

// "tlvx-count VERSION" and a line break.
std::string versionText();

}  // namespace tlvx::count
