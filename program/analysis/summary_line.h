#pragma once
// The one-line total of a calculation, and its reduction back to the ten
// numbers it carries.

#include <array>
#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace tlvx::analysis {

struct LineTotals {
    int64_t pure = 0;     // P
    int64_t all = 0;      // A
    int64_t comment = 0;  // C
    int64_t blank = 0;    // B
};

// The ten numbers in column order: P, A, C, B, P - C, P - B, P - C - B,
// A - C, A - B, A - C - B.
std::vector<int64_t> tenNumbers(const LineTotals& totals);

// "Total: 120 / 150 / ... code lines in 4 modules (same order as above)."
std::string summaryLine(const LineTotals& totals, int64_t modules);

// The summary reduced to its number texts: the text before " code lines",
// after the first "Total: ", split at " / ". A step that cannot be carried out
// leaves the text as it was, so a text that is not a summary line comes back
// as one piece (or empty).
std::vector<std::string> summaryNumbers(std::string_view summary);

// A number as the listing and the summary show it ("-" and digits, within
// what any count can be); nullopt for any other text.
std::optional<int64_t> readCount(std::string_view text);

// What a summary line carries, read back.
struct SummaryValues {
    std::array<int64_t, 10> totals{};  // in column order, as tenNumbers
    int64_t modules = 0;
};

// The ten totals and the number of modules of a line exactly as
// summaryLine writes it; nullopt for any other text, and for a line whose
// six differences do not follow from its P, A, C and B (a damaged line).
std::optional<SummaryValues> readSummaryLine(std::string_view line);

}  // namespace tlvx::analysis
