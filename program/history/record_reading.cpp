#include "program/history/record_reading.h"

#include <algorithm>
#include <array>

#include "platform/files/line_input.h"
#include "platform/files/text_stream.h"
#include "platform/text/ansi_codepage.h"

namespace tlvx::history {
namespace {

std::vector<std::string_view> splitAtColons(std::string_view line) {
    std::vector<std::string_view> pieces;
    for (std::size_t start = 0;;) {
        const auto at = line.find(':', start);
        pieces.push_back(line.substr(start, at == std::string_view::npos ? at : at - start));
        if (at == std::string_view::npos) return pieces;
        start = at + 1;
    }
}

bool isNumber(std::string_view text) {
    if (!text.empty() && text.front() == '-') text.remove_prefix(1);
    return !text.empty() &&
           std::all_of(text.begin(), text.end(), [](char c) { return c >= '0' && c <= '9'; });
}

// The last eleven pieces of a row: a type and ten numbers, or "Invalid"
// and ten empty fields.
bool formsRowTail(const std::vector<std::string_view>& pieces) {
    static constexpr std::array<std::string_view, 8> kTypes = {
        "Form",         "Module",   "ClassModule",  "UserControl",
        "PropertyPage", "Designer", "UserDocument", "OtherModule"};
    const std::size_t first = pieces.size() - 11;
    const auto numbers = [&](auto test) {
        return std::all_of(pieces.begin() + static_cast<long>(first) + 1, pieces.end(), test);
    };
    if (pieces[first] == "Invalid") return numbers([](std::string_view p) { return p.empty(); });
    return std::find(kTypes.begin(), kTypes.end(), pieces[first]) != kTypes.end() &&
           numbers(isNumber);
}

}  // namespace

std::optional<analysis::ListingRow> rowOfRecordLine(std::string_view line) {
    const auto pieces = splitAtColons(line);
    if (pieces.size() < 12) return std::nullopt;
    if (pieces.size() > 12 && !formsRowTail(pieces)) return std::nullopt;
    analysis::ListingRow row;
    const std::size_t tail = pieces.size() - 11;
    // A module path with a drive letter ("C:\x.bas") keeps its colons.
    std::string path;
    for (std::size_t i = 0; i < tail; ++i) {
        if (i) path += ':';
        path += pieces[i];
    }
    row[0] = platform::ansi::toUtf8(path);
    for (std::size_t c = 1; c < analysis::kListingColumns; ++c)
        row[c] = platform::ansi::toUtf8(pieces[tail + c - 1]);
    return row;
}

std::optional<std::string> readRecordSummary(const std::filesystem::path& file) {
    // Records are named by this program, not by Windows' rules, so they are
    // read here rather than through the text-file object's Windows paths.
    const auto last = platform::readLastLine(file);
    if (!last) return std::nullopt;
    if (last->substr(0, last->find(':')) != "Total") return std::string();
    return platform::ansi::toUtf8(*last);
}

std::optional<RecordContent> readRecord(const std::filesystem::path& file) {
    platform::LineInput input;
    if (!input.open(file)) return std::nullopt;
    RecordContent content;
    std::string line;
    while (input.readLine(line))
        if (auto row = rowOfRecordLine(line)) content.rows.push_back(std::move(*row));
    content.summary = readRecordSummary(file).value_or(std::string());
    return content;
}

}  // namespace tlvx::history
