#include "tools/tlvx-count/count_command.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cstdlib>
#include <sstream>

#include "tests/support/non_regular_files.h"
#include "tests/support/temp_dir.h"

using tlvx::count::runCountCommand;
using tlvx::test::TempDir;

namespace {

const std::string kExamples = TLVX_EXAMPLES_DIR;

struct CountRun {
    int status;
    std::string out;
    std::string err;
};

// Runs the command with its own TMPDIR, so that what it leaves behind shows.
class CountCommandTest : public ::testing::Test {
protected:
    void SetUp() override {
        const char* old = std::getenv("TMPDIR");
        oldTmp_ = old ? old : "";
        hadTmp_ = old != nullptr;
        ::setenv("TMPDIR", tmp.path().c_str(), 1);
    }
    void TearDown() override {
        if (hadTmp_)
            ::setenv("TMPDIR", oldTmp_.c_str(), 1);
        else
            ::unsetenv("TMPDIR");
    }
    CountRun run(const std::vector<std::string>& args) {
        std::ostringstream out, err;
        const int status = runCountCommand(args, out, err);
        return {status, out.str(), err.str()};
    }
    // No private working folder of the command is left behind.
    bool tmpIsEmpty() const {
        for (const auto& e : std::filesystem::directory_iterator(tmp.path()))
            if (e.path().filename().string().rfind("tlvx-count-", 0) == 0) return false;
        return true;
    }

    TempDir tmp;

private:
    std::string oldTmp_;
    bool hadTmp_ = false;
};

std::vector<std::string> lines(const std::string& text) {
    std::vector<std::string> out;
    std::istringstream in(text);
    for (std::string l; std::getline(in, l);) out.push_back(l);
    return out;
}

}  // namespace

TEST_F(CountCommandTest, PrintsEveryProjectOfTheGroupInGroupOrder) {
    const auto r = run({kExamples + "/Shop.vbg"});
    ASSERT_EQ(r.status, 0) << r.err;
    EXPECT_TRUE(r.err.empty());
    const auto l = lines(r.out);
    ASSERT_GE(l.size(), 12u);
    EXPECT_EQ(l[0], "Project\t1/2 Till\\Till.vbp");
    EXPECT_EQ(l[1], "Name\tTill");
    EXPECT_EQ(l[2], "Version\t2.1.7");
    EXPECT_EQ(l[3],
              "Module File\tType\tP\tA\tC\tB\tP - C\tP - B\tP - C - B\tA - C\tA - B\tA - C -B");
    EXPECT_EQ(l[4], "clsBasket.cls\tClassModule\t14\t23\t2\t3\t12\t11\t9\t21\t20\t18");
    EXPECT_EQ(l[10], " \tTotal\t50\t97\t7\t10\t43\t40\t33\t90\t87\t80");
    EXPECT_EQ(l[11].rfind("Total: 50 / 97", 0), 0u);
    EXPECT_EQ(l[12], "");
    EXPECT_EQ(l[13], "Project\t2/2 Common\\Common.vbp");
    EXPECT_TRUE(tmpIsEmpty()) << "the private working folder is removed";
}

TEST_F(CountCommandTest, CsvAndJson) {
    const auto csv = run({"--csv", kExamples + "/Common/Common.vbp"});
    ASSERT_EQ(csv.status, 0);
    const auto l = lines(csv.out);
    EXPECT_EQ(l[1], "Name,Common");
    EXPECT_EQ(l[4], "clsMoney.cls,ClassModule,7,13,1,1,6,6,5,12,12,11");
    EXPECT_EQ(l[5], "MdlText.bas,Module,8,9,2,2,6,6,4,7,7,5");

    const auto json = run({"--json", kExamples + "/Common/Common.vbp"});
    ASSERT_EQ(json.status, 0);
    EXPECT_NE(json.out.find("\"name\":\"Common\""), std::string::npos);
    EXPECT_NE(json.out.find("\"total\":[15,22,3,3,12,12,9,19,19,16]"), std::string::npos);
    EXPECT_NE(json.out.find("[\"MdlText.bas\",\"Module\",\"8\""), std::string::npos);
}

TEST_F(CountCommandTest, BadInputIsOneLineOnStderrAndStatusTwo) {
    TempDir dir;
    dir.write("notes.txt", "x");
    std::filesystem::create_directory(dir / "folder.vbp");
    for (const std::string& bad : {(dir / "missing.vbp").string(), (dir / "notes.txt").string(),
                                   (dir / "folder.vbp").string()}) {
        const auto r = run({bad});
        EXPECT_EQ(r.status, 2) << bad;
        EXPECT_TRUE(r.out.empty()) << bad;
        EXPECT_EQ(lines(r.err).size(), 1u) << r.err;
        EXPECT_NE(r.err.find(bad), std::string::npos);
    }
    EXPECT_EQ(run({}).status, 2);
    EXPECT_EQ(run({"--bogus", kExamples + "/Shop.vbg"}).status, 2);
}

