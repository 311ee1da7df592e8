#include "program/analysis/project_list.h"

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

std::optional<ProjectList> buildProjectList(std::string_view chosenPath,
                                            const std::filesystem::path& workingCopyFolder) {
    ProjectList list;
    if (isGroupFile(chosenPath)) {
        const auto resolved = platform::winpath::resolve(chosenPath);
        if (!resolved) return std::nullopt;
        auto projects = readGroupFile(*resolved);
        if (!projects) return std::nullopt;
        list.groupFile = std::string(chosenPath);
        list.projectFiles = std::move(*projects);
    } else {
        list.projectFiles.emplace_back(chosenPath);
    }
    WorkingCopyNames names;
    for (const auto& project : list.projectFiles) {
        const std::string name = names.take(platform::winpath::fileName(std::string_view(project)));
        auto copy = makeWorkingCopy(project, workingCopyFolder, name);
        list.workingCopies.push_back(std::move(copy.path));
        list.copyStates.push_back(copy.state);
    }
    return list;
}

void enterProjectFolder(const ProjectList& list, std::size_t index) {
    if (!list.groupFile.empty()) platform::fso::changeToParentFolder(list.groupFile);
    if (index < list.projectFiles.size())
        platform::fso::changeToParentFolder(list.projectFiles[index]);
}

}  // namespace tlvx::analysis
