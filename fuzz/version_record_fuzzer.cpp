// A version record of any bytes, read as the version history window reads
// the selected version: rows from its lines, the summary from its last
// line, the listing sorted by any column either way.

#include <cstddef>
#include <cstdint>
#include <filesystem>

#include "fuzz/fuzz_support.h"
#include "program/history/history_browser.h"
#include "program/history/version_history.h"

using namespace tlvx;

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    static const auto root = [] {
        auto folder = fuzz::scratchFolder() / "verhis";
        std::filesystem::create_directories(folder / "Fuzz");
        return folder;
    }();
    if (size == 0) return 0;
    // The first byte picks the sort column and order; the rest is the record.
    const unsigned pick = data[0];
    const auto text = fuzz::asText(data + 1, size - 1);
    fuzz::writeInput("verhis/Fuzz/1.0.0", text);

    history::HistoryBrowser browser{history::VersionHistory(root)};
    browser.loadProjects();
    fuzz::require(browser.projects().size() == 1 && browser.versions().size() == 1,
                  "the record is not found");
    auto& listing = browser.listing();
    std::size_t lineEnds = 0;
    for (char c : text) lineEnds += c == '\n' || c == '\r';
    fuzz::require(listing.rowCount() <= lineEnds + 1, "more rows than lines");
    listing.setSortColumn(pick % analysis::kListingColumns);
    listing.setSortOrder(pick & 0x80 ? analysis::SortOrder::Descending
                                     : analysis::SortOrder::Ascending);
    listing.setSorted(true);
    return 0;
}
