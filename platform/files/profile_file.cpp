#include "platform/files/profile_file.h"

#include <sys/stat.h>

#include <vector>

#include "platform/files/file_replacement.h"
#include "platform/files/line_input.h"
#include "platform/files/text_stream.h"
#include "platform/text/ansi_codepage.h"
#include "platform/text/blanks.h"

namespace tlvx::platform::profile {
namespace {

// The longest value a caller's buffer of 65535 characters can take.
constexpr std::size_t kMaxValue = 65534;

enum class Encoding { Ansi, Utf8, Utf16 };

// A file's text in the code page and how it was stored.
struct Content {
    std::string text;
    Encoding encoding = Encoding::Ansi;
    bool lossless = true;
};

Content decode(std::string bytes) {
    Content content;
    if (bytes.starts_with("\xEF\xBB\xBF")) {
        content.encoding = Encoding::Utf8;
        content.text = ansi::fromUtf8(std::string_view(bytes).substr(3), &content.lossless);
    } else if (bytes.starts_with("\xFF\xFE")) {
        content.encoding = Encoding::Utf16;
        std::u16string text;
        text.reserve(bytes.size() / 2);
        for (std::size_t i = 2; i + 1 < bytes.size(); i += 2) {
            text.push_back(static_cast<char16_t>(static_cast<unsigned char>(bytes[i]) |
                                                 static_cast<unsigned char>(bytes[i + 1]) << 8));
        }
        content.text = ansi::fromUtf16(text, &content.lossless);
        if (bytes.size() % 2 != 0) content.lossless = false;
    } else {
        content.text = std::move(bytes);
    }
    return content;
}

std::string encode(const std::string& text, Encoding encoding) {
    switch (encoding) {
        case Encoding::Ansi:
            return text;
        case Encoding::Utf8:
            return "\xEF\xBB\xBF" + ansi::toUtf8(text);
        case Encoding::Utf16: {
            std::string bytes = "\xFF\xFE";
            for (const char16_t c : ansi::toUtf16(text)) {
                bytes.push_back(static_cast<char>(c & 0xFF));
                bytes.push_back(static_cast<char>(c >> 8));
            }
            return bytes;
        }
    }
    return text;
}

enum class Kind { Section, Key, Other };

// One line of the text: its content [begin, end) and where the next starts.
struct Line {
    std::size_t begin = 0;
    std::size_t end = 0;
    std::size_t next = 0;
    Kind kind = Kind::Other;
    bool blank = false;
    std::string_view name;  // of the section or the key
    std::string_view rest;  // the text after the key's '='
};

Line classify(std::string_view text, std::size_t begin, std::size_t end, std::size_t next) {
    Line line;
    line.begin = begin;
    line.end = end;
    line.next = next;
    const std::string_view content = text.substr(begin, end - begin);
    const std::string_view inner = trimBlanks(content);
    line.blank = inner.empty();
    if (inner.starts_with('[')) {
        // A '[' line without ']' is a broken section line: neither kind. A
        // double-byte character's second byte may be ']' and ends nothing.
        const std::size_t close = ansi::findAscii(inner, ']', 1);
        if (close != std::string_view::npos) {
            line.kind = Kind::Section;
            line.name = trimBlanks(inner.substr(1, close - 1));
        }
        return line;
    }
    const std::size_t equals = content.find('=');
    if (equals != std::string_view::npos) {
        line.kind = Kind::Key;
        line.name = trimBlanks(content.substr(0, equals));
        line.rest = content.substr(equals + 1);
    }
    return line;
}

// The lines of the text; a line ends at CR LF, CR or LF.
std::vector<Line> splitLines(std::string_view text) {
    std::vector<Line> lines;
    std::size_t begin = 0;
    while (begin < text.size()) {
        std::size_t end = findCrOrLf(text, begin);
        std::size_t next;
        if (end == std::string_view::npos) {
            end = next = text.size();
        } else {
            const bool pair = text[end] == '\r' && end + 1 < text.size() && text[end + 1] == '\n';
            next = end + (pair ? 2 : 1);
        }
        lines.push_back(classify(text, begin, end, next));
        begin = next;
    }
    return lines;
}

// Where the first matching section and, inside it, the first matching key
// lie (as line indices); `sectionEnd` is the index after its last line.
struct Found {
    std::optional<std::size_t> section;
    std::size_t sectionEnd = 0;
    std::optional<std::size_t> key;
};

Found find(const std::vector<Line>& lines, std::string_view section,
           std::optional<std::string_view> key) {
    Found found;
    std::size_t i = 0;
    while (i < lines.size() &&
           !(lines[i].kind == Kind::Section && ansi::equalIgnoringCase(lines[i].name, section))) {
        ++i;
    }
    if (i == lines.size()) return found;
    found.section = i;
    for (++i; i < lines.size() && lines[i].kind != Kind::Section; ++i) {
        if (key && !found.key && lines[i].kind == Kind::Key &&
            ansi::equalIgnoringCase(lines[i].name, *key)) {
            found.key = i;
        }
    }
    found.sectionEnd = i;
    return found;
}

std::string valueOf(std::string_view text) {
    text = trimBlanks(text);
    if (text.size() >= 2 && (text.front() == '"' || text.front() == '\'') &&
        text.back() == text.front()) {
        text = text.substr(1, text.size() - 2);
    }
    return std::string(text.substr(0, kMaxValue));
}

// A line break or NUL would let a name or value write lines of its own.
bool isSingleLine(std::string_view text) {
    return text.find_first_of(std::string_view("\r\n\0", 3)) == std::string_view::npos;
}

// The new text, or nullopt when nothing changes.
std::optional<std::string> edited(const std::string& text, std::string_view section,
                                  std::optional<std::string_view> key,
                                  std::optional<std::string_view> value) {
    const std::vector<Line> lines = splitLines(text);
    const Found found = find(lines, section, key);
    const auto startOf = [&](std::size_t index) {
        return index < lines.size() ? lines[index].begin : text.size();
    };
    std::string out = text;
    if (!key) {
        if (!found.section) return std::nullopt;
        out.erase(lines[*found.section].begin,
                  startOf(found.sectionEnd) - lines[*found.section].begin);
        return out;
    }
    if (!value) {
        if (!found.key) return std::nullopt;
        const Line& line = lines[*found.key];
        out.erase(line.begin, line.next - line.begin);
        return out;
    }
    if (found.key) {
        const Line& line = lines[*found.key];
        out.replace(line.begin, line.end - line.begin,
                    std::string(line.name) + "=" + std::string(*value));
        return out;
    }
    const std::string entry = std::string(*key) + "=" + std::string(*value) + "\r\n";
    if (found.section) {
        // After the section's last line that is not blank, so that a blank
        // line before the next section stays where it is.
        std::size_t last = found.sectionEnd - 1;
        while (last > *found.section && lines[last].blank) --last;
        const Line& line = lines[last];
        const bool ended = line.next > line.end;
        std::string inserted = ended ? std::string() : std::string("\r\n");
        inserted += entry;
        out.insert(line.next, inserted);
        return out;
    }
    if (!out.empty() && out.back() != '\r' && out.back() != '\n') out += "\r\n";
    out += '[';
    out += section;
    out += "]\r\n";
    out += entry;
    return out;
}

}  // namespace

std::string readString(const std::filesystem::path& file, std::string_view section,
                       std::string_view key, std::string_view defaultValue) {
    const auto bytes = readAll(file);
    if (!bytes) return std::string(defaultValue);
    const Content content = decode(*bytes);
    const std::vector<Line> lines = splitLines(content.text);
    const Found found = find(lines, section, key);
    if (!found.key) return std::string(defaultValue);
    return valueOf(lines[*found.key].rest);
}

bool writeString(const std::filesystem::path& file, std::string_view section,
                 std::optional<std::string_view> key, std::optional<std::string_view> value) {
    if (!isSingleLine(section) || (key && (!isSingleLine(*key) || key->find('=') != key->npos)) ||
        (value && !isSingleLine(*value))) {
        return false;
    }
    struct stat st;
    // A file without any write permission is read-only: refused for every
    // user, the super-user too, as the classic platform refuses it.
    if (::stat(file.c_str(), &st) == 0 && (st.st_mode & 0222) == 0) return false;
    Content content;
    if (auto bytes = readAll(file)) {
        content = decode(std::move(*bytes));
        // Rewriting would replace what the code page cannot hold.
        if (!content.lossless) return false;
    } else {
        // A file that exists but cannot be read must not be overwritten.
        if (::lstat(file.c_str(), &st) == 0) return false;
    }
    const auto text = edited(content.text, section, key, value);
    if (!text) return true;
    return replaceFileContent(file, encode(*text, content.encoding));
}

}  // namespace tlvx::platform::profile
