// A group file of any bytes, read as the program reads a chosen group: its
// positions, their project paths looked up as a position's is (never read),
// and every line on its own as the group reader splits it.

#include <cstddef>
#include <cstdint>

#include "fuzz/fuzz_support.h"
#include "platform/files/win_path.h"
#include "program/analysis/group_file.h"
#include "program/analysis/project_list.h"

using namespace tlvx;

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    const auto text = fuzz::asText(data, size);
    const auto group = fuzz::writeInput("Fuzz.vbg", text);
    fuzz::require(analysis::isGroupFile(group.string()), "a .vbg is no group file");

    const auto positions = analysis::readGroupFile(group);
    fuzz::require(positions.has_value(), "a small group file cannot be read");
    // Every line but a header takes exactly one position: there are never
    // more positions than line ends and one.
    std::size_t lineEnds = 0;
    for (char c : text) lineEnds += c == '\n' || c == '\r';
    fuzz::require(positions->count <= lineEnds + 1, "more positions than lines");
    fuzz::require(positions->named.size() <= positions->count, "more paths than positions");
    // Project paths are looked up as a position's is (the first few: each
    // lookup is the same code) and named as its working copy is.
    for (std::size_t i = 0; i < positions->named.size(); ++i) {
        const auto& [index, path] = positions->named[i];
        fuzz::require(index < positions->count, "a path beyond the positions");
        fuzz::require(!path.empty(), "a kept position without a path");
        if (i < 4) {
            const auto found = platform::winpath::resolve(path);
            (void)found;
        }
        const auto name = platform::winpath::fileName(path);
        (void)name;
    }
    // The lone line, as the splitter sees it.
    const auto alone = analysis::projectPathOfGroupLine(text);
    (void)alone;
    return 0;
}
