#include "program/analysis/summary_line.h"

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

}  // namespace tlvx::analysis
