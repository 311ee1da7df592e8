#pragma once
// A D-Bus session bus of the test's own: a dbus-daemon listening in a
// folder of the test, with no services it could start, so that nothing a
// test sends reaches the desktop's real programs. Ended with the object.

#include <filesystem>
#include <memory>
#include <string>

#include "tests/support/announcing_process.h"

namespace tlvx::test {

class PrivateSessionBus {
public:
    // Starts the daemon; address() is empty when it could not be started.
    explicit PrivateSessionBus(const std::filesystem::path& folder);

    const std::string& address() const { return daemon_->announcement(); }

private:
    std::unique_ptr<AnnouncingProcess> daemon_;
};

}  // namespace tlvx::test
