#include "program/analysis/position_analysis.h"

#include "program/analysis/summary_line.h"

namespace tlvx::analysis {

std::string emptyPositionNote(const ProjectList& list, std::size_t index) {
    if (index >= list.size()) return {};
    const ProjectPosition* position = list.at(index);
    if (!position) return "Position " + std::to_string(index + 1) + ": blank line in the group.";
    if (position->copyState.holdsProject) return {};
    if (!position->copyState.found)
        return "The project file \"" + position->projectFile + "\" was not found.";
    return "The file \"" + position->projectFile + "\" holds no project.";
}

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
