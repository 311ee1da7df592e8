// An INI file of any bytes: a section and key taken from the input looked
// up in it, a project's name too, and a key written into it that
// must read back as written.

#include <fuzzer/FuzzedDataProvider.h>

#include <cstddef>
#include <cstdint>
#include <string>

#include "fuzz/fuzz_support.h"
#include "platform/files/profile_file.h"

using namespace tlvx;
namespace profile = platform::profile;

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    FuzzedDataProvider in(data, size);
    const std::string section = in.ConsumeRandomLengthString(32);
    const std::string key = in.ConsumeRandomLengthString(32);
    const auto file = fuzz::writeInput("Fuzz.ini", in.ConsumeRemainingBytesAsString());

    const std::string found = profile::readString(file, section, key, "(default)");
    fuzz::require(found.size() <= 65534 || found == "(default)", "a value longer than its limit");
    (void)profile::readString(file, "Info", "Name");

    // A plain key written into the file reads back as written.
    if (profile::writeString(file, "FuzzSection", "FuzzKey", "written value"))
        fuzz::require(profile::readString(file, "fuzzsection", "FUZZKEY") == "written value",
                      "a written key does not read back");
    return 0;
}
