#include "program/analysis/project_selection.h"

#include <charconv>

#include "platform/descriptors/regular_file.h"
#include "platform/files/win_path.h"
#include "program/analysis/project_recognition.h"

namespace tlvx::analysis {
namespace {

std::string_view trimSpaces(std::string_view s) {
    while (!s.empty() && s.front() == ' ') s.remove_prefix(1);
    while (!s.empty() && s.back() == ' ') s.remove_suffix(1);
    return s;
}

}  // namespace

std::string unreadableFileMessage(std::string_view chosenPath, std::string_view reason) {
    return "\"" + std::string(chosenPath) + "\" cannot be read (" + std::string(reason) + ").";
}

Choice ProjectSelection::choose(std::string_view chosenPath, const Analyse& analyse) {
    refusal_.clear();
    const auto resolved = platform::winpath::resolve(chosenPath);
    const auto opened = platform::RegularFile::openForReading(
        resolved ? *resolved : std::filesystem::path(std::string(chosenPath)),
        platform::kMaxWholeFileSize);
    if (!opened) {
        refusal_ = platform::describeRefusal(opened);
        return Choice::Unreadable;
    }
    // Checked before any working copy is made: the copy could take the
    // place of one the previous list still uses.
    if (!isGroupFile(chosenPath) && !projectFileHoldsProject(chosenPath)) return Choice::NoProject;
    auto list = buildProjectList(chosenPath, workingCopyFolder_);
    if (!list) return Choice::GroupUnreadable;
    list_ = std::move(*list);
    counter_ = "  1/" + std::to_string(list_.size());
    analyse(list_, 0);
    return Choice::Made;
}

void ProjectSelection::previous(const Analyse& analyse) {
    step(-1, analyse);
}

void ProjectSelection::next(const Analyse& analyse) {
    step(+1, analyse);
}

void ProjectSelection::step(int delta, const Analyse& analyse) {
    const std::string_view trimmed = trimSpaces(counter_);
    if (trimmed == "0/0" || trimmed == "1/1") return;
    const auto slash = counter_.find('/');
    if (slash == std::string::npos) return;
    const std::string_view first = trimSpaces(std::string_view(counter_).substr(0, slash));
    long k = 0;
    if (std::from_chars(first.data(), first.data() + first.size(), k).ec != std::errc()) return;
    const long target = k + delta;
    if (target < 1 || target > static_cast<long>(list_.size())) return;
    const std::string rest = counter_.substr(slash + 1);
    analyse(list_, static_cast<std::size_t>(target - 1));
    counter_ = "  " + std::to_string(target) + "/" + rest;
}

}  // namespace tlvx::analysis
