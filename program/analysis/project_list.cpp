#include "program/analysis/project_list.h"

#include <algorithm>

#include "platform/files/file_system.h"
#include "platform/files/win_path.h"
#include "platform/text/unicode_text.h"
#include "program/analysis/group_file.h"
#include "program/analysis/working_copy.h"

namespace tlvx::analysis {

bool isGroupFile(std::string_view path) {
    if (path.size() < 4) return false;
    return platform::unicode::equalIgnoringCase(path.substr(path.size() - 4), ".vbg");
}

const ProjectPosition* ProjectList::at(std::size_t index) const {
    const auto found =
        std::lower_bound(named.begin(), named.end(), index,
                         [](const ProjectPosition& p, std::size_t i) { return p.index < i; });
    return found != named.end() && found->index == index ? &*found : nullptr;
}

std::string_view ProjectList::projectFile(std::size_t index) const {
    const ProjectPosition* position = at(index);
    return position ? std::string_view(position->projectFile) : std::string_view();
}

std::optional<ProjectList> buildProjectList(std::string_view chosenPath,
                                            const std::filesystem::path& workingCopyFolder) {
    ProjectList list;
    GroupPositions positions;
    if (isGroupFile(chosenPath)) {
        const auto resolved = platform::winpath::resolve(chosenPath);
        if (!resolved) return std::nullopt;
        auto read = readGroupFile(*resolved);
        if (!read) return std::nullopt;
        list.groupFile = std::string(chosenPath);
        positions = std::move(*read);
    } else {
        positions.count = 1;
        if (!chosenPath.empty()) positions.named.emplace_back(0, std::string(chosenPath));
    }
    list.positions = positions.count;
    list.named.reserve(positions.named.size());
    WorkingCopyNames names;
    for (auto& [index, project] : positions.named) {
        const std::string name = names.take(platform::winpath::fileName(std::string_view(project)));
        auto copy = makeWorkingCopy(project, workingCopyFolder, name);
        list.named.push_back({index, std::move(project), std::move(copy.path), copy.state});
    }
    return list;
}

void enterProjectFolder(const ProjectList& list, std::size_t index) {
    if (!list.groupFile.empty()) platform::fso::changeToParentFolder(list.groupFile);
    if (index < list.size()) platform::fso::changeToParentFolder(list.projectFile(index));
}

}  // namespace tlvx::analysis
