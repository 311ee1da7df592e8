#pragma once
// What tlvx-count prints for each project: its position, file, name and
// version, then the listing as an export writes it (header, rows, total
// line) and the summary line.

#include <ostream>
#include <string>
#include <vector>

#include "program/analysis/listing_model.h"
#include "program/analysis/project_properties.h"

namespace tlvx::count {

enum class ReportFormat { Tab, Csv, Json };

struct ProjectReport {
    std::size_t position = 0;  // 1-based
    std::size_t positions = 0;
    std::string projectFile;
    analysis::ProjectProperties properties;
    std::vector<analysis::ListingRow> rows;  // in display order
    std::string summary;
};

class ReportWriter {
public:
    ReportWriter(std::ostream& out, ReportFormat format) : out_(out), format_(format) {}
    void begin();
    void project(const ProjectReport& report);
    void end();

private:
    void delimited(const ProjectReport& report);
    void json(const ProjectReport& report);

    std::ostream& out_;
    ReportFormat format_;
    bool first_ = true;
};

std::string jsonString(std::string_view utf8);

}  // namespace tlvx::count
