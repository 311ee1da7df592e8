#include "platform/process/boot_id.h"

#include "platform/process/proc_files.h"

namespace tlvx::platform {

std::string currentBootId() {
    auto text = proc::readSmallFile("/proc/sys/kernel/random/boot_id");
    if (!text) return {};
    while (!text->empty() && (text->back() == '\n' || text->back() == ' ')) text->pop_back();
    return *text;
}

}  // namespace tlvx::platform
