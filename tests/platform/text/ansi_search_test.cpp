#include "platform/text/ansi_search.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

using tlvx::platform::ansi::TextSearch;

namespace {

struct SearchCase {
    std::u16string find;
    bool matchCase;
    std::vector<std::string> pieces;  // one line, in pieces
    bool found;
};

}  // namespace

// The same answers whole and in pieces: a match that spans the joins of
// pieces is found, and letter case is folded through the code page.
TEST(AnsiTextSearch, FindsTheTextWholeAndAcrossPieces) {
    const std::vector<SearchCase> cases = {
        {u"Attribute VB_Exposed", false, {"attribute vb_exposed = 0"}, true},
        {u"Attribute VB_Exposed", false, {"ATTRIBUTE VB_", "EXPOSED"}, true},
        {u"Attribute VB_Exposed", false, {"xAttri", "b", "", "ute VB_Exposedx"}, true},
        {u"Attribute VB_Exposed", true, {"attribute vb_exposed"}, false},
        {u"Attribute VB_Exposed", false, {"Attribute VB_", "\r", "Exposed"}, false},
        {u"Attribute VB_Exposed", false, {"Attribute VB_Expose"}, false},
        // 1252 letters outside ASCII fold too: É/é, Š/š (0x8A/0x9A), Ÿ/ÿ (0x9F/0xFF).
        {u"\u00c9t\u00e9", false, {"x = \xE9T\xC9"}, true},
        {u"\u0160\u0178", false, {"\x9A", "\xFF"}, true},
        {u"\u0160", true, {"\x9A"}, false},
        // The empty text is in every line, the empty one too.
        {u"", true, {""}, true},
        {u"", false, {}, true},
    };
    for (const auto& c : cases) {
        TextSearch search(c.find, c.matchCase);
        ASSERT_TRUE(search.canMatch());
        std::string whole;
        for (const auto& p : c.pieces) whole += p;
        EXPECT_EQ(search.occursIn(whole), c.found) << whole;
        search.startLine();
        bool found = search.feed({});
        for (const auto& p : c.pieces) found = search.feed(p) || found;
        EXPECT_EQ(found, c.found) << whole;
    }
}

TEST(AnsiTextSearch, TextTheCodePageCannotHoldNeverMatches) {
    // Converted with '?', it would match a line holding a real '?'.
    EXPECT_FALSE(TextSearch(u"a\u03a9b", true).canMatch());
    EXPECT_FALSE(TextSearch(u"A\u03a9B", false).canMatch());
    EXPECT_TRUE(TextSearch(u"a?b", true).canMatch());
}

TEST(AnsiTextSearch, ANewLineForgetsTheLastOne) {
    TextSearch search(u"VB_Exposed", false);
    EXPECT_FALSE(search.feed("x VB_"));
    search.startLine();
    EXPECT_FALSE(search.feed("Exposed"));
}
