#include "program/history/record_totals.h"

#include "program/analysis/summary_line.h"

namespace tlvx::history {

std::string describeProblem(RecordProblem problem) {
    switch (problem) {
        case RecordProblem::None:
            return {};
        case RecordProblem::Unreadable:
            return "the record cannot be read";
        case RecordProblem::NoSummary:
            return "the record has no summary line";
        case RecordProblem::DamagedSummary:
            return "the record's summary line is damaged";
    }
    return {};
}

RecordTotals totalsOfSummary(const std::optional<std::string>& summary) {
    RecordTotals read;
    if (!summary) {
        read.problem = RecordProblem::Unreadable;
    } else if (summary->empty()) {
        read.problem = RecordProblem::NoSummary;
    } else if (const auto values = analysis::readSummaryLine(*summary)) {
        read.modules = values->modules;
        read.totals = values->totals;
    } else {
        read.problem = RecordProblem::DamagedSummary;
    }
    return read;
}

TenNumbers difference(const TenNumbers& from, const TenNumbers& to) {
    TenNumbers change{};
    for (std::size_t i = 0; i < change.size(); ++i) change[i] = to[i] - from[i];
    return change;
}

}  // namespace tlvx::history
