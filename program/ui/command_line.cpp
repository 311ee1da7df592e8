#include "program/ui/command_line.h"

#include <QCommandLineOption>
#include <QCommandLineParser>
#include <QUrl>

#include "program/program_version.h"

namespace tlvx::ui {
namespace {

// The options QGuiApplication and QApplication take for themselves: those
// with a value, then those without. The application object reads and
// removes them later; here they are only let through.
const char* const kQtOptionsWithValue[] = {
    "platform",      "platformpluginpath",
    "platformtheme", "plugin",
    "qmljsdebugger", "qwindowgeometry",
    "qwindowicon",   "qwindowtitle",
    "session",       "display",
    "geometry",      "style",
    "stylesheet",    "name",
    "title",
};
const char* const kQtFlags[] = {"reverse", "widgetcount", "nograb", "dograb", "sync"};

constexpr char kHelp[] =
    "Usage: TLVX [OPTION...] [FILE.vbp | FILE.vbg]\n"
    "Counts the code lines of a Visual Basic 6 project (.vbp) or project group\n"
    "(.vbg) module by module, and records every count in the version history.\n"
    "A FILE named here is counted at start, as if it had been chosen with\n"
    "Ctrl+O.\n"
    "\n"
    "Options:\n"
    "  -h, --help       show this help and exit\n"
    "  -v, --version    show the version and exit\n"
    "  --               take what follows as file names\n"
    "Qt's own options (-platform NAME, -style NAME, -display HOST:SCREEN, ...)\n"
    "work as in any Qt program.\n"
    "\n"
    "Exit status: 0 when the window is closed, 2 for a wrong command line.\n"
    "tlvx-count counts without a window. See TLVX(1) and tlvx-count(1).\n";

QCommandLineOption hiddenOption(const char* name, bool takesValue) {
    QCommandLineOption option(QString::fromLatin1(name));
    if (takesValue) option.setValueName(QStringLiteral("value"));
    option.setFlags(QCommandLineOption::HiddenFromHelp);
    return option;
}

QString localFile(const QString& named) {
    if (named.startsWith(QStringLiteral("file:"))) return QUrl(named).toLocalFile();
    return named;
}

}  // namespace

CommandLine readCommandLine(const QStringList& arguments) {
    QCommandLineParser parser;
    // "-platform offscreen" as Qt writes its options, not "-p -l -a ...".
    parser.setSingleDashWordOptionMode(QCommandLineParser::ParseAsLongOptions);
    const QCommandLineOption help(QStringList{QStringLiteral("h"), QStringLiteral("help")});
    const QCommandLineOption version(QStringList{QStringLiteral("v"), QStringLiteral("version")});
    parser.addOption(help);
    parser.addOption(version);
    for (const char* name : kQtOptionsWithValue) parser.addOption(hiddenOption(name, true));
    for (const char* name : kQtFlags) parser.addOption(hiddenOption(name, false));

    CommandLine line;
    if (!parser.parse(arguments)) {
        line.action = CommandLine::Action::Refused;
        line.text = QStringLiteral("TLVX: ") + parser.errorText() +
                    QStringLiteral("\nTry \"TLVX --help\" for more.\n");
        return line;
    }
    if (parser.isSet(help)) {
        line.action = CommandLine::Action::Help;
        line.text = QString::fromLatin1(kHelp);
        return line;
    }
    if (parser.isSet(version)) {
        line.action = CommandLine::Action::Version;
        line.text = QStringLiteral("TLVX ") + QString::fromLatin1(kVersionText) + QLatin1Char('\n');
        return line;
    }
    for (const QString& named : parser.positionalArguments()) {
        const QString file = localFile(named);
        if (line.startFile.isEmpty() && line.ignoredFiles.isEmpty())
            line.startFile = file;
        else
            line.ignoredFiles.append(named);
    }
    return line;
}

}  // namespace tlvx::ui
