#include "tests/support/private_session_bus.h"

#include <fstream>

namespace tlvx::test {

namespace {

void writeConfig(const std::filesystem::path& file, const std::filesystem::path& socketFolder) {
    std::ofstream(file) << "<!DOCTYPE busconfig PUBLIC \"-//freedesktop//DTD D-Bus Bus "
                           "Configuration 1.0//EN\"\n"
                           " \"http://www.freedesktop.org/standards/dbus/1.0/busconfig.dtd\">\n"
                           "<busconfig>\n"
                           "  <type>session</type>\n"
                           "  <listen>unix:dir="
                        << socketFolder.string()
                        << "</listen>\n"
                           "  <auth>EXTERNAL</auth>\n"
                           "  <policy context=\"default\">\n"
                           "    <allow send_destination=\"*\" eavesdrop=\"true\"/>\n"
                           "    <allow eavesdrop=\"true\"/>\n"
                           "    <allow own=\"*\"/>\n"
                           "  </policy>\n"
                           "</busconfig>\n";
}

}  // namespace

PrivateSessionBus::PrivateSessionBus(const std::filesystem::path& folder) {
    std::filesystem::create_directories(folder / "socket");
    writeConfig(folder / "bus.conf", folder / "socket");
    daemon_ = std::make_unique<AnnouncingProcess>(
        std::vector<std::string>{"dbus-daemon", "--config-file=" + (folder / "bus.conf").string(),
                                 "--nofork", "--nopidfile", "--print-address=3"});
}

}  // namespace tlvx::test
