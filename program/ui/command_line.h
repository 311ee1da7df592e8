#pragma once
// TLVX's command line, read before the application object exists, so that
// --help, --version and a wrong option are answered without a display.
//
//   TLVX [QT-OPTION...] [FILE.vbp | FILE.vbg]...
//
// Qt's own options (-platform NAME, -style NAME, -display HOST:SCREEN, ...)
// are let through to the application object.

#include <QString>
#include <QStringList>

namespace tlvx::ui {

struct CommandLine {
    enum class Action {
        Run,      // show the window (with `startFile` when not empty)
        Help,     // print `text` on stdout and end with status 0
        Version,  // likewise
        Refused,  // print `text` on stderr and end with status 2
    };
    Action action = Action::Run;
    QString text;
    // The first project or group file named, as written (a file: URL made a
    // local path); empty when none is named.
    QString startFile;
    // Further files, which the window cannot show at the same time.
    QStringList ignoredFiles;
};

// Reads `arguments` (the program's name first).
CommandLine readCommandLine(const QStringList& arguments);

// The exit status of a refused command line.
inline constexpr int kCommandLineRefused = 2;

}  // namespace tlvx::ui
