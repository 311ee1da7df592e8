// The data of registry values: strings as UTF-16LE with their NUL, numbers
// as little-endian bytes, and the single-byte face in code page 1252.

#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "platform/registry/registry_store.h"
#include "platform/text/ansi_codepage.h"

namespace tlvx::platform {
namespace {

bool isStringType(uint32_t type) {
    return type == regtype::Sz || type == regtype::ExpandSz || type == regtype::MultiSz;
}

// Appends the units of `text` as UTF-16LE.
void appendUnitsLe(std::string& data, std::u16string_view text) {
    for (char16_t c : text) {
        data += static_cast<char>(c & 0xFF);
        data += static_cast<char>(c >> 8);
    }
}

// Appends `text` and its NUL as UTF-16LE.
void appendUtf16Le(std::string& data, std::u16string_view text) {
    appendUnitsLe(data, text);
    data.append(2, '\0');
}

// Every UTF-16LE unit of `data`, NULs included.
std::u16string utf16LeUnits(std::string_view data) {
    std::u16string units;
    units.reserve(data.size() / 2);
    for (size_t i = 0; i + 1 < data.size(); i += 2) {
        units += static_cast<char16_t>(static_cast<unsigned char>(data[i]) |
                                       (static_cast<unsigned char>(data[i + 1]) << 8));
    }
    return units;
}

}  // namespace

RegistryValue RegistryValue::fromString(std::u16string_view text, uint32_t type) {
    RegistryValue value{type, {}};
    value.data.reserve((text.size() + 1) * 2);
    appendUtf16Le(value.data, text);
    return value;
}

RegistryValue RegistryValue::fromStrings(const std::vector<std::u16string>& strings) {
    RegistryValue value{regtype::MultiSz, {}};
    for (const auto& text : strings) appendUtf16Le(value.data, text);
    appendUtf16Le(value.data, u"");
    return value;
}

std::vector<std::u16string> RegistryValue::toStrings() const {
    std::vector<std::u16string> strings;
    if (type != regtype::MultiSz) return strings;
    std::u16string units = utf16LeUnits(data);
    if (units.ends_with(u'\0')) units.pop_back();  // the list's closing NUL
    std::size_t start = 0;
    while (start < units.size()) {
        std::size_t end = units.find(u'\0', start);
        if (end == std::u16string::npos) end = units.size();
        strings.push_back(units.substr(start, end - start));
        start = end + 1;
    }
    return strings;
}

RegistryValue RegistryValue::fromDword(uint32_t number) {
    RegistryValue value{regtype::Dword, std::string(4, '\0')};
    for (int i = 0; i < 4; ++i) value.data[i] = static_cast<char>((number >> (8 * i)) & 0xFF);
    return value;
}

std::optional<std::u16string> RegistryValue::toString() const {
    if (type != regtype::Sz && type != regtype::ExpandSz) return std::nullopt;
    std::u16string text = utf16LeUnits(data);
    if (const auto end = text.find(u'\0'); end != std::u16string::npos) text.resize(end);
    return text;
}

RegistryValue RegistryValue::fromAnsi(uint32_t type, std::string_view data) {
    if (!isStringType(type)) return RegistryValue{type, std::string(data)};
    RegistryValue value{type, {}};
    value.data.reserve(data.size() * 2);
    // Decoded as a whole: in a double-byte code page two bytes may make one
    // character.
    appendUnitsLe(value.data, ansi::toUtf16(data));
    return value;
}

std::string RegistryValue::ansiData() const {
    if (!isStringType(type)) return data;
    return ansi::fromUtf16(utf16LeUnits(data));
}

std::optional<uint32_t> RegistryValue::toDword() const {
    if (type != regtype::Dword || data.size() != 4) return std::nullopt;
    uint32_t number = 0;
    for (int i = 3; i >= 0; --i) number = (number << 8) | static_cast<unsigned char>(data[i]);
    return number;
}

}  // namespace tlvx::platform
