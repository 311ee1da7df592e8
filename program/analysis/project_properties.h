#pragma once
// The eight properties of a project, read from the section "Info" of its
// working copy as from an INI file.

#include <array>
#include <filesystem>
#include <string>
#include <string_view>

#include "program/analysis/library_client.h"

namespace tlvx::analysis {

struct ProjectProperties {
    // Name, Version, Product Name, Description, Comments, Company Name,
    // Legal Copyright, Legal Trademarks; UTF-8 texts.
    std::array<std::string, 8> values;

    const std::string& name() const { return values[0]; }
    // "MajorVer.MinorVer.RevisionVer", ".." when the keys are missing.
    const std::string& version() const { return values[1]; }
};

extern const std::array<std::string_view, 8> kPropertyLabels;

// Each value is one ReadIni call of the API object on the section "Info".
ProjectProperties readProjectProperties(const std::filesystem::path& workingCopy,
                                        const ApiFunsClient& pafs);

}  // namespace tlvx::analysis
