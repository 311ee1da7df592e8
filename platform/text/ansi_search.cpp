#include "platform/text/ansi_search.h"

#include <array>

#include "platform/text/ansi_codepage.h"
#include "platform/text/unicode_text.h"

namespace tlvx::platform::ansi {
TextSearch::TextSearch(std::u16string_view findText, bool matchCase)
    : needle_(fromUtf16Exactly(matchCase ? std::u16string(findText) : unicode::toLower(findText))),
      foldCase_(!matchCase),
      lowerBytes_(lowerBytes()) {
    // A double-byte code page's second bytes may be letters or the first
    // byte of the search text: its text is searched decoded.
    if (!lowerBytes_ && needle_) decodedNeedle_ = toUtf16(*needle_);
}

void TextSearch::appendComparable(std::string_view text, std::string& out) const {
    if (!foldCase_ || !lowerBytes_) {
        out.append(text);
        return;
    }
    const auto& lower = *lowerBytes_;
    const std::size_t at = out.size();
    out.resize(at + text.size());
    for (std::size_t i = 0; i < text.size(); ++i)
        out[at + i] = static_cast<char>(lower[static_cast<unsigned char>(text[i])]);
}

bool TextSearch::holdsNeedle(std::string_view comparableText) const {
    if (lowerBytes_) return comparableText.find(*needle_) != std::string_view::npos;
    std::u16string text = toUtf16(comparableText);
    if (foldCase_) text = unicode::toLower(text);
    return text.find(decodedNeedle_) != std::u16string::npos;
}

bool TextSearch::occursIn(std::string_view text) {
    if (!foldCase_ || !lowerBytes_) return holdsNeedle(text);
    lowered_.clear();
    appendComparable(text, lowered_);
    return holdsNeedle(lowered_);
}

bool TextSearch::feed(std::string_view piece) {
    appendComparable(piece, window_);
    if (holdsNeedle(window_)) return true;
    // Only the last bytes, one fewer than the search text holds, can begin
    // a match that the next piece completes.
    const std::size_t keep = needle_->empty() ? 0 : needle_->size() - 1;
    if (window_.size() > keep) window_.erase(0, window_.size() - keep);
    return false;
}

}  // namespace tlvx::platform::ansi
