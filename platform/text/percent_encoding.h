#pragma once
// Paths written as the path of a file: URI (RFC 3986): every byte but the
// unreserved ones and '/' as '%' and two upper-case hexadecimal digits.

#include <optional>
#include <string>
#include <string_view>

namespace tlvx::platform::percent {

std::string encodePath(std::string_view path);
// The bytes an encoded path stands for; nullopt when a '%' is not followed
// by two hexadecimal digits.
std::optional<std::string> decode(std::string_view encoded);

}  // namespace tlvx::platform::percent
