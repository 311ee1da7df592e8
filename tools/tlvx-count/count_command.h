#pragma once
// tlvx-count: counts a project (.vbp) or every project of a group (.vbg) as
// the main window would, and prints the result.

#include <ostream>
#include <string>
#include <vector>

namespace tlvx::count {

// Runs the command with its arguments (without the program name). Returns
// the exit status: 0 done; 1 a project could not be counted or recorded (or
// the output failed), told on `err` after what could be counted; 2 nothing
// could be counted (bad input, no component library, no working folder):
// one line on `err` and nothing on `out`.
int runCountCommand(const std::vector<std::string>& args, std::ostream& out, std::ostream& err);

}  // namespace tlvx::count
