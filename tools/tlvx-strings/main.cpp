// tlvx-strings LISTING MODULE
// tlvx-strings --list MODULE
//
// Builds the string module MODULE from the text listing LISTING (see
// string_listing.h), or prints a module's strings as such a listing. Exit
// status 0 on success, 1 when a file cannot be read or written or the
// listing has errors (each one line on stderr: LISTING:LINE: what is wrong;
// MODULE then stays as it was), 2 for a wrong command line.

#include <cstdio>
#include <string>
#include <string_view>
#include <vector>

#include "platform/files/string_module.h"
#include "platform/files/text_stream.h"
#include "tools/exit_status.h"
#include "tools/tlvx-strings/string_listing.h"

namespace {

using namespace tlvx::tools;

constexpr const char* kUsage =
    "usage: tlvx-strings LISTING MODULE\n"
    "       tlvx-strings --list MODULE\n"
    "Builds the string module MODULE from LISTING, lines of NUMBER=TEXT in UTF-8\n"
    "(\\\\, \\n, \\r, \\t and \\uXXXX escapes; '#' starts a comment line);\n"
    "with --list prints the strings of MODULE as such a listing.\n";

int fail(const std::string& message) {
    std::fprintf(stderr, "tlvx-strings: %s\n", message.c_str());
    return kFailed;
}

int build(const std::string& listingFile, const std::string& moduleFile) {
    const auto text = tlvx::platform::readAll(listingFile);
    if (!text) return fail(listingFile + ": cannot be read");
    const auto parsed = tlvx::tools::parseStringListing(*text);
    for (const auto& error : parsed.errors) {
        std::fprintf(stderr, "tlvx-strings: %s:%zu: %s\n", listingFile.c_str(), error.line,
                     error.message.c_str());
    }
    if (!parsed.errors.empty()) return kFailed;
    if (!tlvx::platform::strings::writeStringModule(moduleFile, parsed.table)) {
        return fail(moduleFile + ": cannot be written");
    }
    return kSucceeded;
}

int list(const std::string& moduleFile) {
    const auto table = tlvx::platform::strings::readStringModule(moduleFile);
    if (!table) return fail(moduleFile + ": cannot be read or is no string module");
    const std::string listing = tlvx::tools::formatStringListing(*table);
    if (std::fwrite(listing.data(), 1, listing.size(), stdout) != listing.size() ||
        std::fflush(stdout) != 0) {
        return fail("the listing cannot be written to the standard output");
    }
    return kSucceeded;
}

}  // namespace

int main(int argc, char** argv) {
    std::vector<std::string_view> operands;
    bool listing = false;
    bool operandsOnly = false;
    for (int i = 1; i < argc; ++i) {
        const std::string_view arg = argv[i];
        if (!operandsOnly && arg == "--") {
            operandsOnly = true;
        } else if (!operandsOnly && (arg == "-h" || arg == "--help")) {
            std::fputs(kUsage, stdout);
            return kSucceeded;
        } else if (!operandsOnly && arg == "--list") {
            listing = true;
        } else if (!operandsOnly && arg.size() > 1 && arg[0] == '-') {
            std::fputs(kUsage, stderr);
            return kBadUsage;
        } else {
            operands.push_back(arg);
        }
    }
    if (listing && operands.size() == 1) return list(std::string(operands[0]));
    if (!listing && operands.size() == 2) {
        return build(std::string(operands[0]), std::string(operands[1]));
    }
    std::fputs(kUsage, stderr);
    return kBadUsage;
}
