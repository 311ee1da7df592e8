#include "program/analysis/module_count.h"

#include <array>
#include <optional>
#include <system_error>

#include "platform/files/line_input.h"
#include "platform/files/win_path.h"
#include "platform/text/unicode_text.h"
#include "program/analysis/line_ends.h"

namespace tlvx::analysis {
namespace {

struct TypeByExtension {
    std::u16string_view extension;  // lower case
    std::string_view type;
};

constexpr std::array<TypeByExtension, 7> kTypes = {{
    {u".frm", "Form"},
    {u".bas", "Module"},
    {u".cls", "ClassModule"},
    {u".ctl", "UserControl"},
    {u".pag", "PropertyPage"},
    {u".dsr", "Designer"},
    {u".dob", "UserDocument"},
}};

// Forms, classes, controls, property pages, designers and documents end
// their header with this attribute line.
constexpr std::u16string_view kHeaderEnd = u"Attribute VB_Exposed";

std::u16string lastFourLower(std::u16string_view path) {
    return platform::unicode::toLower(path.substr(path.size() < 4 ? 0 : path.size() - 4));
}

int32_t clampToLong(int64_t n) {
    if (n > INT32_MAX) return INT32_MAX;
    if (n < INT32_MIN) return INT32_MIN;
    return static_cast<int32_t>(n);
}

// A folder is no module; a FIFO, a device or a socket is one that cannot be
// read, which the readers refuse without waiting.
bool namesFile(const std::filesystem::path& path) {
    std::error_code ec;
    const auto status = std::filesystem::status(path, ec);
    return !ec && std::filesystem::exists(status) && !std::filesystem::is_directory(status);
}

// The file a module path names: the path as written, else looked up without
// regard to case.
std::optional<std::filesystem::path> locateFile(const std::u16string& path) {
    if (auto exact = platform::winpath::lexical(path); exact && namesFile(*exact)) return exact;
    if (auto found = platform::winpath::resolve(path); found && namesFile(*found)) return found;
    return std::nullopt;
}

}  // namespace

std::string moduleType(std::u16string_view path) {
    const std::u16string ext = lastFourLower(path);
    for (const auto& t : kTypes)
        if (ext == t.extension) return std::string(t.type);
    return "OtherModule";
}

CommentBlankCount countCommentsAndBlanks(const std::filesystem::path& file) {
    CommentBlankCount count;
    platform::LineInput input;
    input.setLineFeedEndsLine(true);
    if (!input.open(file)) return count;
    count.readable = true;
    // Read in parts, so that a module of any size, one long line included,
    // is counted in bounded memory.
    constexpr std::size_t kPart = 64 * 1024;
    std::string part;
    bool complete = false;
    // Whether the line so far holds a character that is neither tab nor
    // space, and whether the first such character is an apostrophe.
    bool decided = false;
    bool comment = false;
    while (input.readLinePart(part, kPart, complete)) {
        if (!decided) {
            // Tabs are removed everywhere and spaces trimmed at both ends:
            // what decides is the first character that is neither.
            if (const auto first = part.find_first_not_of("\t "); first != std::string::npos) {
                decided = true;
                comment = part[first] == '\'';
            }
        }
        if (!complete) continue;
        if (!decided)
            ++count.blank;
        else if (comment)
            ++count.comment;
        decided = false;
    }
    // A read that broke off (a pseudo-file that gives more than the
    // whole-file bound, a read error) counts nothing, as an unreadable file.
    if (input.failed()) return {};
    count.bareLineFeeds = input.sawBareLineFeed();
    return count;
}

ModuleCount countModule(const std::u16string& path, const TxtFileClient& txt,
                        const std::filesystem::path& scratchFolder) {
    ModuleCount count;
    // The module is looked up once; the text-file class then gets the path
    // it resolved to, which spares it the lookup without regard to case.
    const auto resolved = locateFile(path);
    if (!resolved) return count;
    count.valid = true;
    count.type = moduleType(path);

    const CommentBlankCount cb = countCommentsAndBlanks(*resolved);
    count.comment = clampToLong(cb.comment);
    count.blank = clampToLong(cb.blank);

    // The line counts come from the text-file class, which splits at CR LF
    // only; a file with bare LFs is measured through its CR LF twin.
    std::filesystem::path measured = *resolved;
    const auto copy =
        cb.bareLineFeeds ? crLfCopy(*resolved, scratchFolder) : std::optional<ScratchCopy>();
    if (copy) measured = copy->path();
    const std::u16string measuredText = platform::winpath::toUtf16(measured);
    count.all = txt.GetLineQty(measuredText);
    const bool standardModule = lastFourLower(path) == u".bas";
    // A standard module's header is its single "Attribute VB_Name" line.
    const int64_t header =
        standardModule ? 1 : txt.GetLineNoByFind(measuredText, std::u16string(kHeaderEnd), false);
    count.pure = clampToLong(int64_t{count.all} - header);
    return count;
}

}  // namespace tlvx::analysis
