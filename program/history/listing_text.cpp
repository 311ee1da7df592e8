#include "program/history/listing_text.h"

#include "platform/text/unicode_text.h"

namespace tlvx::history {

const std::array<std::string_view, analysis::kListingColumns> kExportHeaders = {
    "Module File", "Type",  "P",         "A",     "C",     "B",
    "P - C",       "P - B", "P - C - B", "A - C", "A - B", "A - C -B"};

namespace {

std::string field(std::string_view text, FieldSeparator sep) {
    if (sep == FieldSeparator::Tab || text.find_first_of(",\"\r\n") == std::string_view::npos)
        return std::string(text);
    std::string quoted = "\"";
    for (char c : text) {
        if (c == '"') quoted += '"';
        quoted += c;
    }
    quoted += '"';
    return quoted;
}

char separatorChar(FieldSeparator sep) {
    return sep == FieldSeparator::Comma ? ',' : '\t';
}

template <typename Fields>
std::string join(const Fields& fields, FieldSeparator sep) {
    std::string line;
    bool first = true;
    for (const auto& f : fields) {
        if (!first) line += separatorChar(sep);
        line += field(f, sep);
        first = false;
    }
    return line;
}

}  // namespace

std::string joinFields(const std::vector<std::string>& fields, FieldSeparator sep) {
    return join(fields, sep);
}

FieldSeparator separatorForPath(std::string_view path) {
    if (path.size() >= 4 &&
        platform::unicode::equalIgnoringCase(path.substr(path.size() - 4), ".csv"))
        return FieldSeparator::Comma;
    return FieldSeparator::Tab;
}

std::string headerLine(FieldSeparator sep) {
    return join(kExportHeaders, sep);
}

std::string rowLine(const analysis::ListingRow& row, FieldSeparator sep) {
    return join(row, sep);
}

std::string totalLine(const std::vector<std::string>& numbers, FieldSeparator sep) {
    if (numbers.size() != 10) return {};
    std::vector<std::string> fields{" ", "Total"};
    fields.insert(fields.end(), numbers.begin(), numbers.end());
    return join(fields, sep);
}

std::string copiedRowsText(const std::vector<analysis::ListingRow>& rows) {
    std::string text = headerLine(FieldSeparator::Tab) + '\n';
    for (const auto& row : rows) text += rowLine(row, FieldSeparator::Tab) + '\n';
    return text;
}

}  // namespace tlvx::history
