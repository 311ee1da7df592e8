#include "tests/support/qt_application.h"

#include <cstdlib>
#include <filesystem>

namespace tlvx::test {

void QtApplicationEnvironment::SetUp() {
    namespace fs = std::filesystem;
    home_ = std::make_unique<TempDir>();
    setenv("XDG_CONFIG_HOME", (home_->path() / "config").c_str(), 1);
    setenv("XDG_DATA_HOME", (home_->path() / "data").c_str(), 1);
    // Qt wants a private runtime folder and makes one in /tmp if unset.
    fs::create_directory(home_->path() / "runtime");
    fs::permissions(home_->path() / "runtime", fs::perms::owner_all);
    setenv("XDG_RUNTIME_DIR", (home_->path() / "runtime").c_str(), 1);
    prepare(*home_);
    app_ = std::make_unique<QApplication>(argc_, argv_);
}

void QtApplicationEnvironment::TearDown() {
    app_.reset();
    home_.reset();
}

}  // namespace tlvx::test
