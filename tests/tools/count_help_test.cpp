// tlvx-count's --help and --version, and what it says when the history
// folder cannot be made.

#include <gtest/gtest.h>

#include <cerrno>
#include <cstring>
#include <sstream>
#include <string>
#include <vector>

#include "program/history/listing_text.h"
#include "program/program_version.h"
#include "tests/support/temp_dir.h"
#include "tools/tlvx-count/count_command.h"
#include "tools/tlvx-count/count_help.h"

namespace tlvx::test {
namespace {

const std::string kExamples = TLVX_EXAMPLES_DIR;

struct CountRun {
    int status;
    std::string out;
    std::string err;
};

CountRun run(const std::vector<std::string>& args) {
    std::ostringstream out, err;
    const int status = count::runCountCommand(args, out, err);
    return {status, out.str(), err.str()};
}

TEST(CountHelp, HelpAndVersionAnswerWhereverTheyStandBeforeTheFileNames) {
    const std::string version = std::string("tlvx-count ") + kVersionText + "\n";
    struct Case {
        std::vector<std::string> args;
        std::string out;  // the whole output
    } cases[] = {
        {{"--help"}, count::helpText()},
        {{"-h"}, count::helpText()},
        {{"--csv", "--help", kExamples + "/Shop.vbg"}, count::helpText()},
        {{"--version"}, version},
        {{kExamples + "/Shop.vbg", "--version"}, version},
        {{"--record", "--version"}, version},
    };
    for (const auto& c : cases) {
        const CountRun r = run(c.args);
        EXPECT_EQ(r.status, 0) << c.args.front();
        EXPECT_EQ(r.out, c.out) << c.args.front();
        EXPECT_EQ(r.err, "") << c.args.front();
    }
}

TEST(CountHelp, AfterTheEndOfTheOptionsTheyAreFileNames) {
    for (const char* name : {"--help", "--version", "-h"}) {
        const CountRun r = run({"--", name});
        EXPECT_EQ(r.status, 2) << name;
        EXPECT_EQ(r.out, "") << name;
        EXPECT_NE(r.err.find(name), std::string::npos) << r.err;
    }
}

TEST(CountHelp, FitsEightyColumnsAndExplainsEveryColumnAndExitStatus) {
    const std::string& text = count::helpText();
    std::istringstream in(text);
    for (std::string line; std::getline(in, line);) {
        EXPECT_LT(line.size(), 80u) << line;
        EXPECT_EQ(line.find('\t'), std::string::npos) << line;
    }
    EXPECT_EQ(text.back(), '\n');
    for (std::string_view header : history::kExportHeaders)
        EXPECT_NE(text.find(header), std::string::npos) << header;
    for (const char* option : {"--csv", "--json", "--record", "--history DIR", "--version"})
        EXPECT_NE(text.find(option), std::string::npos) << option;
    for (const char* status : {"\n  0  ", "\n  1  ", "\n  2  "})
        EXPECT_NE(text.find(status), std::string::npos) << status;
}

TEST(CountHelp, AHistoryFolderThatCannotBeMadeIsNamedWithTheReason) {
    // Below a file: no folder can be made there, whoever runs the test.
    TempDir root;
    root.write("file", "x");
    struct Case {
        std::string history;
        int error;
    } cases[] = {
        {(root / "file").string(), ENOTDIR},
        {(root / "file" / "history").string(), ENOTDIR},
    };
    for (const auto& c : cases) {
        const CountRun r = run({"--record", "--history", c.history, kExamples + "/Shop.vbg"});
        EXPECT_EQ(r.status, 2);
        EXPECT_EQ(r.out, "");
        EXPECT_EQ(r.err, "tlvx-count: the history folder cannot be made: " + c.history + ": " +
                             std::strerror(c.error) + "\n");
    }
}

}  // namespace
}  // namespace tlvx::test
