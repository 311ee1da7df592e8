#include "platform/text/codepage_tables.h"

#include <map>
#include <memory>
#include <mutex>
#include <optional>
#include <unordered_set>

#include "platform/text/codepage_choice.h"
#include "platform/text/iconv_converter.h"
#include "platform/text/unicode_text.h"

namespace tlvx::platform::ansi {
namespace {

using Converter = conversion::IconvConverter;

std::string utf32Le(char32_t c) {
    std::string out(4, '\0');
    for (int i = 0; i < 4; ++i) out[i] = static_cast<char>((c >> (8 * i)) & 0xFF);
    return out;
}

// The one character iconv makes of `bytes`, or nullopt.
std::optional<char32_t> decodeOne(Converter& decoder, std::string_view bytes) {
    const auto out = decoder.convertShort(bytes);
    if (!out || out->size() != 4) return std::nullopt;
    char32_t c = 0;
    for (int i = 3; i >= 0; --i) c = (c << 8) | static_cast<unsigned char>((*out)[i]);
    return c;
}

struct ByteRange {
    unsigned char first;
    unsigned char last;
};

struct DoubleByteLayout {
    int codePage;
    std::vector<ByteRange> leads;
    std::vector<ByteRange> trails;
};

// The lead and trail bytes as Windows defines them for each code page,
// also where iconv knows no character for a pair (user-defined rows), so
// that such a pair is never cut in two.
const std::vector<DoubleByteLayout>& doubleByteLayouts() {
    static const std::vector<DoubleByteLayout> layouts = {
        {932, {{0x81, 0x9F}, {0xE0, 0xFC}}, {{0x40, 0x7E}, {0x80, 0xFC}}},
        {936, {{0x81, 0xFE}}, {{0x40, 0x7E}, {0x80, 0xFE}}},
        {949, {{0x81, 0xFE}}, {{0x41, 0x5A}, {0x61, 0x7A}, {0x81, 0xFE}}},
        {950, {{0x81, 0xFE}}, {{0x40, 0x7E}, {0xA1, 0xFE}}},
    };
    return layouts;
}

void mark(std::array<bool, 256>& bytes, const std::vector<ByteRange>& ranges) {
    for (const auto& r : ranges)
        for (int b = r.first; b <= r.last; ++b) bytes[b] = true;
}

std::uint16_t asPair(std::size_t lead, std::size_t trail) {
    return static_cast<std::uint16_t>((lead << 8) | trail);
}

}  // namespace

const CodePageTable* CodePageTable::of(int codePage) {
    if (codePage == kDefaultCodePage || !isSupported(codePage)) return nullptr;
    static std::mutex mutex;
    static std::map<int, std::unique_ptr<CodePageTable>> tables;
    std::lock_guard lock(mutex);
    const auto found = tables.find(codePage);
    if (found != tables.end()) return found->second.get();
    std::unique_ptr<CodePageTable> table(new CodePageTable(codePage));
    if (!table->build()) table.reset();
    return (tables[codePage] = std::move(table)).get();
}

bool CodePageTable::build() {
    const std::string name = "CP" + std::to_string(number_);
    Converter decoder("UTF-32LE", name.c_str());
    Converter encoder(name.c_str(), "UTF-32LE");
    if (!decoder.valid() || !encoder.valid()) return false;
    for (const auto& layout : doubleByteLayouts()) {
        if (layout.codePage != number_) continue;
        doubleByte_ = true;
        mark(lead_, layout.leads);
        mark(trail_, layout.trails);
    }
    // A character that more than one byte sequence decodes to is written
    // as iconv writes it.
    std::unordered_set<char32_t> ambiguous;
    const auto remember = [&](char32_t c, std::uint16_t bytes) {
        if (!bytesOf_.try_emplace(c, bytes).second) ambiguous.insert(c);
    };
    for (std::size_t b = 0; b < 256; ++b) {
        const char byte = static_cast<char>(b);
        const auto c = lead_[b] ? std::nullopt : decodeOne(decoder, std::string_view(&byte, 1));
        if (c) {
            single_[b] = *c;
            remember(*c, static_cast<std::uint16_t>(b));
        } else if (b >= 0x80 && b <= 0x9F && !lead_[b]) {
            single_[b] = static_cast<char32_t>(b);
            remember(single_[b], static_cast<std::uint16_t>(b));
        } else {
            single_[b] = kUndefinedBase + static_cast<char32_t>(b);
        }
    }
    // The code page's text is ASCII below 0x80, which the encoder relies on.
    for (std::size_t b = 0; b < 0x80; ++b)
        if (single_[b] != b) return false;
    if (doubleByte_) {
        pairs_.assign(0x10000, 0);
        for (std::size_t l = 0; l < 256; ++l) {
            if (!lead_[l]) continue;
            for (std::size_t t = 0; t < 256; ++t) {
                if (!trail_[t]) continue;
                const char pair[2] = {static_cast<char>(l), static_cast<char>(t)};
                const std::uint16_t x = asPair(l, t);
                const auto c = decodeOne(decoder, std::string_view(pair, 2));
                if (c && *c >= 0x80) {
                    pairs_[x] = *c;
                    remember(*c, x);
                } else {
                    pairs_[x] = kUndefinedBase + x;
                }
            }
        }
    }
    for (const char32_t c : ambiguous) {
        const auto bytes = encoder.convertShort(utf32Le(c));
        if (!bytes || bytes->empty() || bytes->size() > 2) continue;
        std::size_t pos = 0;
        if (decodeAt(*bytes, pos) != c || pos != bytes->size()) continue;
        const auto* b = reinterpret_cast<const unsigned char*>(bytes->data());
        bytesOf_[c] = bytes->size() == 1 ? b[0] : asPair(b[0], b[1]);
    }
    buildCaseTables();
    return true;
}

void CodePageTable::buildCaseTables() {
    const auto byteOf = [this](char32_t c, unsigned char fallback) {
        std::string out;
        return encode(c, out) && out.size() == 1 && !lead_[static_cast<unsigned char>(out[0])]
                   ? static_cast<unsigned char>(out[0])
                   : fallback;
    };
    for (std::size_t b = 0; b < 256; ++b) {
        const auto self = static_cast<unsigned char>(b);
        // A lead byte stands for no letter of its own.
        if (lead_[b]) {
            upper_[b] = lower_[b] = self;
            continue;
        }
        upper_[b] = byteOf(unicode::toUpper(single_[b]), self);
        lower_[b] = byteOf(unicode::toLower(single_[b]), self);
    }
}

bool CodePageTable::encode(char32_t c, std::string& out) const {
    if (c < 0x80) {
        out.push_back(static_cast<char>(c));
        return true;
    }
    if (c >= kUndefinedBase && c <= kUndefinedBase + 0xFFFF) {
        const char32_t x = c - kUndefinedBase;
        if (x <= 0xFF) {
            if (single_[x] != c) return false;
            out.push_back(static_cast<char>(x));
            return true;
        }
        const std::size_t l = x >> 8;
        const std::size_t t = x & 0xFF;
        if (!doubleByte_ || !lead_[l] || !trail_[t] || pairs_[x] != c) return false;
        out.push_back(static_cast<char>(l));
        out.push_back(static_cast<char>(t));
        return true;
    }
    const auto found = bytesOf_.find(c);
    if (found == bytesOf_.end()) return false;
    const std::uint16_t bytes = found->second;
    if (bytes > 0xFF) out.push_back(static_cast<char>(bytes >> 8));
    out.push_back(static_cast<char>(bytes & 0xFF));
    return true;
}

}  // namespace tlvx::platform::ansi
