#include "program/analysis/summary_line.h"

#include <algorithm>
#include <charconv>

namespace tlvx::analysis {

std::vector<int64_t> tenNumbers(const LineTotals& t) {
    return {t.pure,
            t.all,
            t.comment,
            t.blank,
            t.pure - t.comment,
            t.pure - t.blank,
            t.pure - t.comment - t.blank,
            t.all - t.comment,
            t.all - t.blank,
            t.all - t.comment - t.blank};
}

std::string summaryLine(const LineTotals& totals, int64_t modules) {
    std::string text = "Total: ";
    bool first = true;
    for (int64_t n : tenNumbers(totals)) {
        if (!first) text += " / ";
        text += std::to_string(n);
        first = false;
    }
    text += " code lines in ";
    text += std::to_string(modules);
    text += " modules (same order as above).";
    return text;
}

std::vector<std::string> summaryNumbers(std::string_view summary) {
    std::string_view text = summary;
    // Keep the text up to the character two places before "code lines":
    // that drops the space in front of it too.
    if (const auto at = text.find("code lines"); at != std::string_view::npos && at >= 1)
        text = text.substr(0, at - 1);
    if (const auto at = text.find("Total: "); at != std::string_view::npos)
        text = text.substr(at + 7);
    std::vector<std::string> numbers;
    if (text.empty()) return numbers;
    for (std::size_t start = 0;;) {
        const auto at = text.find(" / ", start);
        numbers.emplace_back(text.substr(start, at == std::string_view::npos ? at : at - start));
        if (at == std::string_view::npos) break;
        start = at + 3;
    }
    return numbers;
}

namespace {

// Takes `prefix` off the front of `text`; false when it is not there.
bool take(std::string_view& text, std::string_view prefix) {
    if (!text.starts_with(prefix)) return false;
    text.remove_prefix(prefix.size());
    return true;
}

// No count comes near this; bounding what is read keeps the differences
// taken from a damaged line within range.
constexpr int64_t kLargestCount = 1'000'000'000'000'000;

// Takes a whole number ("-" and digits) off the front of `text`.
bool takeNumber(std::string_view& text, int64_t& value) {
    const char* end = text.data() + text.size();
    if (text.empty() || (text.front() != '-' && (text.front() < '0' || text.front() > '9')))
        return false;
    const auto [stop, ec] = std::from_chars(text.data(), end, value);
    if (ec != std::errc() || value > kLargestCount || value < -kLargestCount) return false;
    text.remove_prefix(static_cast<std::size_t>(stop - text.data()));
    return true;
}

}  // namespace

std::optional<int64_t> readCount(std::string_view text) {
    int64_t value = 0;
    if (!takeNumber(text, value) || !text.empty()) return std::nullopt;
    return value;
}

std::optional<SummaryValues> readSummaryLine(std::string_view line) {
    SummaryValues values;
    if (!take(line, "Total: ")) return std::nullopt;
    for (std::size_t i = 0; i < values.totals.size(); ++i) {
        if (i > 0 && !take(line, " / ")) return std::nullopt;
        if (!takeNumber(line, values.totals[i])) return std::nullopt;
    }
    if (!take(line, " code lines in ") || !takeNumber(line, values.modules) ||
        line != " modules (same order as above)." || values.modules < 0)
        return std::nullopt;
    const auto& t = values.totals;
    const auto derived = tenNumbers({t[0], t[1], t[2], t[3]});
    if (!std::equal(derived.begin(), derived.end(), t.begin())) return std::nullopt;
    return values;
}

}  // namespace tlvx::analysis
