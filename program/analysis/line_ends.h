#pragma once
// Checkouts on this system often end lines with a bare LF (git's line-end
// conversion), sometimes only for some file types of a project. The counting
// rules only know CR LF and a lone CR, so such a file is counted through a
// copy in which every bare LF is a CR LF: its counts then equal those of the
// same file with CR LF line ends.

#include <filesystem>
#include <optional>
#include <string>
#include <string_view>
#include <utility>

#include "platform/process/interruption.h"

namespace tlvx::analysis {

// Every LF that does not follow a CR becomes CR LF.
std::string withCrLfLineEnds(std::string_view text);

// A scratch file, removed when the object goes (and by an interruption of
// the process while it lives).
class ScratchCopy {
public:
    explicit ScratchCopy(platform::interruption::PathGuard file) : file_(std::move(file)) {}
    ~ScratchCopy();
    ScratchCopy(ScratchCopy&&) = default;
    ScratchCopy& operator=(ScratchCopy&&) = delete;

    const std::filesystem::path& path() const { return file_.path(); }

private:
    platform::interruption::PathGuard file_;
};

// A copy of `source` with CR LF line ends, in a new uniquely named file in
// `folder`; nullopt when it cannot be made. Streams: holds a block at a time.
std::optional<ScratchCopy> crLfCopy(const std::filesystem::path& source,
                                    const std::filesystem::path& folder);

}  // namespace tlvx::analysis
