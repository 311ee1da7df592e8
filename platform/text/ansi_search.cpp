#include "platform/text/ansi_search.h"

#include <array>

#include "platform/text/ansi_codepage.h"
#include "platform/text/unicode_text.h"

namespace tlvx::platform::ansi {
namespace {

// The text in the code page; nullopt when it holds a character the code
// page cannot hold.
std::optional<std::string> comparable(std::u16string_view text) {
    bool lossless = false;
    std::string bytes = fromUtf16(text, &lossless);
    if (!lossless) return std::nullopt;
    return bytes;
}

// The byte of the lower-case form of one byte's character; the byte itself
// when that form lies outside the code page.
unsigned char lowerByte(unsigned char byte) {
    const char32_t lower = unicode::toLower(char32_t{decodeByte(byte)});
    if (lower > 0xFFFF) return byte;
    const auto bytes = comparable(std::u16string(1, static_cast<char16_t>(lower)));
    return bytes && bytes->size() == 1 ? static_cast<unsigned char>((*bytes)[0]) : byte;
}

const std::array<unsigned char, 256>& lowerTable() {
    static const std::array<unsigned char, 256> table = [] {
        std::array<unsigned char, 256> t{};
        for (std::size_t b = 0; b < t.size(); ++b) t[b] = lowerByte(static_cast<unsigned char>(b));
        return t;
    }();
    return table;
}

}  // namespace

TextSearch::TextSearch(std::u16string_view findText, bool matchCase)
    : needle_(comparable(matchCase ? std::u16string(findText) : unicode::toLower(findText))),
      foldCase_(!matchCase) {}

void TextSearch::appendComparable(std::string_view text, std::string& out) const {
    if (!foldCase_) {
        out.append(text);
        return;
    }
    const auto& lower = lowerTable();
    const std::size_t at = out.size();
    out.resize(at + text.size());
    for (std::size_t i = 0; i < text.size(); ++i)
        out[at + i] = static_cast<char>(lower[static_cast<unsigned char>(text[i])]);
}

bool TextSearch::occursIn(std::string_view text) {
    if (!foldCase_) return text.find(*needle_) != std::string_view::npos;
    lowered_.clear();
    appendComparable(text, lowered_);
    return lowered_.find(*needle_) != std::string::npos;
}

bool TextSearch::feed(std::string_view piece) {
    appendComparable(piece, window_);
    if (window_.find(*needle_) != std::string::npos) return true;
    // Only the last bytes, one fewer than the search text holds, can begin
    // a match that the next piece completes.
    const std::size_t keep = needle_->empty() ? 0 : needle_->size() - 1;
    if (window_.size() > keep) window_.erase(0, window_.size() - keep);
    return false;
}

}  // namespace tlvx::platform::ansi
