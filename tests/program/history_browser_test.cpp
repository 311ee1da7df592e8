#include "program/history/history_browser.h"

#include <gtest/gtest.h>

#include "tests/support/temp_dir.h"

using namespace tlvx::history;
using tlvx::analysis::ListingRow;
using tlvx::test::TempDir;

namespace {

// Answers every question with one answer and records what was shown.
struct ScriptedMessages : MessageBoxes {
    Answer answer = Answer::Yes;
    std::vector<std::string> shown;
    void information(const std::string& t) override { shown.push_back("i:" + t); }
    void warning(const std::string& t) override { shown.push_back("w:" + t); }
    Answer question(const std::string& t) override {
        shown.push_back("q:" + t);
        return answer;
    }
};

const std::string kSummary =
    "Total: 1 / 2 / 0 / 0 / 1 / 1 / 1 / 2 / 2 / 2 code lines in 1 modules (same order as "
    "above).";

class HistoryBrowserTest : public ::testing::Test {
protected:
    HistoryBrowserTest() {
        std::filesystem::create_directory(dir / "verhis");
        history.save(
            "Billing", "1.0.0",
            {ListingRow{"b.bas", "Module", "1", "2", "0", "0", "1", "1", "1", "2", "2", "2"},
             ListingRow{"a.frm", "Invalid"}},
            kSummary);
        history.save("Billing", "1.0.1", {}, kSummary);
    }

    TempDir dir;
    VersionHistory history{dir / "verhis"};
    HistoryBrowser browser{VersionHistory(dir / "verhis")};
    ScriptedMessages messages;
};

}  // namespace

TEST(RecordLines, TwelvePiecesOrAPathWithColons) {
    auto row = rowOfRecordLine("b.bas:Module:1:2:0:0:1:1:1:2:2:2");
    ASSERT_TRUE(row);
    EXPECT_EQ((*row)[0], "b.bas");
    EXPECT_EQ((*row)[11], "2");
    row = rowOfRecordLine("C:\\VB\\x.frm:Form:1:2:0:0:1:1:1:2:2:2");
    ASSERT_TRUE(row);
    EXPECT_EQ((*row)[0], "C:\\VB\\x.frm");
    row = rowOfRecordLine("D:\\a:b.frm:Invalid::::::::::");
    ASSERT_TRUE(row);
    EXPECT_EQ((*row)[0], "D:\\a:b.frm");
    EXPECT_FALSE(rowOfRecordLine(kSummary));
    EXPECT_FALSE(rowOfRecordLine(""));
    EXPECT_FALSE(rowOfRecordLine("a:b:c:Form:1:2:x:0:1:1:1:2:2"));  // tail is no row
    // Exactly twelve pieces load whatever they hold, as a hand-made file may.
    EXPECT_TRUE(rowOfRecordLine("a:b:c:d:e:f:g:h:i:j:k:l"));
}

TEST_F(HistoryBrowserTest, SelectorsChainProjectVersionRecord) {
    history.save("Zeta", "9", {}, "not a summary");
    browser.loadProjects();
    ASSERT_EQ(browser.projects().size(), 2u);
    EXPECT_EQ(browser.projectText(), browser.projects()[0]);
    browser.selectProject(
        std::find(browser.projects().begin(), browser.projects().end(), "Billing") -
        browser.projects().begin());
    EXPECT_EQ(browser.versions().size(), 2u);
    ASSERT_TRUE(browser.selectedVersion());
    const auto v100 = std::find(browser.versions().begin(), browser.versions().end(), "1.0.0") -
                      browser.versions().begin();
    browser.selectVersion(v100);
    EXPECT_EQ(browser.listing().rowCount(), 2u);
    EXPECT_EQ(browser.listing().row(0)[0], "a.frm");  // sorted by module file
    EXPECT_EQ(browser.summary(), kSummary);
    // A record whose last line is no summary leaves the summary empty.
    browser.selectProject(std::find(browser.projects().begin(), browser.projects().end(), "Zeta") -
                          browser.projects().begin());
    EXPECT_EQ(browser.summary(), "");
}