// A project or group file that is a FIFO, a device, a socket or a link to
// nothing, or one of 100 MB, is refused as a file that cannot be read: one
// line on stderr, status 2, and nothing waits for it.
TEST_F(CountCommandTest, FilesThatAreNoRegularFilesOrTooLargeAreRefusedAtOnce) {
    TempDir dir;
    std::vector<std::pair<std::filesystem::path, std::string>> bad;
    for (const auto kind : tlvx::test::kNonRegularKinds) {
        for (const char* ext : {".vbp", ".vbg"}) {
            const auto path = dir / (tlvx::test::kindName(kind) + ext);
            tlvx::test::makeNonRegular(kind, path);
            const bool missing = kind == tlvx::test::NonRegularKind::DanglingLink;
            const bool folder = kind == tlvx::test::NonRegularKind::Folder;
            bad.emplace_back(path, missing  ? "no such file"
                                   : folder ? "is a folder, not a file"
                                            : "cannot be read: not a regular file");
        }
    }
    const auto huge = dir.write("huge.vbp", "Name=\"Huge\"\r\n");
    std::filesystem::resize_file(huge, 100'000'000);
    bad.emplace_back(huge, "cannot be read: larger than 64 MiB");
    for (const auto& [path, reason] : bad) {
        const auto check = [&, &path = path, &reason = reason] {
            const auto r = run({path.string()});
            return r.status == 2 && r.out.empty() &&
                   r.err == "tlvx-count: " + path.string() + ": " + reason + "\n";
        };
        EXPECT_EQ(tlvx::test::runGuarded(check), "passed") << path;
    }
}

// Inside a group, such a file takes its position as a missing project does:
// skipped, with a line on stderr.
TEST_F(CountCommandTest, GroupPositionsNamingNoReadableProjectCountNothing) {
    TempDir dir;
    tlvx::test::makeNonRegular(tlvx::test::NonRegularKind::Fifo, dir / "fifo.vbp");
    dir.write("ok.vbp", "Type=Exe\r\nName=\"Ok\"\r\n");
    dir.write("g.vbg",
              "VBGROUP 5.0\r\nProject=fifo.vbp\r\nProject=/dev/zero\r\nProject=ok.vbp\r\n");
    const auto check = [&] {
        const auto r = run({(dir / "g.vbg").string()});
        const std::string group = (dir / "g.vbg").string();
        return r.status == 0 &&
               r.err == "tlvx-count: " + group +
                            ": position 1 (fifo.vbp) is not a VB6 project, skipped\n"
                            "tlvx-count: " +
                            group + ": position 2 (/dev/zero) is not a VB6 project, skipped\n" &&
               r.out.find("Project\t3/3 ok.vbp\nName\tOk\n") == 0;
    };
    EXPECT_EQ(tlvx::test::runGuarded(check), "passed");
}

TEST_F(CountCommandTest, AFileThatIsNoProjectIsRefusedAloneAndSkippedInAGroup) {
    TempDir dir;
    const auto letter = dir.write("letter.vbp", "Dear reader,\r\nno project here.\r\n");
    const auto empty = dir.write("empty.vbp", "");
    for (const auto& file : {letter, empty}) {
        const auto r = run({"--record", "--history", (dir / "hist").string(), file.string()});
        EXPECT_EQ(r.status, 2) << file;
        EXPECT_TRUE(r.out.empty());
        EXPECT_EQ(lines(r.err), std::vector<std::string>{
                                    "tlvx-count: " + file.string() +
                                    ": not a VB6 project (no \"Type=\" line and no module)"});
        EXPECT_FALSE(std::filesystem::exists(dir / "hist/%"));
    }

    dir.write("App/App.vbp",
              "Type=Exe\r\nName=\"App\"\r\nMajorVer=1\r\nMinorVer=0\r\nRevisionVer=0\r\n");
    const auto group = dir.write(
        "all.vbg",
        "VBGROUP 5.0\r\nProject=letter.vbp\r\nProject=App\\App.vbp\r\nProject=gone.vbp\r\n");
    const auto r = run({"--record", "--history", (dir / "hist").string(), group.string()});
    EXPECT_EQ(r.status, 0) << r.err;
    EXPECT_EQ(lines(r.err), (std::vector<std::string>{
                                "tlvx-count: " + group.string() +
                                    ": position 1 (letter.vbp) is not a VB6 project, skipped",
                                "tlvx-count: " + group.string() +
                                    ": position 3 (gone.vbp) is not a VB6 project, skipped"}));
    EXPECT_EQ(r.out.rfind("Project\t2/3 App\\App.vbp\n", 0), 0u) << r.out;
    std::vector<std::string> recorded;
    for (const auto& e : std::filesystem::recursive_directory_iterator(dir / "hist"))
        recorded.push_back(std::filesystem::relative(e.path(), dir / "hist").string());
    std::ranges::sort(recorded);
    EXPECT_EQ(recorded, (std::vector<std::string>{"App", "App/1.0.0"}));
}

