#pragma once
// The analysis of one position of a project list: into the project's folder,
// its properties (through the API object's INI reading), then its
// calculation, always in this order.

#include <cstddef>
#include <string>

#include "program/analysis/library_client.h"
#include "program/analysis/listing_model.h"
#include "program/analysis/project_calculation.h"
#include "program/analysis/project_list.h"
#include "program/analysis/project_properties.h"

namespace tlvx::analysis {

struct PositionResult {
    // False when the position's project file is missing or no project at
    // all, or its working copy could not be written: the listing is then
    // empty, and nothing else was read.
    bool isProject = false;
    // The system error that kept the working copy from being written; 0
    // when it was.
    int copyError = 0;
    ProjectProperties properties;
    Calculation calculation;
};

// Why position `index` shows no listing although it was analysed: a blank
// line of the group, a project file that was not found, or one that holds
// no project. Empty for a position that holds a project (a working copy
// that could not be written is told on its own).
std::string emptyPositionNote(const ProjectList& list, std::size_t index);

PositionResult analysePosition(const ProjectList& list, std::size_t index, ListingModel& listing,
                               const LibraryObjects& library);

}  // namespace tlvx::analysis
