// A module of any bytes counted as the program counts a project's module:
// comment and blank lines, all lines and the lines after the designer's
// header, through the library's text-file class. The first byte picks the
// module's kind (its extension), the rest is the file.

#include <array>
#include <cstddef>
#include <cstdint>
#include <optional>
#include <string>

#include "fuzz/fuzz_support.h"
#include "platform/files/win_path.h"
#include "program/analysis/library_client.h"
#include "program/analysis/module_count.h"

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

    const auto marks = analysis::countCommentsAndBlanks(file);
    fuzz::require(marks.readable, "a module that was just written cannot be read");
    fuzz::require(marks.comment >= 0 && marks.blank >= 0, "a negative count");

    static const auto copies = [] {
        auto folder = fuzz::scratchFolder() / "copies";
        std::filesystem::create_directory(folder);
        return folder;
    }();
    const auto count = analysis::countModule(platform::winpath::toUtf16(file), *txt, copies);
    fuzz::require(count.valid, "a module that exists counts as missing");
    fuzz::require(count.all >= 0 && count.pure <= count.all, "more pure lines than lines");
    fuzz::require(count.comment == marks.comment && count.blank == marks.blank,
                  "the module's comment and blank lines differ from their count alone");
    // The short-lived copy of a module with bare line feeds is gone again.
    fuzz::require(std::filesystem::is_empty(copies), "a module's short-lived copy was left");
    return 0;
}
