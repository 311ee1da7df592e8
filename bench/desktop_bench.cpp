// The desktop program's time from the choice of a project to its listing:
// the main window, on the offscreen platform, is handed a project file as
// the open dialog would hand it, and the clock stops once the listing is
// filled and the window painted. Not a test: it prints numbers for a person
// to judge.
//
//   desktop_bench PROJECT.vbp|GROUP.vbg [RUNS]

#include <QApplication>
#include <QTreeView>

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <string>
#include <system_error>
#include <vector>

#include "bench_clock.h"
#include "program/ui/main_window.h"

using tlvx::bench::Clock;
using tlvx::bench::secondsSince;

int main(int argc, char** argv) {
    if (argc < 2) {
        std::fprintf(stderr, "usage: desktop_bench PROJECT.vbp|GROUP.vbg [RUNS]\n");
        return 2;
    }
    const std::string project = std::filesystem::absolute(argv[1]).string();
    const int runs = argc > 2 ? std::max(1, std::atoi(argv[2])) : 9;
    ::setenv("QT_QPA_PLATFORM", "offscreen", 0);
    char pattern[] = "/tmp/tlvx-desktop-bench-XXXXXX";
    if (!::mkdtemp(pattern)) return 1;
    const std::filesystem::path work = pattern;

    int status = 0;
    {
        QApplication app(argc, argv);
        tlvx::ui::MainWindow window({work, nullptr, false, {}});
        window.show();
        QApplication::processEvents();
        const auto* listing = window.findChild<QTreeView*>(QStringLiteral("lsv"));
        std::vector<double> times;
        int rows = 0;
        // The first run warms the page cache and the window's caches.
        for (int run = 0; run <= runs; ++run) {
            const auto start = Clock::now();
            window.openProject(project);
            QApplication::processEvents();
            window.repaint();
            const double seconds = secondsSince(start);
            rows = listing && listing->model() ? listing->model()->rowCount() : -1;
            if (run > 0) times.push_back(seconds);
        }
        std::sort(times.begin(), times.end());
        std::printf("rows                %d\n", rows);
        std::printf("choice to listing   median %.3f s  (min %.3f, max %.3f, %d runs)\n",
                    times[times.size() / 2], times.front(), times.back(), runs);
        if (rows <= 0) status = 1;
    }
    std::error_code ec;
    std::filesystem::remove_all(work, ec);
    return status;
}
