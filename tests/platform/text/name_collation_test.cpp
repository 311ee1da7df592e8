#include "platform/text/name_collation.h"

#include <gtest/gtest.h>
#include <unicode/ucol.h>

#include <algorithm>
#include <random>
#include <string>
#include <thread>
#include <vector>

using tlvx::platform::collation::compareNames;
using tlvx::platform::collation::nameLess;

namespace {

std::vector<std::string> sortedNames(std::vector<std::string> names) {
    std::ranges::stable_sort(names, nameLess);
    return names;
}

}  // namespace

TEST(NameCollation, UnderscoreAndPunctuationSortBeforeLetters) {
    // As desktop file managers list them.
    EXPECT_LT(compareNames("Fonct_do.bas", "Fonctions.bas"), 0);
    EXPECT_LT(compareNames("Adjustments_Color_Colorize.frm", "Adjustments_ColorBalance.frm"), 0);
    EXPECT_EQ(
        sortedNames({"Fonctions.bas", "Fonct_do.bas", "Adjustments_ColorBalance.frm",
                     "Adjustments_Color_Colorize.frm"}),
        (std::vector<std::string>{"Adjustments_Color_Colorize.frm", "Adjustments_ColorBalance.frm",
                                  "Fonct_do.bas", "Fonctions.bas"}));
}

TEST(NameCollation, PunctuationBeforeDigitsBeforeLetters) {
    EXPECT_LT(compareNames("\\", "0"), 0);
    EXPECT_LT(compareNames("_", "0"), 0);
    EXPECT_LT(compareNames("9", "a"), 0);
    EXPECT_LT(compareNames("Forms\\a.frm", "Forms0.frm"), 0);
    EXPECT_LT(compareNames("a_1.bas", "a1.bas"), 0);
    // Numbers are text: 10 before 9.
    EXPECT_LT(compareNames("10", "9"), 0);
    EXPECT_LT(compareNames("Form10.frm", "Form9.frm"), 0);
}

TEST(NameCollation, IgnoresCaseButKeepsAccents) {
    EXPECT_EQ(compareNames("FORM1.FRM", "form1.frm"), 0);
    EXPECT_EQ(compareNames("\xC3\x89t\xC3\xA9.bas", "\xC3\xA9T\xC3\x89.BAS"), 0);  // Été / éTÉ
    EXPECT_NE(compareNames("ete.bas", "\xC3\xA9t\xC3\xA9.bas"), 0);
    // "é" sits next to "e", not after "z".
    EXPECT_EQ(sortedNames({"f.bas", "\u00E9b.bas", "ea.bas", "ec.bas", "z.bas"}),
              (std::vector<std::string>{"ea.bas", "\u00E9b.bas", "ec.bas", "f.bas", "z.bas"}));
    EXPECT_LT(compareNames("\xC3\x84rger.frm", "Zebra.frm"), 0);  // Ärger
}

TEST(NameCollation, IsAConsistentOrder) {
    const std::vector<std::string> texts = {"",         "a", "A", "_",  "\\", "0",        "10", "9",
                                            "\xC3\xA9", "e", "E", "z_", "za", "\xFF\xFE", "a b"};
    for (const auto& a : texts)
        for (const auto& b : texts) {
            const int ab = compareNames(a, b), ba = compareNames(b, a);
            EXPECT_EQ(ab<0, ba> 0) << a << " / " << b;
            EXPECT_EQ(ab == 0, ba == 0) << a << " / " << b;
        }
    EXPECT_LT(compareNames("", "a"), 0);
    EXPECT_LT(compareNames("abc", "ABCD"), 0);
}

TEST(NameCollation, ComparesFromSeveralThreads) {
    std::vector<std::thread> threads;
    std::vector<int> wrong(4, 0);
    threads.reserve(4);
    for (int t = 0; t < 4; ++t)
        threads.emplace_back([&wrong, t] {
            for (int i = 0; i < 2000; ++i)
                if (compareNames("Fonct_do.bas", "Fonctions.bas") >= 0) ++wrong[t];
        });
    for (auto& thread : threads) thread.join();
    EXPECT_EQ(wrong, std::vector<int>(4, 0));
}

namespace {

int rootCollation(const std::string& a, const std::string& b) {
    static UCollator* collator = [] {
        UErrorCode status = U_ZERO_ERROR;
        UCollator* c = ucol_open("", &status);
        ucol_setStrength(c, UCOL_SECONDARY);
        return c;
    }();
    UErrorCode status = U_ZERO_ERROR;
    const auto r = ucol_strcollUTF8(collator, a.data(), static_cast<int32_t>(a.size()), b.data(),
                                    static_cast<int32_t>(b.size()), &status);
    return r == UCOL_LESS ? -1 : r == UCOL_GREATER ? 1 : 0;
}

}  // namespace

// ASCII names are ordered without the collation data, by a table of its
// order: every pair of characters, and names made of them, compare as the
// root collation at secondary strength compares them.
TEST(NameCollation, AsciiNamesCompareAsTheCollationDoes) {
    std::vector<std::string> texts = {""};
    for (int c = 0; c < 128; ++c) texts.emplace_back(1, static_cast<char>(c));
    for (const auto& a : texts)
        for (const auto& b : texts)
            ASSERT_EQ(compareNames(a, b), rootCollation(a, b)) << int(a[0]) << " " << int(b[0]);
    const std::string alphabet = "aAbBzZ09_-.\\/ \t\x01\x7f'~$";
    std::mt19937 random(28);
    const auto name = [&] {
        std::string n(random() % 12, ' ');
        for (auto& c : n) c = alphabet[random() % alphabet.size()];
        return n;
    };
    for (int i = 0; i < 200000; ++i) {
        const std::string a = name(), b = i % 3 ? name() : a + name();
        ASSERT_EQ(compareNames(a, b), rootCollation(a, b)) << a << " / " << b;
    }
    // A name outside ASCII anywhere goes to the collation whole.
    EXPECT_EQ(compareNames("b\xC3\xA9", "a"), rootCollation("b\xC3\xA9", "a"));
    EXPECT_EQ(compareNames("e", "\xC3\xA9"), rootCollation("e", "\xC3\xA9"));
}
