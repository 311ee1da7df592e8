#include "program/ui/web_links.h"

#include "program/analysis/work_folders.h"

namespace tlvx::ui::links {
namespace {

std::string documentation(const char* anchor) {
    return fileUrl(analysis::programLayout(analysis::programFolder()).documentation.string()) +
           anchor;
}

}  // namespace

std::string fileUrl(const std::string& path) {
    static constexpr char kHex[] = "0123456789ABCDEF";
    std::string url = "file://";
    for (unsigned char c : path) {
        const bool plain = (c >= 'A' && c <= 'Z') || (c >= 'a' && c <= 'z') ||
                           (c >= '0' && c <= '9') || c == '/' || c == '-' || c == '_' || c == '.' ||
                           c == '~';
        if (plain) {
            url += static_cast<char>(c);
        } else {
            url += '%';
            url += kHex[c >> 4];
            url += kHex[c & 0xF];
        }
    }
    return url;
}

std::string productPage() {
    return documentation("");
}
std::string freeProgramsPage() {
    return documentation("#tools");
}
std::string makerHomePage() {
    return documentation("#makers");
}
std::string donationPage() {
    return documentation("#support");
}
std::string downloadAddress() {
    return kPublicHome;
}

std::string recommendationMail() {
    return "mailto:?subject=Recommend 100%25 FREE software - Tallyvex: Calculate PURE code lines "
           "(writing manually) for VB6 projects (from 'your name here')"
           "&body=Hi,%0A%0AI'm using Tallyvex. Do you still use Visual Basic 6? If so, you can "
           "try Tallyvex! It is a 100%25 FREE CASE tool for VB6. Use it to calculate PURE code "
           "lines (writing manually) for VB6 project with the automatic version history "
           "recording feature.%0A%0AYou should have a test!%0A%0AOfficial website: " +
           std::string(kPublicHome) + "%0ADirect download URL: " + downloadAddress();
}

std::string noHandlerMessage(const std::string& address) {
    return "No desktop program could be started to open \"" + address +
           "\" (xdg-open is missing or did not start). Please open it yourself.";
}

std::string handlerFailedMessage(const std::string& address, int status) {
    return "No desktop program could open \"" + address + "\" (xdg-open ended with status " +
           std::to_string(status) + "). Please open it yourself.";
}

}  // namespace tlvx::ui::links
