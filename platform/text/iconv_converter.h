#pragma once
// One iconv conversion descriptor, closed at the end of its scope, with the
// two ways this system converts through it: a whole short text at once, or
// as much of a stream's bytes as converts.

#include <iconv.h>

#include <cerrno>
#include <cstddef>
#include <optional>
#include <string>
#include <string_view>

namespace tlvx::platform::conversion {

class IconvConverter {
public:
    IconvConverter(const char* to, const char* from) : cd_(::iconv_open(to, from)) {}
    ~IconvConverter() {
        if (valid()) ::iconv_close(cd_);
    }
    IconvConverter(const IconvConverter&) = delete;
    IconvConverter& operator=(const IconvConverter&) = delete;

    bool valid() const { return cd_ != reinterpret_cast<iconv_t>(-1); }

    // A short input (a character or two) converted whole, shift state
    // flushed; nullopt when iconv refuses any of it.
    std::optional<std::string> convertShort(std::string_view input) {
        ::iconv(cd_, nullptr, nullptr, nullptr, nullptr);
        std::string in(input);
        char buffer[32];
        char* from = in.data();
        std::size_t left = in.size();
        char* to = buffer;
        std::size_t room = sizeof buffer;
        const auto failed = static_cast<std::size_t>(-1);
        if (::iconv(cd_, &from, &left, &to, &room) == failed || left != 0) return std::nullopt;
        if (::iconv(cd_, nullptr, nullptr, &to, &room) == failed) return std::nullopt;
        return std::string(buffer, to);
    }

    // Converts as much of [in, in + size) as it can, appending to `out`.
    // Returns the errno that stopped it (0 when all was converted) and
    // leaves `in`/`size` at the rest.
    int run(const char*& in, std::size_t& size, std::string& out) {
        for (;;) {
            const std::size_t used = out.size();
            out.resize(used + size * 4 + 16);
            char* to = out.data() + used;
            std::size_t room = out.size() - used;
            char* from = const_cast<char*>(in);
            const bool stopped =
                ::iconv(cd_, &from, &size, &to, &room) == static_cast<std::size_t>(-1);
            const int error = stopped ? errno : 0;
            in = from;
            if (error == 0) ::iconv(cd_, nullptr, nullptr, &to, &room);  // end any shift state
            out.resize(static_cast<std::size_t>(to - out.data()));
            if (error != E2BIG) return error;
        }
    }

private:
    iconv_t cd_;
};

}  // namespace tlvx::platform::conversion
