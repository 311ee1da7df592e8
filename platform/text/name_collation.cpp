#include "platform/text/name_collation.h"

#include <dlfcn.h>
#include <unicode/ucol.h>
#include <unicode/uvernum.h>

#include <array>
#include <climits>
#include <cstdint>
#include <memory>
#include <optional>

#include "platform/text/unicode_text.h"

namespace tlvx::platform::collation {
namespace {

// ---- Names of ASCII characters -----------------------------------------------

// The root collation's primary order of the ASCII characters: 0 for the
// controls it ignores altogether, then white space, punctuation and
// symbols, digits, and the letters (a letter and its capital share a
// place). ASCII characters have no expansions, contractions or accents
// there, so comparing two ASCII names place by place at secondary strength
// gives what the collation gives; tests hold the table against it.
constexpr std::array<std::uint8_t, 128> kAsciiPlace = [] {
    std::array<std::uint8_t, 128> place{};
    constexpr std::string_view kOrder = "\t\n\v\f\r _-,;:!?.'\"()[]{}@*/\\&#%`^+<=>|~$0123456789";
    std::uint8_t next = 1;
    for (const char c : kOrder) place[static_cast<unsigned char>(c)] = next++;
    for (char c = 'a'; c <= 'z'; ++c) {
        place[static_cast<unsigned char>(c)] = next;
        place[static_cast<unsigned char>(c - 'a' + 'A')] = next++;
    }
    return place;
}();

// nullopt unless both names are ASCII.
std::optional<int> compareAscii(std::string_view a, std::string_view b) {
    std::size_t i = 0, j = 0;
    for (;;) {
        std::uint8_t pa = 0, pb = 0;
        while (i < a.size()) {
            const auto c = static_cast<unsigned char>(a[i++]);
            if (c >= 0x80) return std::nullopt;
            if ((pa = kAsciiPlace[c]) != 0) break;
        }
        while (j < b.size()) {
            const auto c = static_cast<unsigned char>(b[j++]);
            if (c >= 0x80) return std::nullopt;
            if ((pb = kAsciiPlace[c]) != 0) break;
        }
        if (pa != pb) {
            // Bytes left unread may still make a name non-ASCII.
            for (; i < a.size(); ++i)
                if (static_cast<unsigned char>(a[i]) >= 0x80) return std::nullopt;
            for (; j < b.size(); ++j)
                if (static_cast<unsigned char>(b[j]) >= 0x80) return std::nullopt;
            return pa < pb ? -1 : 1;
        }
        if (pa == 0) return 0;  // both at their end
    }
}

// ---- The collation ---------------------------------------------------------

// The collation library is loaded when a name outside ASCII is first
// compared: most runs never need it, and loading it costs a start-up.
// Its entry points carry its version in their names (ucol_open is a macro
// for ucol_open_72): the name is the macro's expansion as text.
#define TLVX_ICU_STRING(x) #x
#define TLVX_ICU_NAME(function) TLVX_ICU_STRING(function)

struct CollationLibrary {
    decltype(&ucol_open) open = nullptr;
    decltype(&ucol_setStrength) setStrength = nullptr;
    decltype(&ucol_strcollUTF8) strcollUTF8 = nullptr;
    decltype(&ucol_close) close = nullptr;
};

const CollationLibrary* collationLibrary() {
    static const CollationLibrary* const library = []() -> const CollationLibrary* {
        void* handle = dlopen("libicui18n.so." U_ICU_VERSION_SHORT, RTLD_NOW | RTLD_LOCAL);
        if (!handle) return nullptr;
        static CollationLibrary loaded;
        loaded.open =
            reinterpret_cast<decltype(&ucol_open)>(dlsym(handle, TLVX_ICU_NAME(ucol_open)));
        loaded.setStrength = reinterpret_cast<decltype(&ucol_setStrength)>(
            dlsym(handle, TLVX_ICU_NAME(ucol_setStrength)));
        loaded.strcollUTF8 = reinterpret_cast<decltype(&ucol_strcollUTF8)>(
            dlsym(handle, TLVX_ICU_NAME(ucol_strcollUTF8)));
        loaded.close =
            reinterpret_cast<decltype(&ucol_close)>(dlsym(handle, TLVX_ICU_NAME(ucol_close)));
        if (!loaded.open || !loaded.setStrength || !loaded.strcollUTF8 || !loaded.close)
            return nullptr;
        return &loaded;  // stays loaded for the life of the process
    }();
    return library;
}

struct CollatorCloser {
    void operator()(UCollator* collator) const { collationLibrary()->close(collator); }
};
using Collator = std::unique_ptr<UCollator, CollatorCloser>;

Collator openRootCollator() {
    const CollationLibrary* icu = collationLibrary();
    if (!icu) return nullptr;
    UErrorCode status = U_ZERO_ERROR;
    Collator collator(icu->open("", &status));
    if (U_FAILURE(status)) return nullptr;
    icu->setStrength(collator.get(), UCOL_SECONDARY);
    return collator;
}

// One collator per thread: comparing never waits for another thread.
UCollator* threadCollator() {
    thread_local Collator collator = openRootCollator();
    return collator.get();
}

// Used only when the collation data cannot be opened: the texts' code
// points, letter case ignored.
int fallbackCompare(std::string_view a, std::string_view b) {
    return unicode::compareIgnoringCase(a, b);
}

}  // namespace

int compareNames(std::string_view utf8a, std::string_view utf8b) {
    if (const auto ascii = compareAscii(utf8a, utf8b)) return *ascii;
    UCollator* collator = threadCollator();
    if (!collator || utf8a.size() > INT32_MAX || utf8b.size() > INT32_MAX)
        return fallbackCompare(utf8a, utf8b);
    UErrorCode status = U_ZERO_ERROR;
    const UCollationResult result =
        collationLibrary()->strcollUTF8(collator, utf8a.data(), static_cast<int32_t>(utf8a.size()),
                                        utf8b.data(), static_cast<int32_t>(utf8b.size()), &status);
    if (U_FAILURE(status)) return fallbackCompare(utf8a, utf8b);
    return result == UCOL_LESS ? -1 : result == UCOL_GREATER ? 1 : 0;
}

}  // namespace tlvx::platform::collation
