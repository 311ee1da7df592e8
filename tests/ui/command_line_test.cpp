// TLVX's command line, read before any application object exists, and the
// working copies of a window whose working folders lie apart.

#include <QStringList>
#include <QTreeView>

#include <filesystem>
#include <sstream>
#include <string>

#include "program/program_version.h"
#include "program/ui/command_line.h"
#include "tests/ui/window_fixture.h"

namespace tlvx::test {
namespace {

namespace fs = std::filesystem;
using Action = ui::CommandLine::Action;

QStringList args(std::initializer_list<const char*> list) {
    QStringList out{QStringLiteral("TLVX")};
    for (const char* arg : list) out.append(QString::fromUtf8(arg));
    return out;
}

TEST(CommandLine, OptionsFilesAndQtsOwnOptions) {
    struct Case {
        QStringList arguments;
        Action action;
        QString startFile;
        QStringList ignored;
    } cases[] = {
        {args({}), Action::Run, {}, {}},
        {args({"Shop.vbg"}), Action::Run, QStringLiteral("Shop.vbg"), {}},
        {args({"--help"}), Action::Help, {}, {}},
        {args({"-h"}), Action::Help, {}, {}},
        {args({"Shop.vbg", "--help"}), Action::Help, {}, {}},
        {args({"--version"}), Action::Version, {}, {}},
        {args({"-v"}), Action::Version, {}, {}},
        // Qt's options pass, with their values, written as Qt writes them.
        {args({"-platform", "offscreen", "Shop.vbg"}), Action::Run, QStringLiteral("Shop.vbg"), {}},
        {args({"--platform", "xcb"}), Action::Run, {}, {}},
        {args({"-style=fusion", "-reverse", "A.vbp"}), Action::Run, QStringLiteral("A.vbp"), {}},
        {args({"-display", ":1", "-geometry", "800x600", "A.vbp"}),
         Action::Run,
         QStringLiteral("A.vbp"),
         {}},
        // The file manager's way of naming a file.
        {args({"file:///tmp/My%20Shop/Shop.vbg"}),
         Action::Run,
         QStringLiteral("/tmp/My Shop/Shop.vbg"),
         {}},
        // One at a time: the first is counted, the others named.
        {args({"A.vbp", "B.vbg", "C.vbp"}),
         Action::Run,
         QStringLiteral("A.vbp"),
         {QStringLiteral("B.vbg"), QStringLiteral("C.vbp")}},
        // After "--" everything is a file.
        {args({"--", "--help"}), Action::Run, QStringLiteral("--help"), {}},
        {args({"--", "-v.vbp"}), Action::Run, QStringLiteral("-v.vbp"), {}},
        {args({"--bogus"}), Action::Refused, {}, {}},
        {args({"-x", "Shop.vbg"}), Action::Refused, {}, {}},
        {args({"--help=yes"}), Action::Refused, {}, {}},
        {args({"-platform"}), Action::Refused, {}, {}},
    };
    for (const auto& c : cases) {
        const auto line = ui::readCommandLine(c.arguments);
        const std::string what = c.arguments.join(QLatin1Char(' ')).toStdString();
        EXPECT_EQ(line.action, c.action) << what;
        EXPECT_EQ(line.startFile, c.startFile) << what;
        EXPECT_EQ(line.ignoredFiles, c.ignored) << what;
    }
}

TEST(CommandLine, HelpVersionAndRefusalTexts) {
    const auto help = ui::readCommandLine(args({"--help"})).text.toStdString();
    EXPECT_EQ(help.rfind("Usage: TLVX ", 0), 0u) << help;
    std::istringstream lines(help);
    for (std::string line; std::getline(lines, line);) EXPECT_LT(line.size(), 80u) << line;
    for (const char* named : {"--help", "--version", "-platform", "Exit status"})
        EXPECT_NE(help.find(named), std::string::npos) << named;

    EXPECT_EQ(ui::readCommandLine(args({"--version"})).text.toStdString(),
              std::string("TLVX ") + kVersionText + "\n");

    const auto refused = ui::readCommandLine(args({"--bogus"})).text.toStdString();
    EXPECT_EQ(refused.rfind("TLVX: ", 0), 0u) << refused;
    EXPECT_NE(refused.find("bogus"), std::string::npos) << refused;
    EXPECT_NE(refused.find("TLVX --help"), std::string::npos) << refused;
    EXPECT_EQ(refused.back(), '\n');
    EXPECT_EQ(ui::kCommandLineRefused, 2);
}

class SeparateWorkingCopiesTest : public WindowTest {};

TEST_F(SeparateWorkingCopiesTest, WorkingCopiesGoWhereTheSetupSaysAndTheHistoryStays) {
    TempDir cache;
    TempDir data;
    ui::MainWindowSetup setup{data.path(), &messages};
    setup.workingCopies = cache / "tallyvex" / "tempprjfiles";
    window = std::make_unique<ui::MainWindow>(setup);
    EXPECT_TRUE(fs::is_directory(setup.workingCopies));
    EXPECT_FALSE(fs::exists(data / "tempprjfiles"));
    EXPECT_EQ(main().historyRoot(), data / "verhis");

    main().show();
    main().openProject(writeGroup().string());
    EXPECT_EQ(rowCount(*child<QTreeView>(main(), "lsv")), 3);
    EXPECT_TRUE(fs::is_regular_file(setup.workingCopies / "One.vbp"));
    EXPECT_TRUE(fs::is_regular_file(data / "verhis" / "One" / "1.2.3"));
    EXPECT_FALSE(fs::exists(data / "tempprjfiles"));
}

}  // namespace
}  // namespace tlvx::test
