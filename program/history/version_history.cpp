#include "program/history/version_history.h"

#include <algorithm>
#include <cstdio>
#include <system_error>

#include "platform/files/file_replacement.h"
#include "platform/process/leftovers.h"
#include "platform/text/ansi_codepage.h"
#include "platform/text/name_collation.h"
#include "platform/text/unicode_text.h"
#include "program/history/record_names.h"
#include "program/history/version_order.h"

namespace tlvx::history {
namespace {

namespace fs = std::filesystem;

constexpr std::size_t kMaxFileName = 255;  // bytes, as ext4 and most others allow
constexpr std::string_view kLineEnd = "\r\n";

// FNV-1a, enough to keep two long names with the same beginning apart.
uint32_t checksum(std::string_view text) {
    uint32_t h = 2166136261u;
    for (unsigned char c : text) h = (h ^ c) * 16777619u;
    return h;
}

// Cuts UTF-8 text to at most `bytes` bytes without splitting a character.
std::string_view cutUtf8(std::string_view text, std::size_t bytes) {
    if (text.size() <= bytes) return text;
    std::size_t end = bytes;
    while (end > 0 && (static_cast<unsigned char>(text[end]) & 0xC0) == 0x80) --end;
    return text.substr(0, end);
}

// The entry of `folder` that stores `name`: the exact stored name first,
// else one whose name reads the same without regard to case.
std::optional<fs::path> findEntry(const fs::path& folder, std::string_view name, bool wantFolder) {
    std::error_code ec;
    const auto isWanted = [&](const fs::path& p) {
        return wantFolder ? fs::is_directory(p, ec) : fs::is_regular_file(p, ec);
    };
    const fs::path exact = folder / VersionHistory::storedName(name);
    if (isWanted(exact)) return exact;
    for (auto it = fs::directory_iterator(folder, ec); !ec && it != fs::directory_iterator();
         it.increment(ec)) {
        const std::string stored = it->path().filename().string();
        if (platform::unicode::equalIgnoringCase(unescapeRecordName(stored), name) &&
            isWanted(it->path()))
            return it->path();
    }
    return std::nullopt;
}

std::vector<std::string> entryNames(const fs::path& folder, bool wantFolders) {
    std::vector<std::string> names;
    std::error_code ec;
    for (auto it = fs::directory_iterator(folder, ec); !ec && it != fs::directory_iterator();
         it.increment(ec)) {
        std::error_code typeEc;
        const bool isFolder = it->is_directory(typeEc);
        const std::string stored = it->path().filename().string();
        // Files a rewrite is still filling are not records.
        if (stored.starts_with(".")) continue;
        if (isFolder == wantFolders) names.push_back(unescapeRecordName(stored));
    }
    // Listed by name as the desktop orders names; the stable sort keeps
    // names differing only in case in one fixed order.
    std::ranges::sort(names);
    std::ranges::stable_sort(names, platform::collation::nameLess);
    return names;
}

}  // namespace

std::string recordLine(const analysis::ListingRow& row) {
    std::string line;
    for (std::size_t c = 0; c < row.size(); ++c) {
        if (c) line += ':';
        line += row[c];
    }
    return line;
}

std::string VersionHistory::storedName(std::string_view name) {
    std::string stored = escapeRecordName(name);
    if (stored.size() <= kMaxFileName) return stored;
    char suffix[16];
    std::snprintf(suffix, sizeof suffix, "%%~%08x", checksum(name));
    std::string cut(cutUtf8(stored, kMaxFileName - std::string_view(suffix).size()));
    // Do not leave half an escape at the cut.
    if (const auto pct = cut.rfind('%'); pct != std::string::npos && pct + 3 > cut.size())
        cut.erase(pct);
    return cut + suffix;
}

bool VersionHistory::save(std::string_view projectName, std::string_view version,
                          const std::vector<analysis::ListingRow>& rows,
                          std::string_view summary) const {
    std::error_code ec;
    if (!fs::is_directory(root_, ec)) return false;
    fs::path folder;
    if (auto existing = findEntry(root_, projectName, true)) {
        folder = *existing;
    } else {
        folder = root_ / storedName(projectName);
        if (!fs::create_directory(folder, ec) && !fs::is_directory(folder, ec)) return false;
    }
    const fs::path file = findEntry(folder, version, false).value_or(folder / storedName(version));

    platform::FileReplacement record(file);
    for (const auto& row : rows) {
        record.write(platform::ansi::fromUtf8(recordLine(row)));
        record.write(kLineEnd);
    }
    record.write(platform::ansi::fromUtf8(summary));
    record.write(kLineEnd);
    return record.commit();
}

std::vector<std::string> VersionHistory::projects() const {
    return entryNames(root_, true);
}

std::vector<std::string> VersionHistory::versions(std::string_view projectName) const {
    const auto folder = projectFolder(projectName);
    if (!folder) return {};
    // Half-written records that killed writers left here long ago go.
    platform::leftovers::removeAbandonedFilesOccasionally(*folder);
    // By version ("1.9.0" before "1.10.0"); equal keys keep the order of
    // their names.
    auto versions = entryNames(*folder, false);
    sortVersions(versions);
    return versions;
}

std::optional<fs::path> VersionHistory::projectFolder(std::string_view projectName) const {
    return findEntry(root_, projectName, true);
}

std::optional<fs::path> VersionHistory::recordFile(std::string_view projectName,
                                                   std::string_view version) const {
    const auto folder = projectFolder(projectName);
    return folder ? findEntry(*folder, version, false) : std::nullopt;
}

}  // namespace tlvx::history