TEST_F(HistoryBrowserTest, DeletionAnswersAndOutcomes) {
    browser.loadProjects();
    const auto billing = dir / "verhis/Billing";
    for (auto answer : {MessageBoxes::Answer::No, MessageBoxes::Answer::Cancel}) {
        messages.answer = answer;
        browser.deleteVersion(messages);
        browser.deleteProject(messages);
    }
    EXPECT_EQ(browser.versions().size(), 2u);
    EXPECT_TRUE(std::filesystem::exists(billing / "1.0.0"));

    messages.answer = MessageBoxes::Answer::Yes;
    browser.deleteVersion(messages);
    browser.deleteVersion(messages);
    // The project stays, with no versions and an empty listing.
    EXPECT_EQ(browser.projects(), std::vector<std::string>{"Billing"});
    EXPECT_TRUE(browser.versions().empty());
    EXPECT_EQ(browser.listing().rowCount(), 0u);
    messages.shown.clear();
    browser.deleteVersion(messages);
    EXPECT_EQ(messages.shown, std::vector<std::string>{std::string("i:") + kNothingToDelete});

    browser.deleteProject(messages);
    EXPECT_FALSE(std::filesystem::exists(billing));
    EXPECT_TRUE(browser.projects().empty());
    messages.shown.clear();
    browser.deleteProject(messages);
    EXPECT_EQ(messages.shown, std::vector<std::string>{std::string("i:") + kNothingToDelete});
}

TEST_F(HistoryBrowserTest, WhatVanishedMeanwhileShowsAsItNowIs) {
    browser.loadProjects();
    std::filesystem::remove_all(dir / "verhis/Billing");
    browser.selectVersion(0);  // the record is gone: an empty listing
    EXPECT_EQ(browser.listing().rowCount(), 0u);
    browser.deleteVersion(messages);  // already gone: taken off the list
    EXPECT_EQ(browser.versions().size(), 1u);
    std::filesystem::remove_all(dir / "verhis");
    browser.loadProjects();
    EXPECT_TRUE(browser.projects().empty());
    EXPECT_EQ(browser.listing().rowCount(), 0u);
}

TEST_F(HistoryBrowserTest, EscapedNamesShowUnescaped) {
    history.save("../evil", "..", {}, kSummary);
    browser.loadProjects();
    const auto& p = browser.projects();
    const auto at = std::find(p.begin(), p.end(), "../evil");
    ASSERT_NE(at, p.end());
    browser.selectProject(at - p.begin());
    EXPECT_EQ(browser.versions(), std::vector<std::string>{".."});
    EXPECT_EQ(browser.summary(), kSummary);
}

TEST_F(HistoryBrowserTest, SelectsARecordByItsNamesOrLeavesTheSelection) {
    history.save("Aardvark", "9", {}, kSummary);
    history.save("Billing", "1.0.10", {}, "other");
    browser.loadProjects();
    EXPECT_EQ(browser.projectText(), "Aardvark");
    struct Case {
        const char* project;
        const char* version;
        bool found;
        const char* shownProject;
        const char* shownVersion;
    };
    const Case cases[] = {
        {"billing", "1.0.10", true, "Billing", "1.0.10"},  // letter case ignored
        {"Billing", "1.0.0", true, "Billing", "1.0.0"},
        {"Billing", "2.0.0", false, "Billing", "1.0.0"},  // no such version: as it was
        {"Nobody", "1.0.0", false, "Billing", "1.0.0"},
        {"Aardvark", "9", true, "Aardvark", "9"},
    };
    for (const auto& c : cases) {
        EXPECT_EQ(browser.selectRecord(c.project, c.version), c.found) << c.project << c.version;
        EXPECT_EQ(browser.projectText(), c.shownProject) << c.project << c.version;
        EXPECT_EQ(browser.versionText(), c.shownVersion) << c.project << c.version;
    }
    browser.selectRecord("Billing", "1.0.0");
    EXPECT_EQ(browser.listing().rowCount(), 2u);
    EXPECT_EQ(browser.summary(), kSummary);
    // Versions in version order.
    EXPECT_EQ(browser.versions(), (std::vector<std::string>{"1.0.0", "1.0.1", "1.0.10"}));
}
