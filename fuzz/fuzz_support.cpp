#include "fuzz/fuzz_support.h"

#include <unistd.h>

#include <cstdio>
#include <cstdlib>
#include <fstream>
#include <system_error>

namespace tlvx::fuzz {
namespace {

std::filesystem::path makeScratchFolder() {
    std::error_code ec;
    std::string pattern = (std::filesystem::temp_directory_path(ec) / "tlvx-fuzz.XXXXXX").string();
    if (!::mkdtemp(pattern.data())) fail("no scratch folder could be made");
    std::filesystem::path folder(pattern);
    // A private registry store: activation looks there first.
    ::setenv("TLVX_REGISTRY", (folder / "registry.sqlite").c_str(), 1);
    return folder;
}

struct ScratchOwner {
    std::filesystem::path folder = makeScratchFolder();
    ~ScratchOwner() {
        std::error_code ec;
        std::filesystem::remove_all(folder, ec);
    }
};

}  // namespace

const std::filesystem::path& scratchFolder() {
    static const ScratchOwner owner;
    return owner.folder;
}

std::filesystem::path writeInput(const std::string& name, std::string_view bytes) {
    auto file = scratchFolder() / name;
    std::ofstream out(file, std::ios::binary | std::ios::trunc);
    out.write(bytes.data(), static_cast<std::streamsize>(bytes.size()));
    out.close();
    if (!out) fail("an input file could not be written");
    return file;
}

void fail(const char* what) {
    std::fprintf(stderr, "fuzz property broken: %s\n", what);
    std::fflush(stderr);
    std::abort();
}

}  // namespace tlvx::fuzz