// A project naming pseudo-files as modules: the count ends, and they count
// nothing, as unreadable modules do.
TEST_F(CountCommandTest, PseudoFilesAsModulesCountNothing) {
    if (!std::filesystem::exists("/proc/self/pagemap")) GTEST_SKIP() << "no /proc";
    TempDir dir;
    dir.write("ok.bas", "Attribute VB_Name = \"ok\"\r\nx = 1\r\n");
    const auto project =
        dir.write("p.vbp",
                  "Type=Exe\r\nName=\"P\"\r\nModule=ok; ok.bas\r\n"
                  "Module=map; /proc/self/pagemap\r\nModule=mem; /proc/self/mem\r\n");
    const auto check = [&] {
        const auto r = run({"--csv", project.string()});
        return r.status == 0 && r.out.find(
                                    "\n/proc/self/mem,OtherModule,0,0,0,0,0,0,0,0,0,0\n"
                                    "/proc/self/pagemap,OtherModule,0,0,0,0,0,0,0,0,0,0\n"
                                    "ok.bas,Module,2,3,0,0,2,2,2,3,3,3\n") != std::string::npos;
    };
    EXPECT_EQ(tlvx::test::runGuarded(check, 60), "passed");
}

TEST_F(CountCommandTest, WindowsNotationAndOtherCaseFindTheFile) {
    TempDir dir;
    dir.write("Prj/App.vbp", "Type=Exe\r\nName=\"A\"\r\n");
    const auto r = run({(dir / "prj").string() + "\\APP.VBP"});
    EXPECT_EQ(r.status, 0) << r.err;
    EXPECT_NE(r.out.find("Name\tA"), std::string::npos);
}

TEST_F(CountCommandTest, NamesOutsideTheCodePage) {
    TempDir dir;
    // A project file whose own name the code page cannot hold, listing a
    // module written the code page's way (0xE9 is "é") and one whose name
    // was saved as UTF-8 bytes by some editor.
    dir.write("\xd0\x9f\xd1\x80\xd0\xbe\xd0\xb5\xd0\xba\xd1\x82/\xd0\x9f.vbp",
              "Name=\"\xd0\x9f\"\r\nModule=a; Caf\xe9.bas\r\nModule=b; \xd0\x9c.bas\r\n");
    dir.write("\xd0\x9f\xd1\x80\xd0\xbe\xd0\xb5\xd0\xba\xd1\x82/Caf\xc3\xa9.bas",
              "Attribute VB_Name = \"a\"\r\n' \xe9\r\n");
    const auto r =
        run({"--json",
             (dir / "\xd0\x9f\xd1\x80\xd0\xbe\xd0\xb5\xd0\xba\xd1\x82/\xd0\x9f.vbp").string()});
    ASSERT_EQ(r.status, 0) << r.err;
    EXPECT_NE(r.out.find("[\"Caf\xc3\xa9.bas\",\"Module\",\"2\",\"3\",\"1\""), std::string::npos)
        << r.out;
    // The UTF-8 bytes read as code page 1252 name no file: the row is Invalid.
    EXPECT_NE(r.out.find("\"Invalid\""), std::string::npos);
    // The project's name is shown as the code page reads it.
    EXPECT_NE(r.out.find("\"name\":\"\xc3\x90\xc5\xb8\""), std::string::npos) << r.out;
}

TEST_F(CountCommandTest, RecordWritesTheVersionHistory) {
    TempDir out;
    const auto history = (out / "hist").string();
    auto r = run({"--record", "--history", history, kExamples + "/Shop.vbg"});
    ASSERT_EQ(r.status, 0) << r.err;
    const auto till = TempDir::read(out / "hist/Till/2.1.7");
    EXPECT_EQ(till.rfind("clsBasket.cls:ClassModule:14:23:2:3:12:11:9:21:20:18\r\n", 0), 0u);
    EXPECT_NE(till.find("\r\nTotal: 50 / 97"), std::string::npos);
    EXPECT_TRUE(std::filesystem::exists(out / "hist/Common/1.0.3"));
    // Recording again replaces the records, nothing more appears.
    r = run({"--record", "--history", history, kExamples + "/Shop.vbg"});
    EXPECT_EQ(TempDir::read(out / "hist/Till/2.1.7"), till);
    std::size_t files = 0;
    for (const auto& e : std::filesystem::recursive_directory_iterator(out / "hist"))
        files += e.is_regular_file();
    EXPECT_EQ(files, 2u);
    EXPECT_TRUE(tmpIsEmpty());
}

TEST_F(CountCommandTest, RecordOptionsAreChecked) {
    EXPECT_EQ(run({"--history", "x", kExamples + "/Shop.vbg"}).status, 2);
    EXPECT_EQ(run({"--record", "--history"}).status, 2);
    TempDir out;
    out.write("file", "x");
    const auto r = run({"--record", "--history", (out / "file").string(), kExamples + "/Shop.vbg"});
    EXPECT_EQ(r.status, 2);
    EXPECT_TRUE(r.out.empty());
}
