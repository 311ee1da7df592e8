#include "platform/files/charset_stream.h"

#include <algorithm>
#include <bit>
#include <cerrno>
#include <cstring>
#include <utility>

#include "platform/files/file_replacement.h"
#include "platform/files/text_stream.h"
#include "platform/files/win_path.h"
#include "platform/text/ansi_codepage.h"
#include "platform/text/iconv_converter.h"
#include "platform/text/unicode_text.h"

namespace tlvx::platform {
namespace {

static_assert(std::endian::native == std::endian::little,
              "UTF-16 text is handed to iconv as UTF-16LE");

using Kind = Charset::Kind;

constexpr std::string_view kUtf8Mark = "\xEF\xBB\xBF";
constexpr std::string_view kUtf16LeMark = "\xFF\xFE";
constexpr std::string_view kUtf16BeMark = "\xFE\xFF";
constexpr char16_t kReplacement = u'\uFFFD';

struct KnownName {
    std::string_view name;  // lower case
    Kind kind;
    std::string_view iconvName;
    std::string_view mark;
};

// The Windows names, with the code page Windows means by each where iconv
// would take a narrower standard (Windows' "gb2312" is code page 936).
constexpr KnownName kKnownNames[] = {
    {"unicode", Kind::Utf16Le, "", kUtf16LeMark},
    {"utf-16", Kind::Utf16Le, "", kUtf16LeMark},
    {"utf-16le", Kind::Utf16Le, "", kUtf16LeMark},
    {"ucs-2", Kind::Utf16Le, "", kUtf16LeMark},
    {"unicodefffe", Kind::Utf16Be, "", kUtf16BeMark},
    {"utf-16be", Kind::Utf16Be, "", kUtf16BeMark},
    {"unicodebigendian", Kind::Utf16Be, "", kUtf16BeMark},
    {"utf-8", Kind::Utf8, "", kUtf8Mark},
    {"utf8", Kind::Utf8, "", kUtf8Mark},
    {"unicode-1-1-utf-8", Kind::Utf8, "", kUtf8Mark},
    {"windows-1252", Kind::Cp1252, "", ""},
    {"cp1252", Kind::Cp1252, "", ""},
    {"x-ansi", Kind::Ansi, "", ""},
    {"auto", Kind::Auto, "", kUtf16LeMark},
    {"utf-32", Kind::Iconv, "UTF-32LE", std::string_view("\xFF\xFE\0\0", 4)},
    {"utf-32le", Kind::Iconv, "UTF-32LE", std::string_view("\xFF\xFE\0\0", 4)},
    {"utf-32be", Kind::Iconv, "UTF-32BE", std::string_view("\0\0\xFE\xFF", 4)},
    {"us-ascii", Kind::Iconv, "ASCII", ""},
    {"ascii", Kind::Iconv, "ASCII", ""},
    {"gb2312", Kind::Iconv, "CP936", ""},
    {"gbk", Kind::Iconv, "CP936", ""},
    {"x-cp20936", Kind::Iconv, "GB2312", ""},
    {"big5", Kind::Iconv, "CP950", ""},
    {"shift_jis", Kind::Iconv, "CP932", ""},
    {"shift-jis", Kind::Iconv, "CP932", ""},
    {"sjis", Kind::Iconv, "CP932", ""},
    {"x-sjis", Kind::Iconv, "CP932", ""},
    {"ks_c_5601-1987", Kind::Iconv, "CP949", ""},
    {"euc-kr", Kind::Iconv, "CP949", ""},
};

std::string lowerAscii(std::string_view text) {
    std::string lower(text);
    for (char& c : lower) {
        if (c >= 'A' && c <= 'Z') c = static_cast<char>(c - 'A' + 'a');
    }
    return lower;
}

// A name iconv could be asked about: printable ASCII, no option suffix.
std::optional<std::string> plainName(std::u16string_view name) {
    if (name.empty() || name.size() > 64) return std::nullopt;
    std::string ascii;
    for (const char16_t c : name) {
        if (c <= u' ' || c > u'~' || c == u'/') return std::nullopt;
        ascii += static_cast<char>(c);
    }
    return ascii;
}

using Converter = conversion::IconvConverter;

bool iconvKnows(const std::string& name) {
    return Converter(name.c_str(), "UTF-16LE").valid() &&
           Converter("UTF-16LE", name.c_str()).valid();
}

std::string utf16Bytes(std::u16string_view text, bool bigEndian) {
    std::string bytes(text.size() * 2, '\0');
    for (std::size_t i = 0; i < text.size(); ++i) {
        const auto c = static_cast<unsigned>(text[i]);
        bytes[2 * i + (bigEndian ? 1 : 0)] = static_cast<char>(c & 0xFF);
        bytes[2 * i + (bigEndian ? 0 : 1)] = static_cast<char>(c >> 8);
    }
    return bytes;
}

// An odd last byte is half a character: it reads as U+FFFD.
std::u16string utf16Text(std::string_view bytes, bool bigEndian) {
    std::u16string text(bytes.size() / 2, u'\0');
    const auto* p = reinterpret_cast<const unsigned char*>(bytes.data());
    for (std::size_t i = 0; i < text.size(); ++i) {
        const unsigned hi = bigEndian ? p[2 * i] : p[2 * i + 1];
        const unsigned lo = bigEndian ? p[2 * i + 1] : p[2 * i];
        text[i] = static_cast<char16_t>(hi << 8 | lo);
    }
    if (bytes.size() % 2) text += kReplacement;
    return text;
}

std::string iconvEncode(const std::string& name, std::u16string_view text) {
    Converter converter(name.c_str(), "UTF-16LE");
    if (!converter.valid()) return {};
    const std::string question = [&] {
        Converter q(name.c_str(), "UTF-16LE");
        std::string out;
        const char16_t mark = u'?';
        const char* in = reinterpret_cast<const char*>(&mark);
        std::size_t size = sizeof mark;
        return q.valid() && q.run(in, size, out) == 0 ? out : std::string("?");
    }();
    std::string out;
    const char* in = reinterpret_cast<const char*>(text.data());
    std::size_t size = text.size() * 2;
    while (size > 0) {
        const int error = converter.run(in, size, out);
        if (error == 0) break;
        if (error != EILSEQ && error != EINVAL) break;
        // A character the charset cannot hold (or a lone surrogate): '?'.
        out += question;
        const auto unit = static_cast<char16_t>(static_cast<unsigned char>(in[0]) |
                                                static_cast<unsigned char>(in[1]) << 8);
        std::size_t skip = 2;
        if (unit >= 0xD800 && unit < 0xDC00 && size >= 4) {
            const auto next = static_cast<char16_t>(static_cast<unsigned char>(in[2]) |
                                                    static_cast<unsigned char>(in[3]) << 8);
            if (next >= 0xDC00 && next < 0xE000) skip = 4;
        }
        skip = std::min(skip, size);
        in += skip;
        size -= skip;
    }
    return out;
}

std::u16string iconvDecode(const std::string& name, std::string_view bytes) {
    Converter converter("UTF-16LE", name.c_str());
    if (!converter.valid()) return {};
    std::string out;
    const char* in = bytes.data();
    std::size_t size = bytes.size();
    while (size > 0) {
        const int error = converter.run(in, size, out);
        if (error == 0) break;
        if (error != EILSEQ && error != EINVAL) break;
        // A byte that starts no character of the charset, or a character
        // the end of the text cuts short.
        out.append(reinterpret_cast<const char*>(&kReplacement), sizeof kReplacement);
        if (error == EINVAL) break;
        ++in;
        --size;
    }
    std::u16string text(out.size() / 2, u'\0');
    std::memcpy(text.data(), out.data(), text.size() * 2);
    return text;
}

std::u16string decodeAs(Kind kind, const std::string& iconvName, std::string_view bytes) {
    switch (kind) {
        case Kind::Utf16Le:
            return utf16Text(bytes, false);
        case Kind::Utf16Be:
            return utf16Text(bytes, true);
        case Kind::Utf8:
            return unicode::utf8ToUtf16(bytes);
        case Kind::Ansi:
        case Kind::Auto:
            return ansi::toUtf16(bytes);
        case Kind::Cp1252:
            return ansi::cp1252ToUtf16(bytes);
        case Kind::Iconv:
            return iconvDecode(iconvName, bytes);
    }
    return {};
}

bool startsWith(std::string_view bytes, std::string_view prefix) {
    return !prefix.empty() && bytes.substr(0, prefix.size()) == prefix;
}

}  // namespace

// ---- Charset -----------------------------------------------------------------

std::optional<Charset> Charset::named(std::u16string_view name) {
    const auto plain = plainName(name);
    if (!plain) return std::nullopt;
    const std::string lower = lowerAscii(*plain);
    for (const KnownName& known : kKnownNames) {
        if (known.name == lower) {
            return Charset(std::u16string(name), known.kind, std::string(known.iconvName),
                           std::string(known.mark));
        }
    }
    if (!iconvKnows(*plain)) return std::nullopt;
    return Charset(std::u16string(name), Kind::Iconv, *plain, "");
}

Charset Charset::unicode() {
    return Charset(u"Unicode", Kind::Utf16Le, "", std::string(kUtf16LeMark));
}

std::string_view Charset::mark() const {
    return mark_;
}

std::string Charset::encode(std::u16string_view text) const {
    switch (kind_) {
        case Kind::Utf16Le:
        case Kind::Auto:
            return utf16Bytes(text, false);
        case Kind::Utf16Be:
            return utf16Bytes(text, true);
        case Kind::Utf8:
            return unicode::utf16ToUtf8(text);
        case Kind::Ansi:
            return ansi::fromUtf16(text);
        case Kind::Cp1252:
            return ansi::utf16ToCp1252(text);
        case Kind::Iconv:
            return iconvEncode(iconvName_, text);
    }
    return {};
}

std::u16string Charset::decode(std::string_view bytes, bool atStart) const {
    if (kind_ != Kind::Auto) {
        if (atStart && startsWith(bytes, mark_)) bytes.remove_prefix(mark_.size());
        return decodeAs(kind_, iconvName_, bytes);
    }
    // The mark names the encoding; without one the text is ANSI.
    const struct {
        std::string_view mark;
        Kind kind;
    } marks[] = {
        {kUtf8Mark, Kind::Utf8}, {kUtf16LeMark, Kind::Utf16Le}, {kUtf16BeMark, Kind::Utf16Be}};
    for (const auto& [mark, kind] : marks) {
        if (atStart && startsWith(bytes, mark)) {
            return decodeAs(kind, iconvName_, bytes.substr(mark.size()));
        }
    }
    return decodeAs(Kind::Ansi, iconvName_, bytes);
}

// ---- CharsetStream -------------------------------------------------------------

using Status = CharsetStream::Status;

Status CharsetStream::open() {
    if (open_) return Status::Open;
    open_ = true;
    bytes_.clear();
    position_ = 0;
    return Status::Done;
}

Status CharsetStream::close() {
    if (!open_) return Status::Closed;
    open_ = false;
    bytes_.clear();
    bytes_.shrink_to_fit();
    position_ = 0;
    return Status::Done;
}

Status CharsetStream::setType(int32_t type) {
    if (type != Binary && type != Text) return Status::BadArgument;
    if (open_ && position_ != 0) return Status::NotAtStart;
    type_ = type;
    return Status::Done;
}

Status CharsetStream::setMode(int32_t mode) {
    if (open_) return Status::Open;
    // The access modes: unknown, read, write, read/write and the share
    // modes up to 0x400000 (recursive); only read/write matters here.
    if (mode < 0 || mode > 0x400000) return Status::BadArgument;
    mode_ = mode;
    return Status::Done;
}

Status CharsetStream::setCharset(std::u16string_view name) {
    if (open_ && position_ != 0) return Status::NotAtStart;
    auto charset = Charset::named(name);
    if (!charset) return Status::BadArgument;
    charset_ = std::move(*charset);
    return Status::Done;
}

Status CharsetStream::position(int64_t& out) const {
    if (!open_) return Status::Closed;
    out = static_cast<int64_t>(position_);
    return Status::Done;
}

Status CharsetStream::setPosition(int64_t position) {
    if (!open_) return Status::Closed;
    if (position < 0 || static_cast<uint64_t>(position) > bytes_.size()) {
        return Status::BadArgument;
    }
    position_ = static_cast<std::size_t>(position);
    return Status::Done;
}

Status CharsetStream::size(int64_t& out) const {
    if (!open_) return Status::Closed;
    out = static_cast<int64_t>(bytes_.size());
    return Status::Done;
}

Status CharsetStream::atEnd(bool& out) const {
    if (!open_) return Status::Closed;
    out = position_ >= bytes_.size();
    return Status::Done;
}

void CharsetStream::put(std::string_view bytes) {
    const std::size_t over = std::min(bytes.size(), bytes_.size() - position_);
    bytes_.replace(position_, over, bytes);
    position_ += bytes.size();
}

Status CharsetStream::writeText(std::u16string_view text, bool line) {
    if (!open_) return Status::Closed;
    if (type_ != Text) return Status::WrongType;
    std::string bytes;
    if (bytes_.empty() && position_ == 0) bytes = charset_.mark();
    bytes += charset_.encode(text);
    if (line) bytes += charset_.encode(u"\r\n");
    put(bytes);
    return Status::Done;
}

Status CharsetStream::write(std::string_view bytes) {
    if (!open_) return Status::Closed;
    if (type_ != Binary) return Status::WrongType;
    put(bytes);
    return Status::Done;
}

Status CharsetStream::read(int32_t count, std::string& out) {
    if (!open_) return Status::Closed;
    if (type_ != Binary) return Status::WrongType;
    if (count < kReadAll) return Status::BadArgument;
    const std::size_t left = bytes_.size() - position_;
    const std::size_t n = count == kReadAll ? left : std::min<std::size_t>(left, count);
    out.assign(bytes_, position_, n);
    position_ += n;
    return Status::Done;
}

Status CharsetStream::readText(std::u16string& out) {
    if (!open_) return Status::Closed;
    if (type_ != Text) return Status::WrongType;
    out = charset_.decode(std::string_view(bytes_).substr(position_), position_ == 0);
    position_ = bytes_.size();
    return Status::Done;
}

Status CharsetStream::flush() const {
    return open_ ? Status::Done : Status::Closed;
}

Status CharsetStream::saveToFile(std::u16string_view fileName, int32_t options) {
    if (!open_) return Status::Closed;
    if (options != kCreateNotExist && options != kCreateOverwrite) return Status::BadArgument;
    const auto path = winpath::resolveForWrite(fileName);
    if (!path) return Status::FileNotWritten;
    std::error_code ec;
    if (std::filesystem::is_directory(*path, ec)) return Status::FileNotWritten;
    FileReplacement replacement(*path);
    replacement.write(bytes_);
    const bool saved =
        options == kCreateOverwrite ? replacement.commit() : replacement.commitAsNewFile();
    if (saved) return Status::Done;
    return replacement.error() == EEXIST ? Status::FileExists : Status::FileNotWritten;
}

Status CharsetStream::loadFromFile(std::u16string_view fileName) {
    if (!open_) return Status::Closed;
    const auto path = winpath::resolve(fileName);
    auto content = path ? readAll(*path) : std::nullopt;
    if (!content) return Status::FileNotOpened;
    bytes_ = std::move(*content);
    position_ = 0;
    return Status::Done;
}

}  // namespace tlvx::platform
