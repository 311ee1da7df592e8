// A version record of any bytes, read as the version history window reads
// the selected version: rows from its lines, the summary from its last
// line, the listing sorted by any column either way; then the growth of its
// project and its comparison with a sound record of an earlier version.

#include <cstddef>
#include <cstdint>
#include <filesystem>

#include "fuzz/fuzz_support.h"
#include "program/analysis/summary_line.h"
#include "program/history/history_browser.h"
#include "program/history/version_comparison.h"
#include "program/history/version_growth.h"
#include "program/history/version_history.h"

using namespace tlvx;

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    static const auto root = [] {
        auto folder = fuzz::scratchFolder() / "verhis";
        std::filesystem::create_directories(folder / "Fuzz");
        history::VersionHistory(folder).save(
            "Fuzz", "0.9.0",
            {{"a.bas", "Module", "1", "2", "0", "0", "1", "1", "1", "2", "2", "2"}},
            analysis::summaryLine({1, 2, 0, 0}, 1));
        return folder;
    }();
    if (size == 0) return 0;
    // The first byte picks the sort column and order; the rest is the record.
    const unsigned pick = data[0];
    const auto text = fuzz::asText(data + 1, size - 1);
    fuzz::writeInput("verhis/Fuzz/1.0.0", text);

    history::HistoryBrowser browser{history::VersionHistory(root)};
    browser.loadProjects();
    fuzz::require(browser.projects().size() == 1 && browser.versions().size() == 2,
                  "the records are not found");
    browser.selectVersion(1);
    auto& listing = browser.listing();
    std::size_t lineEnds = 0;
    for (char c : text) lineEnds += c == '\n' || c == '\r';
    fuzz::require(listing.rowCount() <= lineEnds + 1, "more rows than lines");
    listing.setSortColumn(pick % analysis::kListingColumns);
    listing.setSortOrder(pick & 0x80 ? analysis::SortOrder::Descending
                                     : analysis::SortOrder::Ascending);
    listing.setSorted(true);

    const history::VersionHistory versions(root);
    const auto table = history::growthTable(versions, "Fuzz");
    fuzz::require(table && table->versions.size() == 2, "the growth lacks a version");
    fuzz::require(table->versions[1].change.has_value() == table->versions[1].record.counted(),
                  "a change without totals, or totals without a change");
    const auto compared = history::compareVersions(versions, "Fuzz", "0.9.0", "1.0.0");
    fuzz::require(compared.comparison.has_value(), "the two records are not compared");
    fuzz::require(compared.comparison->modules.size() <= listing.rowCount() + 1,
                  "more modules than the two records hold");
    return 0;
}
