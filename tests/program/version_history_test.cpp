#include "program/history/version_history.h"

#include <fcntl.h>
#include <sys/resource.h>
#include <sys/wait.h>
#include <unistd.h>

#include <gtest/gtest.h>

#include <csignal>

#include "program/history/record_names.h"
#include "tests/support/temp_dir.h"
#include "tests/support/unprivileged.h"

using namespace tlvx::history;
using tlvx::analysis::ListingRow;
using tlvx::test::TempDir;

namespace {

const ListingRow kForm{"frmMain.frm", "Form", "61", "101", "2",  "3",
                       "59",          "58",   "56", "99",  "98", "96"};
const ListingRow kGone{"Forms\\frmOld.frm", "Invalid"};
const std::string kSummary =
    "Total: 61 / 101 / 2 / 3 / 59 / 58 / 56 / 99 / 98 / 96 code lines in 2 modules (same order "
    "as above).";

class VersionHistoryTest : public ::testing::Test {
protected:
    VersionHistoryTest() : history(dir / "verhis") {
        std::filesystem::create_directory(dir / "verhis");
    }
    // Every file below the test folder, so that nothing lands elsewhere.
    std::vector<std::string> allFiles() const {
        std::vector<std::string> files;
        for (const auto& e : std::filesystem::recursive_directory_iterator(dir.path()))
            files.push_back(std::filesystem::relative(e.path(), dir.path()).string());
        std::sort(files.begin(), files.end());
        return files;
    }

    TempDir dir;
    VersionHistory history;
};

}  // namespace

TEST(RecordNames, EscapesWhatCannotBeAFileNameAndReadsItBack) {
    EXPECT_EQ(escapeRecordName("Billing"), "Billing");
    EXPECT_EQ(escapeRecordName("2.1.0"), "2.1.0");
    EXPECT_EQ(escapeRecordName(""), "%");
    EXPECT_EQ(escapeRecordName("."), "%2E");
    EXPECT_EQ(escapeRecordName(".."), "%2E.");
    EXPECT_EQ(escapeRecordName("a/b\\c"), "a%2Fb%5Cc");
    EXPECT_EQ(escapeRecordName("100%"), "100%25");
    for (const std::string& name :
         std::vector<std::string>{"", ".", "..", "a/b", "..\\..\\x", "100%", "%41", "%", ".hidden",
                                  "1.2.", std::string("a\0b", 3), "Caf\xc3\xa9"}) {
        const std::string stored = escapeRecordName(name);
        EXPECT_EQ(unescapeRecordName(stored), name) << stored;
        EXPECT_EQ(stored.find('/'), std::string::npos);
        EXPECT_EQ(stored.find('\0'), std::string::npos);
        EXPECT_NE(stored, ".");
        EXPECT_NE(stored, "..");
    }
    // A folder made by hand reads as itself.
    EXPECT_EQ(unescapeRecordName("50%off"), "50%off");
}

TEST_F(VersionHistoryTest, WritesOneRecordPerVersionAndReplacesItWhole) {
    ASSERT_TRUE(history.save("Billing", "2.1.0", {kForm, kGone}, kSummary));
    const auto record = dir / "verhis/Billing/2.1.0";
    EXPECT_EQ(TempDir::read(record),
              "frmMain.frm:Form:61:101:2:3:59:58:56:99:98:96\r\nForms\\frmOld.frm:Invalid::::::::"
              "::\r\n" +
                  kSummary + "\r\n");
    ASSERT_TRUE(history.save("Billing", "2.1.1", {}, kSummary));
    EXPECT_EQ(TempDir::read(dir / "verhis/Billing/2.1.1"), kSummary + "\r\n");
    ASSERT_TRUE(history.save("Billing", "2.1.0", {kGone}, kSummary));
    EXPECT_EQ(TempDir::read(record), "Forms\\frmOld.frm:Invalid::::::::::\r\n" + kSummary + "\r\n");
    EXPECT_EQ(TempDir::read(dir / "verhis/Billing/2.1.1"), kSummary + "\r\n");
    EXPECT_EQ(allFiles(),
              (std::vector<std::string>{"verhis", "verhis/Billing", "verhis/Billing/2.1.0",
                                        "verhis/Billing/2.1.1"}));
}

TEST_F(VersionHistoryTest, TextIsStoredInTheCodePage) {
    ListingRow row{"Caf\xc3\xa9.bas", "Module"};
    ASSERT_TRUE(history.save("Caf\xc3\xa9", "1.0.0", {row}, "s"));
    EXPECT_EQ(TempDir::read(dir / "verhis/Caf\xc3\xa9/1.0.0"),
              "Caf\xe9.bas:Module::::::::::\r\ns\r\n");
}

