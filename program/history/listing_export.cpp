#include "program/history/listing_export.h"

#include <cstdio>
#include <ctime>
#include <filesystem>

#include "platform/files/file_replacement.h"
#include "platform/text/ansi_codepage.h"
#include "program/analysis/summary_line.h"
#include "program/history/listing_text.h"

namespace tlvx::history {

std::string defaultExportName(std::string_view firstName, std::string_view secondName,
                              std::chrono::year_month_day date) {
    char digits[16];
    std::snprintf(digits, sizeof digits, "%04d%02u%02u", static_cast<int>(date.year()),
                  static_cast<unsigned>(date.month()), static_cast<unsigned>(date.day()));
    std::string name(firstName);
    name += '_';
    name += secondName;
    name += '_';
    name += digits;
    for (char& c : name) {
        const auto byte = static_cast<unsigned char>(c);
        if (byte < 0x20 || byte == 0x7F ||
            std::string_view("/\\:*?\"<>|").find(c) != std::string_view::npos)
            c = '_';
    }
    return name;
}

std::chrono::year_month_day localToday() {
    const std::time_t now = std::time(nullptr);
    std::tm local{};
    localtime_r(&now, &local);
    return std::chrono::year_month_day{std::chrono::year(local.tm_year + 1900),
                                       std::chrono::month(static_cast<unsigned>(local.tm_mon + 1)),
                                       std::chrono::day(static_cast<unsigned>(local.tm_mday))};
}

bool writeExportFile(const std::string& path, const std::vector<std::string>& lines,
                     MessageBoxes& messages) {
    platform::FileReplacement file{std::filesystem::path(path)};
    for (const auto& line : lines) {
        file.write(platform::ansi::fromUtf8(line));
        file.write("\r\n");
    }
    if (!file.commit()) {
        messages.warning("The listing could not be written to \"" + path + "\".");
        return false;
    }
    messages.information(kExported);
    return true;
}

void exportListing(const ExportRequest& request, const SaveNameChooser& chooseFile,
                   MessageBoxes& messages, std::chrono::year_month_day today) {
    const std::string proposed = defaultExportName(request.firstName, request.secondName, today);
    if (request.rows.empty()) {
        messages.information(kNothingToExport);
        return;
    }
    const std::string path = chooseFile(proposed);
    if (path.empty()) return;

    const FieldSeparator sep = separatorForPath(path);
    std::vector<std::string> lines{headerLine(sep)};
    for (const auto& row : request.rows) lines.push_back(rowLine(row, sep));
    std::string total = totalLine(analysis::summaryNumbers(request.summary), sep);
    if (!total.empty()) lines.push_back(std::move(total));
    writeExportFile(path, lines, messages);
}

}  // namespace tlvx::history
