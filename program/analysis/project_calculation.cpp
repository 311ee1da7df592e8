#include "program/analysis/project_calculation.h"

#include "platform/text/unicode_text.h"
#include "program/analysis/module_count.h"
#include "program/analysis/module_entries.h"

namespace tlvx::analysis {

Calculation calculateProject(const std::filesystem::path& workingCopy, ListingModel& listing) {
    Calculation calc;
    readModuleEntries(workingCopy, listing);

    // Sorting is off, so the rows stand in project-file order while they are
    // counted; every row is counted, however many there are.
    const std::size_t n = listing.rowCount();
    for (std::size_t i = 0; i < n; ++i) {
        const std::u16string path = platform::unicode::utf8ToUtf16(listing.row(i)[0]);
        const ModuleCount m = countModule(path);
        ListingRow details;
        if (!m.valid) {
            details[1] = "Invalid";
            listing.setDetails(i, details);
            continue;
        }
        const LineTotals row{m.pure, m.all, m.comment, m.blank};
        details[1] = m.type;
        const auto numbers = tenNumbers(row);
        for (std::size_t c = 0; c < numbers.size(); ++c)
            details[2 + c] = std::to_string(numbers[c]);
        listing.setDetails(i, details);
        calc.totals.pure += m.pure;
        calc.totals.all += m.all;
        calc.totals.comment += m.comment;
        calc.totals.blank += m.blank;
    }
    calc.modules = n;
    calc.summary = summaryLine(calc.totals, static_cast<int64_t>(n));
    listing.setSorted(true);
    return calc;
}

}  // namespace tlvx::analysis
