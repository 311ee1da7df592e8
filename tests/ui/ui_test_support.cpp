#include "tests/ui/ui_test_support.h"

#include <QElapsedTimer>

#include <algorithm>
#include <cstdlib>
#include <fstream>
#include <memory>
#include <sstream>
#include <thread>

#include "tests/support/qt_application.h"
#include "tests/support/temp_dir.h"

namespace tlvx::test {
namespace {

namespace fs = std::filesystem;

// The application of the test program, and the stand-in for xdg-open first
// on PATH, so that no test ever starts a browser or a mail program.
class WindowTestEnvironment : public QtApplicationEnvironment {
public:
    static std::string& logFile() {
        static std::string file;
        return file;
    }

protected:
    void prepare(const TempDir& home) override {
        const std::string log = (home.path() / "opened").string();
        const auto opener =
            home.write("bin/xdg-open", "#!/bin/sh\nprintf '%s\\n' \"$1\" >> '" + log + "'\n");
        fs::permissions(opener, fs::perms::owner_all);
        const char* path = std::getenv("PATH");
        const std::string newPath =
            (home.path() / "bin").string() + (path ? ":" + std::string(path) : std::string());
        setenv("PATH", newPath.c_str(), 1);
        logFile() = log;
    }
};

[[maybe_unused]] testing::Environment* const kEnvironment =
    testing::AddGlobalTestEnvironment(new WindowTestEnvironment);

}  // namespace

std::vector<std::string> openedAddresses() {
    std::vector<std::string> lines;
    std::ifstream in(WindowTestEnvironment::logFile());
    for (std::string line; std::getline(in, line);) lines.push_back(line);
    return lines;
}

void forgetOpenedAddresses() {
    std::error_code ec;
    fs::remove(WindowTestEnvironment::logFile(), ec);
}

std::vector<std::string> waitForOpenedAddresses(std::size_t count,
                                                std::chrono::milliseconds patience) {
    QElapsedTimer clock;
    clock.start();
    auto lines = openedAddresses();
    while (lines.size() < count && clock.elapsed() < patience.count()) {
        processEventsFor(std::chrono::milliseconds(20));
        lines = openedAddresses();
    }
    return sortedTexts(std::move(lines));
}

std::vector<std::string> sortedTexts(std::vector<std::string> texts) {
    std::ranges::sort(texts);
    return texts;
}

void processEventsFor(std::chrono::milliseconds time) {
    QElapsedTimer clock;
    clock.start();
    while (clock.elapsed() < time.count()) {
        QApplication::processEvents(QEventLoop::AllEvents, 10);
        std::this_thread::sleep_for(std::chrono::milliseconds(2));
    }
}

}  // namespace tlvx::test
