#pragma once
// The search for a text inside ANSI file text, with or without regard to
// letter case. The search text is converted (and lowered) once. In a
// single-byte code page the file text is lowered byte by byte through the
// code page's table, which equals lowering its decoded text: every letter
// such a code page holds has its lower-case form in it too. In a double-byte
// code page the file text is decoded first, so that no match starts inside a
// character and no second byte is lowered.

#include <array>
#include <cstddef>
#include <optional>
#include <string>
#include <string_view>

namespace tlvx::platform::ansi {

class TextSearch {
public:
    TextSearch(std::u16string_view findText, bool matchCase);

    // False when the search text holds a character the code page cannot
    // hold: no file text can hold it then. (Converting it with '?' instead
    // would make it match text that holds a real '?'.)
    bool canMatch() const { return needle_.has_value(); }

    // True when `text` holds the search text. Needs canMatch().
    bool occursIn(std::string_view text);

    // The same test over one line handed over in pieces, so that a line of
    // any length is searched in bounded memory: true once the pieces fed
    // since the last startLine() hold the search text, also across the
    // joins of pieces. Needs canMatch().
    bool feed(std::string_view piece);
    void startLine() { window_.clear(); }

private:
    // Appends `text`, lowered when letter case is ignored, to `out`.
    void appendComparable(std::string_view text, std::string& out) const;
    // True when text made by appendComparable holds the search text.
    bool holdsNeedle(std::string_view comparableText) const;

    std::optional<std::string> needle_;
    bool foldCase_;
    // The code page's lower-case bytes; nullptr for a double-byte one.
    const std::array<unsigned char, 256>* lowerBytes_;
    std::u16string decodedNeedle_;
    std::string lowered_;
    // The end of the line fed so far that a match could still start in.
    std::string window_;
};

}  // namespace tlvx::platform::ansi
