#include "program/history/listing_export.h"

#include <cstdio>
#include <ctime>

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

ExportFile::ExportFile(const std::filesystem::path& file)
    : file_(std::make_unique<platform::FileReplacement>(file)) {}

ExportFile::~ExportFile() = default;

void ExportFile::writeLine(std::string_view utf8) {
    file_->write(platform::ansi::fromUtf8(utf8));
    file_->write("\r\n");
}

bool ExportFile::commit() {
    return file_->commit();
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
    ExportFile file{std::filesystem::path(path)};
    const auto writeLine = [&](const std::string& utf8) { file.writeLine(utf8); };
    writeLine(headerLine(sep));
    for (const auto& row : request.rows) writeLine(rowLine(row, sep));
    const std::string total = totalLine(analysis::summaryNumbers(request.summary), sep);
    if (!total.empty()) writeLine(total);
    if (!file.commit()) {
        messages.warning("The listing could not be written to \"" + path + "\".");
        return;
    }
    messages.information(kExported);
}

}  // namespace tlvx::history
