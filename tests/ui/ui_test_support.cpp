#include "tests/ui/ui_test_support.h"

#include <QElapsedTimer>

#include <cstdlib>
#include <fstream>
#include <memory>
#include <sstream>
#include <thread>

#include "tests/support/temp_dir.h"

namespace tlvx::test {
namespace {

namespace fs = std::filesystem;

// The application of the test program, its Qt settings and runtime files in
// a folder of its own, and the stand-in for xdg-open first on PATH, so that
// no test ever starts a browser or a mail program.
class WindowTestEnvironment : public testing::Environment {
public:
    void SetUp() override {
        home_ = std::make_unique<TempDir>();
        setenv("XDG_CONFIG_HOME", (home_->path() / "config").c_str(), 1);
        setenv("XDG_DATA_HOME", (home_->path() / "data").c_str(), 1);
        fs::create_directory(home_->path() / "runtime");
        fs::permissions(home_->path() / "runtime", fs::perms::owner_all);
        setenv("XDG_RUNTIME_DIR", (home_->path() / "runtime").c_str(), 1);

        const std::string log = (home_->path() / "opened").string();
        const auto opener =
            home_->write("bin/xdg-open", "#!/bin/sh\nprintf '%s\\n' \"$1\" >> '" + log + "'\n");
        fs::permissions(opener, fs::perms::owner_all);
        const char* path = std::getenv("PATH");
        const std::string newPath =
            (home_->path() / "bin").string() + (path ? ":" + std::string(path) : std::string());
        setenv("PATH", newPath.c_str(), 1);
        logFile() = log;

        app_ = std::make_unique<QApplication>(argc_, argv_);
    }
    void TearDown() override {
        app_.reset();
        home_.reset();
    }

    static std::string& logFile() {
        static std::string file;
        return file;
    }

private:
    int argc_ = 1;
    char name_[9] = "ui_tests";
    char* argv_[2] = {name_, nullptr};
    std::unique_ptr<TempDir> home_;
    std::unique_ptr<QApplication> app_;
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
    return lines;
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
