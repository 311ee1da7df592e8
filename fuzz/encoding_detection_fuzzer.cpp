// The encoding of a file of any bytes: judged by TxtFile's GetEncoding from
// the file, and by the scanner fed the same bytes whole and in blocks of
// sizes taken from the input; every way must give the same judgement.

#include <fuzzer/FuzzedDataProvider.h>

#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

#include "fuzz/fuzz_support.h"
#include "library/txt_file/encoding_detection.h"
#include "library/txt_file/txt_file_charsets.h"
#include "platform/files/win_path.h"

using namespace tlvx;

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    FuzzedDataProvider in(data, size);
    std::vector<std::size_t> blocks(in.ConsumeIntegralInRange(0, 8));
    for (auto& block : blocks) block = in.ConsumeIntegralInRange<std::size_t>(0, 16);
    const std::string bytes = in.ConsumeRemainingBytesAsString();
    const auto file = fuzz::writeInput("Fuzz.txt", bytes);

    library::EncodingScanner whole;
    whole.feed(bytes);
    library::EncodingScanner split;
    std::size_t at = 0;
    for (std::size_t i = 0; at < bytes.size(); ++i) {
        // An empty block changes nothing; the next one takes a byte.
        std::size_t take = blocks.empty() ? 1 : blocks[i % blocks.size()];
        if (take == 0) {
            split.feed({});
            take = 1;
        }
        split.feed(std::string_view(bytes).substr(at, take));
        at += take;
    }
    fuzz::require(whole.result() == split.result(), "blocks change the judgement");

    library::TxtFileCharsets charsets;
    const std::u16string name = charsets.GetEncoding(platform::winpath::toUtf16(file));
    fuzz::require(name == library::encodingName(whole.result()),
                  "GetEncoding and the scanner disagree");
    return 0;
}
