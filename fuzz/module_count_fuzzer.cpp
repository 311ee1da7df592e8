// A module of any bytes counted as the program counts a project's module, in
// one reading: comment and blank lines, all lines and the lines after the
// designer's header, compared with the library's text-file class and a line
// input scan. The first byte picks the module's kind (its extension), the
// rest is the file.

#include <array>
#include <cstddef>
#include <cstdint>
#include <optional>
#include <string>

#include "fuzz/fuzz_support.h"
#include "platform/files/win_path.h"
#include "program/analysis/library_client.h"
#include "program/analysis/module_count.h"
#include "tests/support/separate_counts.h"

using namespace tlvx;

namespace {

constexpr std::array<const char*, 8> kExtensions = {".bas", ".frm", ".cls", ".ctl",
                                                    ".pag", ".dsr", ".dob", ".txt"};

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    static const std::optional<analysis::TxtFileClient> txt = analysis::TxtFileClient::create();
    fuzz::require(txt.has_value(), "the component library cannot be loaded");
    if (size == 0) return 0;
    const std::string name = std::string("Module") + kExtensions[data[0] % kExtensions.size()];
    const auto file = fuzz::writeInput(name, fuzz::asText(data + 1, size - 1));

    const auto count = analysis::countModule(platform::winpath::toUtf16(file));
    fuzz::require(count.valid, "a module that exists counts as missing");
    fuzz::require(count.all >= 0 && count.pure <= count.all, "more pure lines than lines");
    fuzz::require(count.comment >= 0 && count.blank >= 0, "a negative count");
    // The one reading gives what the three readings it replaced gave.
    const auto separate = test::countSeparately(file, fuzz::scratchFolder() / "twin", *txt);
    fuzz::require(count.all == separate.all && count.pure == separate.pure,
                  "the module's line count or header differs from the text-file class's");
    fuzz::require(count.comment == separate.comment && count.blank == separate.blank,
                  "the module's comment and blank lines differ from a line input scan");
    return 0;
}
