#pragma once
// A D-Bus session bus of the test's own: a dbus-daemon listening in a
// folder of the test, with no services it could start, so that nothing a
// test sends reaches the desktop's real programs. Ended with the object.

#include <sys/types.h>

#include <filesystem>
#include <string>

namespace tlvx::test {

class PrivateSessionBus {
public:
    // Starts the daemon; address() is empty when it could not be started.
    explicit PrivateSessionBus(const std::filesystem::path& folder);
    ~PrivateSessionBus();
    PrivateSessionBus(const PrivateSessionBus&) = delete;
    PrivateSessionBus& operator=(const PrivateSessionBus&) = delete;

    const std::string& address() const { return address_; }

private:
    pid_t daemon_ = -1;
    std::string address_;
};

}  // namespace tlvx::test
