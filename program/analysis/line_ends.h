#pragma once
// Checkouts on this system often end lines with a bare LF (git's line-end
// conversion), sometimes only for some file types of a project, while the
// rules of project files and modules only know CR LF and a lone CR: such a
// file is read as its twin in which every bare LF is a CR LF.

#include <string>
#include <string_view>

namespace tlvx::analysis {

// Every LF that does not follow a CR becomes CR LF.
std::string withCrLfLineEnds(std::string_view text);

}  // namespace tlvx::analysis
