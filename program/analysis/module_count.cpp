#include "program/analysis/module_count.h"

#include <algorithm>
#include <array>
#include <optional>
#include <system_error>

#include "platform/files/line_tally.h"
#include "platform/files/win_path.h"
#include "platform/text/ansi_search.h"
#include "platform/text/unicode_text.h"

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

// Counts the library would give as a Long stop at its largest value.
int32_t countToLong(uint64_t n) {
    return static_cast<int32_t>(std::min<uint64_t>(n, INT32_MAX));
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

ModuleCount countModule(const std::u16string& path) {
    ModuleCount count;
    const auto resolved = locateFile(path);
    if (!resolved) return count;
    count.valid = true;
    count.type = moduleType(path);
    // A standard module's header is its single "Attribute VB_Name" line,
    // which is not searched for.
    const bool standardModule = lastFourLower(path) == u".bas";
    std::optional<platform::ansi::TextSearch> header;
    if (!standardModule) header.emplace(kHeaderEnd, false);
    const platform::LineTally tally =
        platform::tallyLines(*resolved, '\'', header ? &*header : nullptr);
    count.all = countToLong(tally.pieces);
    count.comment = countToLong(tally.marked);
    count.blank = countToLong(tally.blank);
    // Both lie in 0..INT32_MAX: the difference is a Long.
    count.pure = count.all - (standardModule ? 1 : countToLong(tally.firstFound));
    return count;
}

}  // namespace tlvx::analysis
