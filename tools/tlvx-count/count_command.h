#pragma once
// tlvx-count: counts a project (.vbp) or every project of a group (.vbg) as
// the main window would, and prints the result.

#include <ostream>
#include <string>
#include <vector>

namespace tlvx::count {

// Runs the command with its arguments (without the program name). Returns
// the exit status: 0 done, 2 bad input (nothing on `out`), 1 the command
// could not run.
int runCountCommand(const std::vector<std::string>& args, std::ostream& out, std::ostream& err);

}  // namespace tlvx::count
