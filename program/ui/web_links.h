#pragma once
// The addresses the help menu and the about window hand to the desktop: all
// of them in this one place. The pages lead to the documentation shipped
// with the program (doc/index.html in the program's folder, or the
// installed program's in the shared data folder), which is what a user of
// this build can really open; there is no payment page. What goes
// out to other people (the recommendation mail) names the project's public
// home instead, which opens on any machine.

#include <string>

namespace tlvx::ui::links {

std::string productPage();       // the program's own page
std::string freeProgramsPage();  // the other tools of the makers
std::string makerHomePage();     // the makers themselves
std::string donationPage();      // how to support the program
std::string downloadAddress();   // where the program comes from: its public home

// The project's public home, the one address of it that holds anywhere.
inline constexpr const char* kPublicHome = "https://tallyvex.org/";

// A new mail without recipient recommending the program, already
// URL-encoded ("%25" a percent sign, "%0A" a line break).
std::string recommendationMail();

// "file://" and the path, every byte that a URL may not hold as it is
// written as "%" and two hex digits.
std::string fileUrl(const std::string& path);

// What the user is told when no desktop program could be started to open
// `address`.
std::string noHandlerMessage(const std::string& address);

// What the user is told when the desktop's opener started but found no
// program for `address`, or that program failed: it ended with `status`.
std::string handlerFailedMessage(const std::string& address, int status);

}  // namespace tlvx::ui::links
