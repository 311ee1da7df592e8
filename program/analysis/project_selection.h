#pragma once
// Choosing a project or group and stepping through its positions. The
// current position is kept only in the counter text ("  k/N", two spaces in
// front; "  0/0" before any choice), which previous and next read back.

#include <cstddef>
#include <filesystem>
#include <functional>
#include <string>
#include <string_view>

#include "program/analysis/project_list.h"

namespace tlvx::analysis {

// What became of a choice.
enum class Choice {
    Made,             // the list replaced, its first position analysed
    Unreadable,       // the chosen file cannot be read (see refusal())
    GroupUnreadable,  // the group file cannot be read
    NoProject,        // the chosen project file is no VB6 project at all
};

// What the user is told when the chosen file cannot be read, `reason` as
// refusal() gives it.
std::string unreadableFileMessage(std::string_view chosenPath, std::string_view reason);

class ProjectSelection {
public:
    // Runs the analysis of one position (0-based).
    using Analyse = std::function<void(const ProjectList& list, std::size_t index)>;

    explicit ProjectSelection(std::filesystem::path workingCopyFolder)
        : workingCopyFolder_(std::move(workingCopyFolder)) {}

    // A new choice: the list with the working copies of all positions, the
    // counter at "  1/N", and the first position analysed. A group file that
    // cannot be read, or a chosen project file that holds no project, leaves
    // everything as it was, its working copies too. Only a regular file of
    // a sane size is read: a FIFO, a device or a huge file is refused.
    Choice choose(std::string_view chosenPath, const Analyse& analyse);
    // Why the last choice could not be read ("no such file", "not a regular
    // file", "larger than 64 MiB", ...).
    const std::string& refusal() const { return refusal_; }
    // One position back or on; nothing at the ends, before a choice, or with
    // a single position. The counter changes after the analysis.
    void previous(const Analyse& analyse);
    void next(const Analyse& analyse);

    const std::string& counterText() const { return counter_; }
    const ProjectList& list() const { return list_; }

private:
    void step(int delta, const Analyse& analyse);

    std::filesystem::path workingCopyFolder_;
    ProjectList list_;
    std::string counter_ = "  0/0";
    std::string refusal_;
};

}  // namespace tlvx::analysis
