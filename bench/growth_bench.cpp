// Measures the growth of a project with many recorded versions: the version
// table, the comparison of two versions and the growth view built over them
// (offscreen unless a display is asked for). Not a test: it prints numbers
// for a person to judge. The target: table and chart from 200 records of
// 500 modules each in well under a second.
//
//   growth_bench [VERSIONS [MODULES]] [--grab FILE.png]

#include <QApplication>
#include <QPixmap>

#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <string>
#include <vector>

#include "bench_clock.h"
#include "program/analysis/summary_line.h"
#include "program/history/message_boxes.h"
#include "program/history/version_comparison.h"
#include "program/history/version_growth.h"
#include "program/ui/growth_window.h"

using namespace tlvx;
using bench::Clock;
using bench::secondsSince;

namespace {

struct SilentMessages : history::MessageBoxes {
    void information(const std::string&) override {}
    void warning(const std::string& text) override { std::fprintf(stderr, "%s\n", text.c_str()); }
    Answer question(const std::string&) override { return Answer::No; }
};

// Version v of a project that grows: each version changes a few modules,
// adds one and now and then removes one, as real projects do.
void record(const history::VersionHistory& history, int v, int modules) {
    std::vector<analysis::ListingRow> rows;
    analysis::LineTotals totals;
    for (int m = 0; m < modules; ++m) {
        if (m % 97 == v % 97) continue;  // a module missing from this version
        const int64_t p = 40 + (m * 37) % 400 + (m % 7 == v % 7 ? v : v / 3);
        const int64_t a = p + 20 + m % 30;
        const int64_t c = 5 + m % 11, b = 3 + m % 13;
        analysis::ListingRow row{"Modules\\mdl" + std::to_string(m) + ".bas", "Module"};
        const auto ten = analysis::tenNumbers({p, a, c, b});
        for (std::size_t i = 0; i < ten.size(); ++i) row[i + 2] = std::to_string(ten[i]);
        rows.push_back(std::move(row));
        totals.pure += p;
        totals.all += a;
        totals.comment += c;
        totals.blank += b;
    }
    const std::string version = "1." + std::to_string(v / 10) + "." + std::to_string(v % 10);
    history.save("Bench", version, rows,
                 analysis::summaryLine(totals, static_cast<int64_t>(rows.size())));
}

}  // namespace

int main(int argc, char** argv) {
    int versions = 200, modules = 500;
    std::string grab;
    std::vector<std::string> numbers;
    for (int i = 1; i < argc; ++i) {
        const std::string arg = argv[i];
        if (arg == "--grab" && i + 1 < argc)
            grab = argv[++i];
        else
            numbers.push_back(arg);
    }
    if (!numbers.empty()) versions = std::atoi(numbers[0].c_str());
    if (numbers.size() > 1) modules = std::atoi(numbers[1].c_str());
    if (!std::getenv("QT_QPA_PLATFORM")) ::setenv("QT_QPA_PLATFORM", "offscreen", 1);
    QApplication app(argc, argv);

    char pattern[] = "/tmp/tlvx-growth-bench.XXXXXX";
    const char* made = ::mkdtemp(pattern);
    if (!made) return 1;
    const std::filesystem::path root = std::filesystem::path(made) / "verhis";
    std::filesystem::create_directory(root);
    const history::VersionHistory history(root);

    auto start = Clock::now();
    for (int v = 0; v < versions; ++v) record(history, v, modules);
    std::printf("recorded %d versions of %d modules: %.3f s\n", versions, modules,
                secondsSince(start));

    start = Clock::now();
    const auto table = history::growthTable(history, "Bench");
    std::printf("version table: %.3f s (%zu versions)\n", secondsSince(start),
                table ? table->versions.size() : 0);

    const std::string& last = table->versions.back().version;
    const std::string& before = table->versions[table->versions.size() - 2].version;
    start = Clock::now();
    const auto outcome = history::compareVersions(history, "Bench", before, last);
    std::printf("comparison of two versions: %.3f s (%zu modules)\n", secondsSince(start),
                outcome.comparison ? outcome.comparison->modules.size() : 0);

    SilentMessages messages;
    start = Clock::now();
    ui::GrowthWindow window(history, "Bench", last, messages, nullptr);
    window.show();
    QApplication::processEvents();
    const QPixmap shot = window.grab();
    std::printf("growth view built, shown and painted: %.3f s (target: well under 1 s)\n",
                secondsSince(start));
    if (!grab.empty()) shot.save(QString::fromStdString(grab));

    std::filesystem::remove_all(made);
    return 0;
}
