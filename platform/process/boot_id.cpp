#include "platform/process/boot_id.h"

#include "platform/descriptors/regular_file.h"

namespace tlvx::platform {

std::string currentBootId() {
    auto text = readAll("/proc/sys/kernel/random/boot_id", 4096);
    if (!text) return {};
    while (!text->empty() && (text->back() == '\n' || text->back() == ' ')) text->pop_back();
    return *text;
}

}  // namespace tlvx::platform
