// A project file of any bytes, read as the program reads a chosen project:
// whether it holds a project, its working copy, the module lines of the
// copy (their paths looked up as a module's is, never read) and the
// project's name read from the copy through the library's INI reader.

#include <cstddef>
#include <cstdint>
#include <optional>

#include "fuzz/fuzz_support.h"
#include "platform/files/win_path.h"
#include "program/analysis/library_client.h"
#include "program/analysis/listing_model.h"
#include "program/analysis/module_entries.h"
#include "program/analysis/project_recognition.h"
#include "program/analysis/working_copy.h"

using namespace tlvx;

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    static const std::optional<analysis::LibraryObjects> library =
        analysis::LibraryObjects::create();
    fuzz::require(library.has_value(), "the component library cannot be loaded");
    static const auto copies = [] {
        auto folder = fuzz::scratchFolder() / "copies";
        std::filesystem::create_directory(folder);
        return folder;
    }();

    const auto text = fuzz::asText(data, size);
    const bool holds = analysis::holdsProject(text);
    const auto project = fuzz::writeInput("Fuzz.vbp", text);
    const auto copy = analysis::makeWorkingCopy(project.string(), copies, "Fuzz.vbp");
    fuzz::require(copy.state.holdsProject == holds,
                  "the working copy and its project disagree on holding a project");
    // Only a project gets a working copy.
    if (!copy.state.usable()) return 0;

    analysis::ListingModel listing;
    fuzz::require(analysis::readModuleEntries(copy.path, listing), "a working copy cannot be read");
    // Module paths are looked up as the counter looks them up (the first
    // few: each lookup is the same code).
    for (std::size_t i = 0; i < listing.rowCount() && i < 4; ++i) {
        const auto found = platform::winpath::resolve(listing.row(i)[0]);
        (void)found;
    }
    // The name, read through the library as each property is (the INI
    // reader itself has a target of its own).
    const auto name =
        library->pafs.ReadIni(platform::winpath::toUtf16(copy.path), u"Info", u"Name");
    (void)name;
    return 0;
}
