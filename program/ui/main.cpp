// TLVX [FILE.vbp | FILE.vbg]: the desktop program. A project or group named
// on the command line (as the file manager names one it opens with TLVX)
// is analysed at start as if it had been chosen with Ctrl+O. Qt's own
// options (-platform, -style, ...) work as in any Qt program; --help and
// --version answer without a display.

#include <QApplication>
#include <QMessageBox>
#include <QStringList>
#include <QTimer>

#include <cstdio>
#include <filesystem>
#include <string>
#include <system_error>

#include "platform/text/ansi_codepage.h"
#include "platform/text/codepage_choice.h"
#include "program/analysis/work_folders.h"
#include "program/ui/command_line.h"
#include "program/ui/main_window.h"
#include "program/ui/pictures.h"

namespace {

// The named file as an absolute path (the analysis moves the current
// directory); empty when none is named.
std::string absoluteFile(const QString& named) {
    if (named.isEmpty()) return {};
    std::error_code ec;
    const auto absolute = std::filesystem::absolute(named.toStdString(), ec);
    return ec ? named.toStdString() : absolute.string();
}

QStringList rawArguments(int argc, char* argv[]) {
    QStringList arguments;
    for (int i = 0; i < argc; ++i) arguments.append(QString::fromLocal8Bit(argv[i]));
    return arguments;
}

void print(std::FILE* stream, const QString& text) {
    std::fputs(text.toLocal8Bit().constData(), stream);
}

// The ANSI code page from TLVX_CODEPAGE or the locale; one that is not
// supported, or that this system cannot convert, is told once the window
// shows, and 1252 is used.
QString chooseCodePage() {
    namespace ansi = tlvx::platform::ansi;
    const auto choice = ansi::chooseCodePage();
    std::string refusal;
    if (!choice.refused.empty())
        refusal = ansi::unsupportedCodePageMessage(ansi::kCodePageVariable, choice.refused);
    else if (!ansi::useCodePage(choice.codePage))
        refusal = ansi::unavailableCodePageMessage(choice.codePage);
    if (refusal.empty()) return {};
    ansi::useCodePage(ansi::kDefaultCodePage);
    return QString::fromStdString(refusal) +
           QStringLiteral(
               ".\nProject files and version records are read and written in code "
               "page %1.")
               .arg(ansi::kDefaultCodePage);
}

}  // namespace

int main(int argc, char* argv[]) {
    // Read before the application object, which needs a display.
    using tlvx::ui::CommandLine;
    const CommandLine line = tlvx::ui::readCommandLine(rawArguments(argc, argv));
    switch (line.action) {
        case CommandLine::Action::Help:
        case CommandLine::Action::Version:
            print(stdout, line.text);
            return std::fflush(stdout) == 0 ? 0 : 1;
        case CommandLine::Action::Refused:
            print(stderr, line.text);
            return tlvx::ui::kCommandLineRefused;
        case CommandLine::Action::Run:
            break;
    }
    for (const QString& ignored : line.ignoredFiles)
        print(stderr, QStringLiteral("TLVX: shows one project or group at a time; \"") + ignored +
                          QStringLiteral("\" is not opened\n"));

    QApplication app(argc, argv);
    QApplication::setApplicationName(QStringLiteral("Tallyvex"));
    QApplication::setDesktopFileName(QStringLiteral("org.tallyvex.Tallyvex"));
    QApplication::setWindowIcon(tlvx::ui::programIcon());
    const QString codePageRefusal = chooseCodePage();

    namespace analysis = tlvx::analysis;
    const auto programFolder = analysis::programFolder();
    const auto workFolders = analysis::workFoldersBase(programFolder);
    // An installed program keeps them in the user's data folder as a rule;
    // a copy whose folder cannot be written says where they went instead.
    const bool moved =
        workFolders != programFolder && !analysis::programLayout(programFolder).installed;
    tlvx::ui::MainWindowSetup setup{workFolders, nullptr, moved, programFolder};
    setup.workingCopies = analysis::workFolders(programFolder).workingCopies;
    tlvx::ui::MainWindow window(setup);
    window.show();
    if (!codePageRefusal.isEmpty()) {
        QTimer::singleShot(0, &window, [&window, codePageRefusal] {
            QMessageBox::warning(&window, QStringLiteral("Tallyvex"), codePageRefusal);
        });
    }
    if (const std::string file = absoluteFile(line.startFile); !file.empty())
        QTimer::singleShot(0, &window, [&window, file] { window.openProject(file); });
    return app.exec();
}
