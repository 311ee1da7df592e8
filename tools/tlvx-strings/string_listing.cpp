#include "tools/tlvx-strings/string_listing.h"

#include <map>
#include <optional>

#include "platform/text/unicode_text.h"

namespace tlvx::tools {
namespace {

constexpr std::string_view kByteOrderMark = "\xEF\xBB\xBF";
constexpr std::string_view kBlanks = " \t";

std::optional<unsigned> hexDigit(char c) {
    if (c >= '0' && c <= '9') return static_cast<unsigned>(c - '0');
    if (c >= 'a' && c <= 'f') return static_cast<unsigned>(c - 'a' + 10);
    if (c >= 'A' && c <= 'F') return static_cast<unsigned>(c - 'A' + 10);
    return std::nullopt;
}

std::optional<std::uint32_t> parseNumber(std::string_view digits) {
    if (digits.empty() || digits.size() > 10) return std::nullopt;
    std::uint64_t number = 0;
    for (const char c : digits) {
        if (c < '0' || c > '9') return std::nullopt;
        number = number * 10 + static_cast<std::uint64_t>(c - '0');
    }
    if (number > UINT32_MAX) return std::nullopt;
    return static_cast<std::uint32_t>(number);
}

// The text of a line with its escapes resolved; on a bad escape, nullopt and
// `error` says why.
std::optional<std::u16string> unescape(std::string_view text, std::string& error) {
    std::u16string result;
    std::size_t pos = 0;
    while (pos < text.size()) {
        const std::size_t backslash = text.find('\\', pos);
        result += platform::unicode::utf8ToUtf16(text.substr(pos, backslash - pos));
        if (backslash == std::string_view::npos) break;
        if (backslash + 1 >= text.size()) {
            error = "a backslash ends the line (write \\\\ for a backslash)";
            return std::nullopt;
        }
        const char kind = text[backslash + 1];
        pos = backslash + 2;
        switch (kind) {
            case '\\':
                result += u'\\';
                break;
            case 'n':
                result += u'\n';
                break;
            case 'r':
                result += u'\r';
                break;
            case 't':
                result += u'\t';
                break;
            case 'u': {
                unsigned unit = 0;
                for (int i = 0; i < 4; ++i) {
                    const auto digit =
                        pos < text.size() ? hexDigit(text[pos]) : std::optional<unsigned>();
                    if (!digit) {
                        error = "\\u needs four hexadecimal digits";
                        return std::nullopt;
                    }
                    unit = unit * 16 + *digit;
                    ++pos;
                }
                result += static_cast<char16_t>(unit);
                break;
            }
            default:
                error = std::string("unknown escape \\") + kind;
                return std::nullopt;
        }
    }
    return result;
}

}  // namespace

ParsedListing parseStringListing(std::string_view text) {
    ParsedListing parsed;
    if (text.starts_with(kByteOrderMark)) text.remove_prefix(kByteOrderMark.size());
    std::map<std::uint32_t, std::size_t> firstLineOf;
    std::size_t lineNumber = 0;
    while (!text.empty()) {
        ++lineNumber;
        const std::size_t end = text.find('\n');
        std::string_view line = text.substr(0, end);
        text.remove_prefix(end == std::string_view::npos ? text.size() : end + 1);
        if (line.ends_with('\r')) line.remove_suffix(1);

        const auto fail = [&](std::string message) {
            parsed.errors.push_back({lineNumber, std::move(message)});
        };
        const std::size_t first = line.find_first_not_of(kBlanks);
        if (first == std::string_view::npos || line[first] == '#') continue;
        if (!platform::unicode::isValidUtf8(line)) {
            fail("not UTF-8 text");
            continue;
        }
        const std::size_t equals = line.find('=');
        if (equals == std::string_view::npos) {
            fail("no '=' after the number");
            continue;
        }
        std::string_view digits = line.substr(0, equals);
        digits.remove_prefix(std::min(digits.find_first_not_of(kBlanks), digits.size()));
        digits.remove_suffix(digits.size() - (digits.find_last_not_of(kBlanks) + 1));
        const auto number = parseNumber(digits);
        if (!number) {
            fail("\"" + std::string(digits) + "\" is no number from 0 to 4294967295");
            continue;
        }
        std::string why;
        auto value = unescape(line.substr(equals + 1), why);
        if (!value) {
            fail(why);
            continue;
        }
        const auto [earlier, isNew] = firstLineOf.emplace(*number, lineNumber);
        if (!isNew) {
            fail("number " + std::to_string(*number) + " is given already on line " +
                 std::to_string(earlier->second));
            continue;
        }
        parsed.table.emplace(*number, std::move(*value));
    }
    return parsed;
}

std::string formatStringListing(const platform::strings::StringTable& table) {
    static constexpr char kHex[] = "0123456789ABCDEF";
    std::string listing;
    for (const auto& [number, text] : table) {
        listing += std::to_string(number);
        listing += '=';
        std::u16string plain;
        const auto flush = [&] {
            listing += platform::unicode::utf16ToUtf8(plain);
            plain.clear();
        };
        for (std::size_t i = 0; i < text.size(); ++i) {
            const char16_t c = text[i];
            const bool high = c >= 0xD800 && c <= 0xDBFF;
            const bool low = c >= 0xDC00 && c <= 0xDFFF;
            const bool pairedHigh =
                high && i + 1 < text.size() && text[i + 1] >= 0xDC00 && text[i + 1] <= 0xDFFF;
            if (pairedHigh) {
                plain += c;
                plain += text[++i];
                continue;
            }
            const char* escape = c == u'\\'   ? "\\\\"
                                 : c == u'\n' ? "\\n"
                                 : c == u'\r' ? "\\r"
                                 : c == u'\t' ? "\\t"
                                              : nullptr;
            if (!escape && (c < 0x20 || c == 0x7F || high || low)) {
                flush();
                listing += "\\u";
                for (int shift = 12; shift >= 0; shift -= 4) listing += kHex[(c >> shift) & 0xF];
                continue;
            }
            if (escape) {
                flush();
                listing += escape;
                continue;
            }
            plain += c;
        }
        flush();
        listing += '\n';
    }
    return listing;
}

}  // namespace tlvx::tools
