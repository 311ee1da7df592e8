#include "library/base64/base64_codec.h"

#include <cstring>

namespace tlvx::library {
namespace {

constexpr std::size_t kGroupsPerLine = Base64Codec::kLineLength / 4;  // 19
constexpr std::size_t kBytesPerLine = kGroupsPerLine * 3;             // 57

// Set in every placed value of CR, LF and "=" (by their low bytes): a group
// holding one needs a look at its whole characters.
constexpr std::uint32_t kMarker = 0x80000000u;

std::size_t plainLength(std::size_t size) {
    return (size + 2) / 3 * 4;
}

void putPair(char16_t* out, std::uint32_t pair) {
    std::memcpy(out, &pair, sizeof pair);
}

}  // namespace

Base64Codec::Base64Codec() noexcept {
    std::size_t i = 0;
    for (char16_t c = u'A'; c <= u'Z'; ++c) encoding_[i++] = c;
    for (char16_t c = u'a'; c <= u'z'; ++c) encoding_[i++] = c;
    for (char16_t c = u'0'; c <= u'9'; ++c) encoding_[i++] = c;
    encoding_[i++] = u'+';
    encoding_[i++] = u'/';
    decoding_.fill(0);
    for (std::size_t d = 0; d < encoding_.size(); ++d) {
        decoding_[encoding_[d]] = static_cast<std::uint8_t>(d);
    }

    for (std::uint32_t bits = 0; bits < digitPairs_.size(); ++bits) {
        // Little-endian: the first digit in the low half.
        digitPairs_[bits] =
            std::uint32_t{encoding_[bits >> 6]} | std::uint32_t{encoding_[bits & 63]} << 16;
    }
    for (std::size_t c = 0; c < 256; ++c) {
        const bool marker = c == '\r' || c == '\n' || c == '=';
        for (std::size_t place = 0; place < 4; ++place) {
            placed_[place][c] =
                std::uint32_t{decoding_[c]} << (6 * (3 - place)) | (marker ? kMarker : 0);
        }
    }
}

std::size_t Base64Codec::encodedLength(std::size_t size) noexcept {
    const std::size_t plain = plainLength(size);
    return plain <= kLineLength ? plain : plain + 2 * (plain / kLineLength);
}

void Base64Codec::encodePlain(const unsigned char* in, std::size_t size,
                              char16_t* out) const noexcept {
    std::size_t i = 0;
    for (; i + 3 <= size; i += 3, out += 4) {
        const std::uint32_t group =
            std::uint32_t{in[i]} << 16 | std::uint32_t{in[i + 1]} << 8 | in[i + 2];
        putPair(out, digitPairs_[group >> 12]);
        putPair(out + 2, digitPairs_[group & 0xFFF]);
    }
    const std::size_t rest = size - i;
    if (rest == 1) {
        out[0] = encoding_[in[i] >> 2];
        out[1] = encoding_[(in[i] & 3) << 4];
        out[2] = u'=';
        out[3] = u'=';
    } else if (rest == 2) {
        out[0] = encoding_[in[i] >> 2];
        out[1] = encoding_[(in[i] & 3) << 4 | in[i + 1] >> 4];
        out[2] = encoding_[(in[i + 1] & 15) << 2];
        out[3] = u'=';
    }
}

void Base64Codec::encode(std::span<const unsigned char> bytes, char16_t* out) const noexcept {
    const std::size_t size = bytes.size();
    if (plainLength(size) <= kLineLength) {
        encodePlain(bytes.data(), size, out);
        return;
    }
    // Whole lines straight into place, each followed by CR LF.
    const unsigned char* in = bytes.data();
    const std::size_t lines = size / kBytesPerLine;
    for (std::size_t line = 0; line < lines; ++line) {
        encodePlain(in, kBytesPerLine, out);
        in += kBytesPerLine;
        out += kLineLength;
        out[0] = u'\r';
        out[1] = u'\n';
        out += 2;
    }
    const std::size_t rest = size - lines * kBytesPerLine;
    if (rest == 0) return;
    encodePlain(in, rest, out);
    // A padded last group can still fill the line.
    if (plainLength(rest) == kLineLength) {
        out[kLineLength] = u'\r';
        out[kLineLength + 1] = u'\n';
    }
}

std::u16string Base64Codec::encode(std::span<const unsigned char> bytes) const {
    std::u16string text(encodedLength(bytes.size()), u'\0');
    encode(bytes, text.data());
    return text;
}

std::size_t Base64Codec::maxDecodedLength(std::size_t length) noexcept {
    // Room for the last group and for the wide stores of the fast path.
    return length / 4 * 3 + 8;
}

std::size_t Base64Codec::decode(std::u16string_view text, unsigned char* out) const noexcept {
    const char16_t* p = text.data();
    const char16_t* const end = p + text.size();
    unsigned char* o = out;
    std::uint32_t group = 0;
    int digits = 0;
    while (p < end) {
        if (digits == 0) {
            // Whole groups of plain digits, two at a time, then one.
            const auto groupAt = [&](const char16_t* q) {
                return placed_[0][q[0] & 0xFF] | placed_[1][q[1] & 0xFF] | placed_[2][q[2] & 0xFF] |
                       placed_[3][q[3] & 0xFF];
            };
            while (end - p >= 8) {
                const std::uint32_t a = groupAt(p), b = groupAt(p + 4);
                if ((a | b) & kMarker) break;
                // Six bytes in order, stored as eight (the buffer has room).
                const std::uint64_t six = __builtin_bswap64((std::uint64_t{a} << 24 | b) << 16);
                std::memcpy(o, &six, sizeof six);
                o += 6;
                p += 8;
            }
            while (end - p >= 4) {
                const std::uint32_t v = groupAt(p);
                if (v & kMarker) break;
                o[0] = static_cast<unsigned char>(v >> 16);
                o[1] = static_cast<unsigned char>(v >> 8);
                o[2] = static_cast<unsigned char>(v);
                o += 3;
                p += 4;
            }
            if (p == end) break;
        }
        const char16_t c = *p++;
        if (c == u'\r' && p < end && *p == u'\n') {
            ++p;
            continue;
        }
        if (c == u'=') continue;
        group = group << 6 | decoding_[c & 0xFF];
        if (++digits == 4) {
            o[0] = static_cast<unsigned char>(group >> 16);
            o[1] = static_cast<unsigned char>(group >> 8);
            o[2] = static_cast<unsigned char>(group);
            o += 3;
            group = 0;
            digits = 0;
        }
    }
    if (digits == 2) {
        *o++ = static_cast<unsigned char>(group >> 4);
    } else if (digits == 3) {
        *o++ = static_cast<unsigned char>(group >> 10);
        *o++ = static_cast<unsigned char>(group >> 2);
    }
    return static_cast<std::size_t>(o - out);
}

std::string Base64Codec::decode(std::u16string_view text) const {
    std::string bytes(maxDecodedLength(text.size()), '\0');
    bytes.resize(decode(text, reinterpret_cast<unsigned char*>(bytes.data())));
    return bytes;
}

}  // namespace tlvx::library
