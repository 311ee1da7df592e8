#pragma once
// A module counted in the three readings the program once made of it: the
// text-file class's line count and header search (on the module's CR LF twin
// when it has bare line feeds) and a line input scan of the whole file for
// comments and blanks. The one reading of countModule must give the same.

#include <algorithm>
#include <cctype>
#include <cstdint>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <ostream>
#include <string>

#include "platform/files/line_input.h"
#include "platform/files/win_path.h"
#include "program/analysis/library_client.h"
#include "program/analysis/line_ends.h"

namespace tlvx::test {

struct SeparateCounts {
    int32_t all = 0;
    int32_t pure = 0;
    int32_t comment = 0;
    int32_t blank = 0;
    bool operator==(const SeparateCounts&) const = default;
};

inline std::ostream& operator<<(std::ostream& out, const SeparateCounts& c) {
    return out << "A " << c.all << ", P " << c.pure << ", C " << c.comment << ", B " << c.blank;
}

// Line input of the whole file: tabs removed everywhere, spaces trimmed at
// both ends; nothing left is a blank line, an apostrophe first a comment.
inline void countByLineInput(const std::filesystem::path& file, SeparateCounts& counts,
                             bool& bareLineFeeds) {
    platform::LineInput input;
    input.setLineFeedEndsLine(true);
    bareLineFeeds = false;
    if (!input.open(file)) return;
    int32_t comment = 0, blank = 0;
    std::string line;
    while (input.readLine(line)) {
        line.erase(std::remove(line.begin(), line.end(), '\t'), line.end());
        const auto first = line.find_first_not_of(' ');
        if (first == std::string::npos)
            ++blank;
        else if (line[first] == '\'')
            ++comment;
    }
    if (input.failed()) return;
    counts.comment = comment;
    counts.blank = blank;
    bareLineFeeds = input.sawBareLineFeed();
}

// `twinFile` takes the CR LF twin when one is needed.
inline SeparateCounts countSeparately(const std::filesystem::path& file,
                                      const std::filesystem::path& twinFile,
                                      const analysis::TxtFileClient& txt) {
    SeparateCounts counts;
    bool bare = false;
    countByLineInput(file, counts, bare);
    std::filesystem::path measured = file;
    if (bare) {
        std::ifstream in(file, std::ios::binary);
        const std::string text{std::istreambuf_iterator<char>(in), {}};
        std::ofstream(twinFile, std::ios::binary | std::ios::trunc)
            << analysis::withCrLfLineEnds(text);
        measured = twinFile;
    }
    const std::u16string name = platform::winpath::toUtf16(measured);
    counts.all = txt.GetLineQty(name);
    std::string ext = file.extension().string();
    std::transform(ext.begin(), ext.end(), ext.begin(),
                   [](unsigned char c) { return static_cast<char>(std::tolower(c)); });
    const int32_t header =
        ext == ".bas" ? 1 : txt.GetLineNoByFind(name, u"Attribute VB_Exposed", false);
    counts.pure = counts.all - header;
    return counts;
}

}  // namespace tlvx::test
