// Measures the analysis of a project group against the floor of reading each
// module file once. Not a test: it prints numbers for a person to judge.
//
//   analysis_bench GROUP.vbg [--floor-first]

#include <fcntl.h>
#include <stdlib.h>
#include <sys/resource.h>
#include <unistd.h>

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <filesystem>
#include <string>
#include <system_error>
#include <vector>

#include "bench_clock.h"
#include "platform/files/win_path.h"
#include "program/analysis/position_analysis.h"
#include "program/analysis/project_list.h"

using namespace tlvx;
using bench::Clock;
using bench::secondsSince;

namespace {

struct Floor {
    std::size_t files = 0;
    std::size_t bytes = 0;
    double seconds = 0;
};

// Reads every module file of every project once, whole, as the cheapest
// possible look at the same bytes.
Floor readOnce(const analysis::ProjectList& list,
               const std::vector<std::vector<std::string>>& modules) {
    Floor floor;
    std::vector<char> buffer(1 << 16);
    const auto start = Clock::now();
    for (std::size_t p = 0; p < list.size(); ++p) {
        analysis::enterProjectFolder(list, p);
        for (const auto& m : modules[p]) {
            const auto path = platform::winpath::resolve(std::string_view(m));
            if (!path) continue;
            const int fd = ::open(path->c_str(), O_RDONLY | O_CLOEXEC);
            if (fd < 0) continue;
            for (ssize_t n; (n = ::read(fd, buffer.data(), buffer.size())) > 0;)
                floor.bytes += static_cast<std::size_t>(n);
            ::close(fd);
            ++floor.files;
        }
    }
    floor.seconds = secondsSince(start);
    return floor;
}

}  // namespace

int main(int argc, char** argv) {
    if (argc < 2) {
        std::fprintf(stderr, "usage: analysis_bench GROUP.vbg\n");
        return 2;
    }
    const auto group = std::filesystem::absolute(argv[1]);
    char pattern[] = "/tmp/tlvx-bench-XXXXXX";
    if (!mkdtemp(pattern)) return 1;
    const std::filesystem::path work = pattern;
    std::filesystem::current_path(group.parent_path());

    const auto list = analysis::buildProjectList(group.string(), work);
    if (!list) {
        std::fprintf(stderr, "cannot read %s\n", argv[1]);
        return 2;
    }
    const auto library = analysis::LibraryObjects::create();
    if (!library) {
        std::fprintf(stderr, "the component library Morcel_TLVX cannot be loaded\n");
        return 1;
    }
    analysis::ListingModel listing;
    std::vector<std::vector<std::string>> modules(list->size());

    // The first round warms the page cache and collects the module paths;
    // the best of the following rounds counts, for both measurements.
    constexpr int kRounds = 5;
    double best = 1e9;
    std::size_t counted = 0;
    for (int round = 0; round <= kRounds; ++round) {
        counted = 0;
        const auto start = Clock::now();
        for (std::size_t p = 0; p < list->size(); ++p) {
            analysis::analysePosition(*list, p, listing, *library);
            counted += listing.rowCount();
            if (round == 0)
                for (const auto& row : listing.rows()) modules[p].push_back(row[0]);
        }
        const double seconds = secondsSince(start);
        if (round > 0) best = std::min(best, seconds);
    }
    Floor floor;
    floor.seconds = 1e9;
    for (int round = 0; round < kRounds; ++round) {
        const Floor f = readOnce(*list, modules);
        if (f.seconds < floor.seconds) floor = f;
    }
    rusage usage{};
    getrusage(RUSAGE_SELF, &usage);
    std::printf("projects            %zu\n", list->size());
    const double megabytes = static_cast<double>(floor.bytes) / 1e6;
    std::printf("modules             %zu (%zu files, %.1f MB)\n", counted, floor.files, megabytes);
    std::printf("analysis            %.3f s  %.0f modules/s  %.1f MB/s\n", best,
                static_cast<double>(counted) / best, megabytes / best);
    std::printf("floor (read once)   %.3f s  %.1f MB/s\n", floor.seconds,
                megabytes / floor.seconds);
    std::printf("ratio               %.2f (target: under 4)\n", best / floor.seconds);
    std::printf("peak memory         %.1f MB\n", static_cast<double>(usage.ru_maxrss) / 1024.0);
    std::error_code ec;
    std::filesystem::remove_all(work, ec);
    return 0;
}
