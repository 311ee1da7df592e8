#pragma once
// The totals a version record carries in its summary line, and what is
// wrong with a record whose totals cannot be read: such a record is told,
// never counted as zero.

#include <array>
#include <cstdint>
#include <optional>
#include <string>

namespace tlvx::history {

// The ten number columns in their order: P, A, C, B, P - C, P - B,
// P - C - B, A - C, A - B, A - C - B.
using TenNumbers = std::array<int64_t, 10>;

enum class RecordProblem {
    None,
    Unreadable,      // the file cannot be opened or read
    NoSummary,       // the last line is no summary line
    DamagedSummary,  // a summary line that does not read as one
};

// "the record has no summary line" and the like; empty for None.
std::string describeProblem(RecordProblem problem);

struct RecordTotals {
    RecordProblem problem = RecordProblem::None;
    int64_t modules = 0;  // these two only when there is no problem
    TenNumbers totals{};
    bool counted() const { return problem == RecordProblem::None; }
    // The totals when they were read, else none.
    std::optional<TenNumbers> countedTotals() const {
        return counted() ? std::optional<TenNumbers>(totals) : std::nullopt;
    }
};

// The totals of a summary as readRecordSummary gives it (nullopt: the
// record could not be read; empty: it ends in no summary line).
RecordTotals totalsOfSummary(const std::optional<std::string>& summary);

// to - from, column by column.
TenNumbers difference(const TenNumbers& from, const TenNumbers& to);

}  // namespace tlvx::history
