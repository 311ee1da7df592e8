#pragma once
// tlvx-count --growth and --compare: the version table of a recorded
// project, and the comparison of two of its recorded versions, read from
// the version history and printed tab separated, as CSV or as JSON.

#include <ostream>
#include <string>
#include <string_view>
#include <vector>

namespace tlvx::count {

// Whether the arguments ask for the growth or a comparison.
bool asksForHistory(const std::vector<std::string>& args);

// Runs it. Returns 0 done; 1 printed, but a record's totals or rows could
// not be read (told on `err`), or the output failed; 2 a wrong command line
// or a project or version without a record: one line on `err` and nothing
// on `out`.
int runHistoryCommand(const std::vector<std::string>& args, std::ostream& out, std::ostream& err);

// The lines of the usage that tell of these commands.
std::string_view historyUsage();

}  // namespace tlvx::count
