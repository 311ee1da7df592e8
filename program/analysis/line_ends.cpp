#include "program/analysis/line_ends.h"

namespace tlvx::analysis {

std::string withCrLfLineEnds(std::string_view text) {
    std::string out;
    out.reserve(text.size() + text.size() / 16);
    bool lastWasCr = false;
    // Whole runs up to each LF at a time: a long line costs one append.
    while (!text.empty()) {
        const std::size_t lf = text.find('\n');
        const std::size_t run = lf == std::string_view::npos ? text.size() : lf;
        out.append(text.data(), run);
        if (run > 0) lastWasCr = text[run - 1] == '\r';
        if (lf == std::string_view::npos) break;
        if (!lastWasCr) out += '\r';
        out += '\n';
        lastWasCr = false;
        text.remove_prefix(lf + 1);
    }
    return out;
}

}  // namespace tlvx::analysis
