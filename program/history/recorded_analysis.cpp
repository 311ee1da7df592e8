#include "program/history/recorded_analysis.h"

namespace tlvx::history {

std::string recordFailedMessage(const std::filesystem::path& historyRoot) {
    return "The version history of this calculation could not be recorded in \"" +
           historyRoot.string() + "\".";
}

RecordedAnalysis analyseAndRecord(const analysis::ProjectList& list, std::size_t index,
                                  analysis::ListingModel& listing,
                                  const analysis::LibraryObjects& library,
                                  const VersionHistory& history) {
    RecordedAnalysis done;
    done.result = analysis::analysePosition(list, index, listing, library);
    if (!done.result.isProject) return done;
    // The record keeps the rows in the order the listing shows them.
    done.recorded = history.save(done.result.properties.name(), done.result.properties.version(),
                                 listing.rows(), done.result.calculation.summary);
    done.failed = !done.recorded;
    return done;
}

}  // namespace tlvx::history
