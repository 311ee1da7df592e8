// Base64 decoding of any text, with the decoded bytes read in a charset as
// the Base64 class does; and any bytes encoded and decoded again, which
// must give them back.

#include <fuzzer/FuzzedDataProvider.h>

#include <cstddef>
#include <cstdint>
#include <span>
#include <string>
#include <vector>

#include "fuzz/fuzz_support.h"
#include "library/base64/base64.h"
#include "library/base64/base64_codec.h"

using namespace tlvx;

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    static const library::Base64 base64;
    const auto& codec = base64.codec();
    FuzzedDataProvider in(data, size);
    const char16_t* const charsets[] = {u"utf-8",          u"unicode",   u"windows-1252",
                                        u"unicodeFFFE",    u"shift_jis", u"us-ascii",
                                        u"no-such-charset"};
    const char16_t* charset = in.PickValueInArray(charsets);
    const bool wide = in.ConsumeBool();

    // Any text: every character's low byte counts.
    const std::string bytes = in.ConsumeRemainingBytesAsString();
    std::u16string text;
    if (wide) {
        for (std::size_t i = 0; i + 1 < bytes.size(); i += 2)
            text += static_cast<char16_t>(static_cast<unsigned char>(bytes[i]) |
                                          static_cast<unsigned char>(bytes[i + 1]) << 8);
    } else {
        for (char c : bytes) text += static_cast<char16_t>(static_cast<unsigned char>(c));
    }
    std::vector<unsigned char> decoded(library::Base64Codec::maxDecodedLength(text.size()) + 1);
    const std::size_t length = codec.decode(text, decoded.data());
    fuzz::require(length <= library::Base64Codec::maxDecodedLength(text.size()),
                  "more bytes decoded than room was given");
    fuzz::require(
        codec.decode(text) == std::string(reinterpret_cast<const char*>(decoded.data()), length),
        "the two ways of decoding disagree");
    (void)base64.Decode(text, charset);

    // The bytes themselves, there and back.
    const std::span<const unsigned char> raw(reinterpret_cast<const unsigned char*>(bytes.data()),
                                             bytes.size());
    const std::u16string encoded = codec.encode(raw);
    fuzz::require(encoded.size() == library::Base64Codec::encodedLength(raw.size()),
                  "the encoded text is not as long as announced");
    fuzz::require(codec.decode(encoded) == bytes,
                  "decoding the encoded bytes does not give them back");
    return 0;
}
