#include <iostream>
#include <string>
#include <vector>

#include "platform/process/interruption.h"
#include "tools/tlvx-count/count_command.h"

int main(int argc, char** argv) {
    // Ctrl+C, a closed output pipe, SIGTERM or SIGHUP leave no working copy
    // behind.
    tlvx::platform::interruption::removeGuardedPathsOnSignals();
    std::ios::sync_with_stdio(false);
    std::vector<std::string> args(argv + 1, argv + argc);
    const int status = tlvx::count::runCountCommand(args, std::cout, std::cerr);
    std::cout.flush();
    // Interrupted on the way: the process ends by the signal, not with a
    // status of its own.
    tlvx::platform::interruption::awaitInterruptionEnd();
    return status;
}
