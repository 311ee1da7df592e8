#include "tools/tlvx-count/count_report.h"

#include <cstdio>

#include "program/analysis/summary_line.h"
#include "program/history/listing_text.h"

namespace tlvx::count {

std::string jsonString(std::string_view utf8) {
    std::string s = "\"";
    for (unsigned char c : utf8) {
        switch (c) {
            case '"':
                s += "\\\"";
                break;
            case '\\':
                s += "\\\\";
                break;
            case '\n':
                s += "\\n";
                break;
            case '\r':
                s += "\\r";
                break;
            case '\t':
                s += "\\t";
                break;
            default:
                if (c < 0x20) {
                    char buf[8];
                    std::snprintf(buf, sizeof buf, "\\u%04x", c);
                    s += buf;
                } else {
                    s += static_cast<char>(c);
                }
        }
    }
    s += '"';
    return s;
}

void ReportWriter::begin() {
    if (format_ == ReportFormat::Json) out_ << "{\"projects\":[";
}

void ReportWriter::end() {
    if (format_ == ReportFormat::Json) out_ << "]}\n";
    out_.flush();
}

void ReportWriter::project(const ProjectReport& report) {
    if (format_ == ReportFormat::Json)
        json(report);
    else
        delimited(report);
    first_ = false;
}

void ReportWriter::delimited(const ProjectReport& report) {
    using history::FieldSeparator;
    const FieldSeparator sep =
        format_ == ReportFormat::Csv ? FieldSeparator::Comma : FieldSeparator::Tab;
    const auto pair = [&](std::string label, std::string value) {
        return history::joinFields({std::move(label), std::move(value)}, sep);
    };
    if (!first_) out_ << '\n';
    out_ << pair("Project", std::to_string(report.position) + "/" +
                                std::to_string(report.positions) + " " + report.projectFile)
         << '\n';
    out_ << pair("Name", report.properties.name()) << '\n';
    out_ << pair("Version", report.properties.version()) << '\n';
    out_ << history::headerLine(sep) << '\n';
    for (const auto& row : report.rows) out_ << history::rowLine(row, sep) << '\n';
    const std::string total = history::totalLine(analysis::summaryNumbers(report.summary), sep);
    if (!total.empty()) out_ << total << '\n';
    out_ << report.summary << '\n';
}

void ReportWriter::json(const ProjectReport& report) {
    if (!first_) out_ << ',';
    out_ << "\n{\"position\":" << report.position << ",\"positions\":" << report.positions
         << ",\"projectFile\":" << jsonString(report.projectFile)
         << ",\"name\":" << jsonString(report.properties.name())
         << ",\"version\":" << jsonString(report.properties.version()) << ",\"columns\":[";
    for (std::size_t c = 0; c < analysis::kListingColumns; ++c)
        out_ << (c ? "," : "") << jsonString(analysis::kListingHeaders[c]);
    out_ << "],\"rows\":[";
    for (std::size_t r = 0; r < report.rows.size(); ++r) {
        out_ << (r ? "," : "") << "\n[";
        for (std::size_t c = 0; c < analysis::kListingColumns; ++c)
            out_ << (c ? "," : "") << jsonString(report.rows[r][c]);
        out_ << ']';
    }
    out_ << "],\"total\":[";
    const auto numbers = analysis::summaryNumbers(report.summary);
    if (numbers.size() == 10)
        for (std::size_t i = 0; i < numbers.size(); ++i) out_ << (i ? "," : "") << numbers[i];
    out_ << "],\"summary\":" << jsonString(report.summary) << '}';
}

}  // namespace tlvx::count
