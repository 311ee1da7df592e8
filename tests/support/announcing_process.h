#pragma once
// A server a test starts in the background (a virtual X server, a D-Bus
// daemon) that announces where it listens as the first line it writes to
// descriptor 3. Ended with the object.

#include <sys/types.h>

#include <string>
#include <vector>

namespace tlvx::test {

class AnnouncingProcess {
public:
    // `args[0]` is looked up on PATH. Waits up to 30 seconds for the
    // announcement; it is empty when the program could not be started or
    // did not announce itself in time.
    explicit AnnouncingProcess(std::vector<std::string> args);
    ~AnnouncingProcess();
    AnnouncingProcess(const AnnouncingProcess&) = delete;
    AnnouncingProcess& operator=(const AnnouncingProcess&) = delete;

    const std::string& announcement() const { return announcement_; }

private:
    pid_t pid_ = -1;
    std::string announcement_;
};

}  // namespace tlvx::test
