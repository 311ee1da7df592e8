#pragma once
// The addresses the help menu and the about window hand to the desktop: all
// of them in this one place. They lead to the documentation shipped beside
// the program (doc/index.html in the program's folder), which is what a user
// of this build can really open; there is no payment page.

#include <string>

namespace tlvx::ui::links {

std::string productPage();       // the program's own page
std::string freeProgramsPage();  // the other tools of the makers
std::string makerHomePage();     // the makers themselves
std::string donationPage();      // how to support the program
std::string downloadAddress();   // where the program comes from

// A new mail without recipient recommending the program, already
// URL-encoded ("%25" a percent sign, "%0A" a line break).
std::string recommendationMail();

// "file://" and the path, every byte that a URL may not hold as it is
// written as "%" and two hex digits.
std::string fileUrl(const std::string& path);

}  // namespace tlvx::ui::links
