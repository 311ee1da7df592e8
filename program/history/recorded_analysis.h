#pragma once
// The analysis of one position as the program runs it: into the project's
// folder, its properties, its calculation, then its version record, always
// all of them and in this order.

#include <cstddef>
#include <filesystem>
#include <string>

#include "program/analysis/position_analysis.h"
#include "program/history/version_history.h"

namespace tlvx::history {

struct RecordedAnalysis {
    analysis::PositionResult result;
    // A position that holds no project is not recorded, and that is no
    // failure: `recorded` is then false, `failed` too.
    bool recorded = false;
    bool failed = false;
};

// What the user is told when a calculation could not be recorded.
std::string recordFailedMessage(const std::filesystem::path& historyRoot);

RecordedAnalysis analyseAndRecord(const analysis::ProjectList& list, std::size_t index,
                                  analysis::ListingModel& listing,
                                  const analysis::LibraryObjects& library,
                                  const VersionHistory& history);

}  // namespace tlvx::history
