#include "program/analysis/position_analysis.h"

#include "program/analysis/summary_line.h"

namespace tlvx::analysis {

PositionResult analysePosition(const ProjectList& list, std::size_t index, ListingModel& listing,
                               const LibraryObjects& library) {
    PositionResult result;
    enterProjectFolder(list, index);
    const ProjectPosition* position = list.at(index);
    const std::filesystem::path copy = position ? position->workingCopy : std::filesystem::path();
    const CopyState state = position ? position->copyState : CopyState{};
    result.copyError = state.holdsProject ? state.error : 0;
    result.isProject = state.usable();
    if (!result.isProject) {
        listing.clear();
        result.calculation.summary = summaryLine({}, 0);
        return result;
    }
    result.properties = readProjectProperties(copy, library.pafs);
    result.calculation = calculateProject(copy, listing);
    return result;
}

}  // namespace tlvx::analysis