TEST_F(VersionHistoryTest, NamesNeverLeadOutsideTheirProjectFolder) {
    const std::vector<std::string> names = {"",
                                            ".",
                                            "..",
                                            "../../etc",
                                            "a/b",
                                            "a\\b",
                                            "..\\x",
                                            std::string("n\0ul", 4),
                                            std::string(300, 'x'),
                                            "\xd0\x9f\xd1\x80"};
    for (const auto& name : names) {
        EXPECT_TRUE(history.save(name, "..", {kForm}, kSummary)) << name;
        EXPECT_TRUE(history.save("P", name, {kForm}, kSummary)) << name;
    }
    // Everything sits one level below the root: a project folder holding
    // record files.
    for (const auto& f : allFiles()) {
        const auto depth = std::count(f.begin(), f.end(), '/');
        EXPECT_LE(depth, 2) << f;
        EXPECT_EQ(f.rfind("verhis", 0), 0u) << f;
    }
    // Readers see the names as they were, the long one cut but kept apart.
    const auto projects = history.projects();
    EXPECT_EQ(projects.size(), names.size() + 1);
    for (const auto& name : names) {
        if (name.size() > 255) continue;
        EXPECT_NE(std::find(projects.begin(), projects.end(), name), projects.end()) << name;
        EXPECT_EQ(history.versions(name), std::vector<std::string>{".."});
        EXPECT_TRUE(history.recordFile("P", name)) << name;
    }
    EXPECT_TRUE(history.recordFile(std::string(300, 'x'), ".."));
    EXPECT_NE(VersionHistory::storedName(std::string(300, 'x')),
              VersionHistory::storedName(std::string(299, 'x') + "y"));
}

TEST_F(VersionHistoryTest, NamesMatchWithoutRegardToCase) {
    ASSERT_TRUE(history.save("Billing", "1.0.0", {}, "a"));
    ASSERT_TRUE(history.save("BILLING", "1.0.0", {}, "b"));
    EXPECT_EQ(history.projects(), std::vector<std::string>{"Billing"});
    EXPECT_EQ(TempDir::read(dir / "verhis/Billing/1.0.0"), "b\r\n");
}

TEST_F(VersionHistoryTest, NamesAreListedInOrderWithoutRegardToCase) {
    for (const char* name : {"till", "Billing", "%", "common"})
        for (const char* version : {"1.10.0", "1.2.0", "1.0.0"})
            ASSERT_TRUE(history.save(name, version, {}, "s"));
    // The escaped "%" is listed by what it shows, not by its stored name.
    EXPECT_EQ(history.projects(), (std::vector<std::string>{"%", "Billing", "common", "till"}));
    // Versions in version order, not as text.
    EXPECT_EQ(history.versions("TILL"), (std::vector<std::string>{"1.0.0", "1.2.0", "1.10.0"}));
}

TEST_F(VersionHistoryTest, NeverCreatesTheRoot) {
    VersionHistory elsewhere(dir / "missing");
    EXPECT_FALSE(elsewhere.save("P", "1", {kForm}, kSummary));
    EXPECT_FALSE(std::filesystem::exists(dir / "missing"));
}

TEST_F(VersionHistoryTest, AReaderHoldingTheOldRecordKeepsItWhole) {
    ASSERT_TRUE(history.save("P", "1", {kForm}, "old"));
    const auto record = dir / "verhis/P/1";
    const int fd = ::open(record.c_str(), O_RDONLY);
    ASSERT_GE(fd, 0);
    ASSERT_TRUE(history.save("P", "1", {kGone, kGone}, "new"));
    char buffer[256] = {};
    const auto n = ::read(fd, buffer, sizeof buffer);
    ::close(fd);
    const std::string old(buffer, n > 0 ? static_cast<std::size_t>(n) : 0);
    EXPECT_EQ(old, "frmMain.frm:Form:61:101:2:3:59:58:56:99:98:96\r\nold\r\n");
    EXPECT_NE(TempDir::read(record).find("new"), std::string::npos);
}

TEST_F(VersionHistoryTest, AFailedWriteKeepsThePreviousRecord) {
    ASSERT_TRUE(history.save("P", "1", {kForm}, kSummary));
    const std::string before = TempDir::read(dir / "verhis/P/1");
    // A file-size limit stands in for a full disk, in a child so that the
    // limit and its signal stay there.
    const pid_t child = ::fork();
    ASSERT_GE(child, 0);
    if (child == 0) {
        std::signal(SIGXFSZ, SIG_IGN);
        rlimit limit{16, 16};
        ::setrlimit(RLIMIT_FSIZE, &limit);
        std::vector<ListingRow> many(1000, kForm);
        ::_exit(history.save("P", "1", many, kSummary) ? 1 : 0);
    }
    int status = 0;
    ::waitpid(child, &status, 0);
    ASSERT_TRUE(WIFEXITED(status));
    EXPECT_EQ(WEXITSTATUS(status), 0) << "the failed save must say so";
    EXPECT_EQ(TempDir::read(dir / "verhis/P/1"), before);
    EXPECT_EQ(allFiles().size(), 3u) << "no half-written file stays behind";
}

TEST_F(VersionHistoryTest, ReadOnlyHistoryFolderLosesNothing) {
    ASSERT_TRUE(history.save("P", "1", {kForm}, kSummary));
    const std::string before = TempDir::read(dir / "verhis/P/1");
    namespace fs = std::filesystem;
    fs::permissions(dir.path(), fs::perms::all);
    for (const auto& folder : {dir / "verhis", dir / "verhis/P"})
        fs::permissions(folder, fs::perms::owner_read | fs::perms::owner_exec |
                                    fs::perms::others_read | fs::perms::others_exec);
    EXPECT_TRUE(tlvx::test::runUnprivileged([&] {
        return !history.save("P", "1", {kGone}, kSummary) &&
               !history.save("Q", "1", {kGone}, kSummary);
    }));
    EXPECT_EQ(TempDir::read(dir / "verhis/P/1"), before);
    EXPECT_EQ(allFiles().size(), 3u);
}
