#include "program/analysis/project_properties.h"

#include "platform/files/win_path.h"
#include "platform/text/unicode_text.h"

namespace tlvx::analysis {

const std::array<std::string_view, 8> kPropertyLabels = {
    "Name",     "Version",      "Product Name",    "Description",
    "Comments", "Company Name", "Legal Copyright", "Legal Trademarks"};

ProjectProperties readProjectProperties(const std::filesystem::path& workingCopy,
                                        const ApiFunsClient& pafs) {
    const std::u16string file = platform::winpath::toUtf16(workingCopy);
    const auto read = [&](std::string_view key) {
        const std::u16string name(key.begin(), key.end());
        return platform::unicode::utf16ToUtf8(pafs.ReadIni(file, u"Info", name));
    };
    ProjectProperties p;
    p.values[0] = read("Name");
    p.values[1] = read("MajorVer") + "." + read("MinorVer") + "." + read("RevisionVer");
    p.values[2] = read("VersionProductName");
    p.values[3] = read("Description");
    p.values[4] = read("VersionComments");
    p.values[5] = read("VersionCompanyName");
    p.values[6] = read("VersionLegalCopyright");
    p.values[7] = read("VersionLegalTrademarks");
    return p;
}

}  // namespace tlvx::analysis
