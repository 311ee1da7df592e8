// Any bytes in any supported ANSI code page (the first byte picks it): they
// keep their text through a trip to bytes and back, lines split where the
// bytes split, and names compare and search on whole characters.

#include <fuzzer/FuzzedDataProvider.h>

#include <algorithm>
#include <array>
#include <cstddef>
#include <cstdint>
#include <string>

#include "fuzz/fuzz_support.h"
#include "platform/text/ansi_codepage.h"
#include "platform/text/unicode_text.h"

using namespace tlvx;
namespace ansi = platform::ansi;

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    constexpr std::array<int, 14> kCodePages = {874,  932,  936,  949,  950,  1250, 1251,
                                                1252, 1253, 1254, 1255, 1256, 1257, 1258};
    FuzzedDataProvider in(data, size);
    fuzz::require(ansi::useCodePage(in.PickValueInArray(kCodePages)), "a code page refused");
    const std::string needle = in.ConsumeRandomLengthString(8);
    const std::string bytes = in.ConsumeRemainingBytesAsString();

    bool lossless = false;
    const std::u16string text = ansi::toUtf16(bytes);
    const std::string back = ansi::fromUtf16(text, &lossless);
    fuzz::require(lossless, "decoded bytes do not fit the code page again");
    fuzz::require(ansi::toUtf16(back) == text, "the text changes on its way back");
    fuzz::require(ansi::toUtf8(bytes) == platform::unicode::utf16ToUtf8(text),
                  "UTF-8 and UTF-16 decoding disagree");
    fuzz::require(
        std::count(text.begin(), text.end(), u'\n') == std::count(bytes.begin(), bytes.end(), '\n'),
        "a line feed is lost or made inside a character");
    fuzz::require(ansi::equalIgnoringCase(bytes, back), "a text differs from its own trip");

    // A match starts where a character starts: the bytes before it decode
    // to characters of their own.
    const std::size_t at = ansi::find(bytes, needle);
    if (at != std::string::npos && !needle.empty()) {
        fuzz::require(bytes.compare(at, needle.size(), needle) == 0, "a match that is none");
        const std::u16string before = ansi::toUtf16(bytes.substr(0, at));
        fuzz::require(text.compare(0, before.size(), before) == 0,
                      "a match starts inside a character");
    }
    ansi::useCodePage(1252);
    return 0;
}
