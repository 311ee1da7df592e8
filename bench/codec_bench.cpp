// Measures the Base64 codec on a large buffer and the encoding scan on a
// large file, against the floor of reading that file once. Not a test: it
// prints numbers for a person to judge.
//
//   codec_bench [--codec-mb N] [--scan-mb N] [--folder DIR]

#include <fcntl.h>
#include <stdlib.h>
#include <sys/resource.h>
#include <unistd.h>

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstring>
#include <filesystem>
#include <memory>
#include <random>
#include <string>
#include <string_view>

#include "bench_clock.h"
#include "library/base64/base64_codec.h"
#include "library/txt_file/txt_file_charsets.h"
#include "platform/text/unicode_text.h"

using namespace tlvx;
using bench::Clock;
using bench::secondsSince;

namespace {

long peakKilobytes() {
    rusage usage{};
    getrusage(RUSAGE_SELF, &usage);
    return usage.ru_maxrss;
}

// Best of `runs` timings of `work`.
template <class Work>
double best(int runs, Work&& work) {
    double fastest = 1e9;
    for (int i = 0; i < runs; ++i) {
        const auto start = Clock::now();
        work();
        fastest = std::min(fastest, secondsSince(start));
    }
    return fastest;
}

void benchCodec(std::size_t megabytes) {
    const std::size_t size = megabytes << 20;
    auto bytes = std::make_unique_for_overwrite<unsigned char[]>(size);
    std::mt19937_64 random(1);
    for (std::size_t i = 0; i + 8 <= size; i += 8) {
        const auto word = random();
        std::memcpy(&bytes[i], &word, 8);
    }
    const library::Base64Codec codec;
    const std::size_t textLength = library::Base64Codec::encodedLength(size);
    // Output buffers allocated once, touched once before timing.
    auto text = std::make_unique<char16_t[]>(textLength);
    auto back =
        std::make_unique<unsigned char[]>(library::Base64Codec::maxDecodedLength(textLength));
    const std::span<const unsigned char> input(bytes.get(), size);
    const double encodeTime = best(5, [&] { codec.encode(input, text.get()); });
    std::size_t decoded = 0;
    const double decodeTime = best(5, [&] {
        decoded = codec.decode(std::u16string_view(text.get(), textLength), back.get());
    });
    const bool same = decoded == size && std::memcmp(back.get(), bytes.get(), size) == 0;
    const double gb = static_cast<double>(size) / 1e9;
    std::printf("base64 %zu MB: encode %.1f ms (%.2f GB/s), decode %.1f ms (%.2f GB/s)%s\n",
                megabytes, encodeTime * 1e3, gb / encodeTime, decodeTime * 1e3, gb / decodeTime,
                same ? "" : "  ROUND TRIP FAILED");
}

// Texts the scan reads to the end: lines of 7-bit source code, every
// `accentEvery`-th line with a two- and a three-byte character (0: none).
std::filesystem::path makeScanFile(const std::filesystem::path& folder, std::size_t megabytes,
                                   int accentEvery) {
    const auto path = folder / "scan.txt";
    const int fd = ::open(path.c_str(), O_WRONLY | O_CREAT | O_TRUNC | O_CLOEXEC, 0644);
    std::string block;
    for (int line = 1; block.size() < (1u << 20); ++line) {
        block += accentEvery && line % accentEvery == 0
                     ? "Dim caf\xC3\xA9 As String ' \xE2\x82\xAC 12345\r\n"
                     : "    If nCount > 0 Then Call DoWork(nCount) ' plain\r\n";
    }
    block.resize(1u << 20);
    // Keep every block boundary on a whole character.
    while ((static_cast<unsigned char>(block.back()) & 0x80) != 0) block.back() = ' ';
    for (std::size_t i = 0; i < megabytes; ++i) {
        if (::write(fd, block.data(), block.size()) != static_cast<ssize_t>(block.size())) break;
    }
    ::close(fd);
    return path;
}

double readFloor(const std::filesystem::path& path) {
    return best(3, [&] {
        const int fd = ::open(path.c_str(), O_RDONLY | O_CLOEXEC);
        static char buffer[1 << 20];
        while (::read(fd, buffer, sizeof buffer) > 0) {
        }
        ::close(fd);
    });
}

void benchScan(const std::filesystem::path& folder, std::size_t megabytes, int accentEvery,
               const char* what) {
    const auto path = makeScanFile(folder, megabytes, accentEvery);
    const std::u16string name = platform::unicode::utf8ToUtf16(path.string());
    library::TxtFileCharsets charsets;
    const double floor = readFloor(path);
    const long before = peakKilobytes();
    std::u16string found;
    const double scan = best(3, [&] { found = charsets.GetEncoding(name); });
    const long grown = peakKilobytes() - before;
    const double gb = static_cast<double>(megabytes << 20) / 1e9;
    std::printf(
        "GetEncoding %zu MB, %s (%s): %.0f ms (%.2f GB/s); reading the file once: %.0f ms "
        "(%.2f GB/s); ratio %.2f; peak memory grew by %ld KB\n",
        megabytes, what, platform::unicode::utf16ToUtf8(found).c_str(), scan * 1e3, gb / scan,
        floor * 1e3, gb / floor, scan / floor, grown);
    std::filesystem::remove(path);
}

}  // namespace

int main(int argc, char** argv) {
    std::size_t codecMb = 100, scanMb = 1024;
    std::filesystem::path folder = std::filesystem::temp_directory_path();
    for (int i = 1; i + 1 < argc; i += 2) {
        const std::string_view option = argv[i];
        if (option == "--codec-mb") codecMb = std::strtoul(argv[i + 1], nullptr, 10);
        if (option == "--scan-mb") scanMb = std::strtoul(argv[i + 1], nullptr, 10);
        if (option == "--folder") folder = argv[i + 1];
    }
    char pattern[] = "tlvx-codec-bench-XXXXXX";
    const std::string templ = (folder / pattern).string();
    std::string work = templ;
    if (!mkdtemp(work.data())) {
        std::perror("mkdtemp");
        return 1;
    }
    if (codecMb) benchCodec(codecMb);
    if (scanMb) {
        benchScan(work, scanMb, 0, "7-bit text");
        benchScan(work, scanMb, 20, "an accented line in 20");
        benchScan(work, scanMb, 1, "accents on every line");
    }
    std::filesystem::remove_all(work);
    return 0;
}
