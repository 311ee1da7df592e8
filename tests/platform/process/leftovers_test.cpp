#include "platform/process/leftovers.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <gtest/gtest.h>

#include <algorithm>
#include <string>
#include <vector>

#include "platform/files/file_replacement.h"
#include "platform/process/process_marker.h"
#include "tests/support/temp_dir.h"

namespace fs = std::filesystem;
namespace process = tlvx::platform::process;
namespace leftovers = tlvx::platform::leftovers;
using tlvx::test::namesIn;
using tlvx::test::TempDir;

namespace {

// The mark of a process that ran and ended (and was reaped) just now.
std::string markOfAnEndedProcess() {
    int ready[2];
    if (::pipe(ready) != 0) return {};
    const pid_t child = ::fork();
    if (child == 0) {
        ::close(ready[1]);
        char byte;
        (void)!::read(ready[0], &byte, 1);  // lives until the mark is taken
        ::_exit(0);
    }
    ::close(ready[0]);
    const auto mark = process::markerOf(child);
    ::close(ready[1]);
    int status = 0;
    ::waitpid(child, &status, 0);
    return mark.value_or("");
}

// The mark's four fields: machine and boot, pid namespace, pid, start time.
std::vector<std::string> fieldsOf(const std::string& mark) {
    std::vector<std::string> fields;
    std::size_t start = 0;
    for (std::size_t dash; (dash = mark.find('-', start)) != std::string::npos; start = dash + 1)
        fields.push_back(mark.substr(start, dash - start));
    fields.push_back(mark.substr(start));
    return fields;
}

std::string joined(const std::vector<std::string>& fields) {
    std::string mark;
    for (const auto& f : fields) mark += (mark.empty() ? "" : "-") + f;
    return mark;
}

// As the file was left `seconds` ago.
void age(const fs::path& path, int seconds) {
    const timespec times[2] = {{::time(nullptr) - seconds, 0}, {::time(nullptr) - seconds, 0}};
    ::utimensat(AT_FDCWD, path.c_str(), times, AT_SYMLINK_NOFOLLOW);
}

constexpr int kLongAgo = 10 * 60;

}  // namespace

TEST(ProcessMarker, TellsARunningProcessFromOneThatEnded) {
    const std::string own = process::ownMarker();
    EXPECT_EQ(process::ownerOf(own), process::Owner::Running);
    EXPECT_EQ(process::markerOf(::getpid()), own);

    const std::string ended = markOfAnEndedProcess();
    ASSERT_FALSE(ended.empty());
    EXPECT_EQ(process::ownerOf(ended), process::Owner::Gone);

    auto fields = fieldsOf(own);
    ASSERT_EQ(fields.size(), 4u) << own;
    // Our own pid with another start time: the pid was reused.
    auto reused = fields;
    reused[3] = std::to_string(std::stoull(fields[3]) + 1);
    EXPECT_EQ(process::ownerOf(joined(reused)), process::Owner::Gone);
    // This machine before its last start: every process of then ended.
    auto earlierBoot = fields;
    earlierBoot[0].replace(8, 8, earlierBoot[0].substr(8) == "00000000" ? "00000001" : "00000000");
    EXPECT_EQ(process::ownerOf(joined(earlierBoot)), process::Owner::Gone);
    // Another machine or another pid namespace: nothing can be told.
    auto otherMachine = fields;
    otherMachine[0] =
        (fields[0].substr(0, 8) == "00000000" ? "00000001" : "00000000") + fields[0].substr(8);
    EXPECT_EQ(process::ownerOf(joined(otherMachine)), process::Owner::Unknown);
    auto otherNamespace = fields;
    otherNamespace[1] += "7";
    EXPECT_EQ(process::ownerOf(joined(otherNamespace)), process::Owner::Unknown);
    for (const char* bad : {"", "x", "0123-1-2-3", "zzzzzzzzzzzzzzzz-1-2-3", "own-marker"})
        EXPECT_EQ(process::ownerOf(bad), process::Owner::Unknown) << bad;
}

// Only marked files of writers that certainly ended, and only once nobody
// changed them for a while, are removed; nothing else in the folder.
TEST(Leftovers, RemovesOnlyLongAbandonedFilesOfEndedWriters) {
    TempDir dir;
    const std::string ended = markOfAnEndedProcess();
    const std::string own = process::ownMarker();
    auto otherNamespace = fieldsOf(own);
    otherNamespace[1] += "7";
    const std::string unknown = joined(otherNamespace);
    const auto marked = [](const std::string& stem, const std::string& mark) {
        return "." + stem + ".tlvx-" + mark + "-Ab12Cd";
    };
    struct Entry {
        std::string name;
        bool old;
        bool goes;
    };
    const std::vector<Entry> entries = {
        {marked("rec.txt", ended), true, true},
        {marked("a.b.tlvx-x", ended), true, true},  // the stem may hold anything
        {marked("fresh.txt", ended), false, false},
        {marked("mine.txt", own), true, false},
        {marked("far.txt", unknown), true, false},
        {".plain.txt.Ab12Cd", true, false},
        {"rec.txt.tlvx-" + ended + "-Ab12Cd", true, false},  // not hidden: not ours
        {"data.txt", true, false},
    };
    for (const auto& e : entries) {
        dir.write(e.name, "half");
        if (e.old) age(dir / e.name, kLongAgo);
    }
    // A folder or a link under such a name is never ours either.
    const std::string folder = marked("dir", ended);
    fs::create_directory(dir / folder);
    age(dir / folder, kLongAgo);
    const std::string link = marked("link", ended);
    fs::create_symlink("data.txt", dir / link);
    age(dir / link, kLongAgo);

    leftovers::removeAbandonedFiles(dir.path());
    std::vector<std::string> expected = {folder, link};
    for (const auto& e : entries)
        if (!e.goes) expected.push_back(e.name);
    std::ranges::sort(expected);
    EXPECT_EQ(namesIn(dir.path()), expected);
}

// A rewrite's new file carries its writer's mark, and the next rewrite in
// the folder clears what a killed writer left there long ago.
TEST(Leftovers, RewritesAreMarkedAndClearWhatKilledRewritesLeft) {
    TempDir dir;
    const auto target = dir.write("out.txt", "old");
    const std::string left = ".out.txt.tlvx-" + markOfAnEndedProcess() + "-Qw12Er";
    dir.write(left, "half a record");
    age(dir / left, kLongAgo);
    EXPECT_TRUE(tlvx::platform::replaceFileContent(target, "new"));
    EXPECT_EQ(namesIn(dir.path()), std::vector<std::string>{"out.txt"});
    EXPECT_EQ(TempDir::read(target), "new");

    tlvx::platform::FileReplacement replacement(target);
    ASSERT_TRUE(replacement.ok());
    const auto names = namesIn(dir.path());
    ASSERT_EQ(names.size(), 2u);
    const std::string prefix = ".out.txt.tlvx-" + process::ownMarker() + "-";
    EXPECT_EQ(names[0].rfind(prefix, 0), 0u) << names[0];
    EXPECT_EQ(names[0].size(), prefix.size() + 6);
}

TEST(Leftovers, MarkedNamesFitInAFileNameWhateverTheStem) {
    TempDir dir;
    auto file = leftovers::createMarkedFile(dir.path(), std::string(300, 'a') + "\xC3\xA9" + "b");
    ASSERT_GE(file.fd.get(), 0) << file.error;
    file.fd.reset();
    EXPECT_LE(file.path().filename().native().size(), 255u);
    EXPECT_TRUE(fs::exists(file.path()));
    // A target with the longest name a folder allows is still rewritten.
    const auto target = dir.write(std::string(255, 'n'), "old");
    EXPECT_TRUE(tlvx::platform::replaceFileContent(target, "new"));
    EXPECT_EQ(TempDir::read(target), "new");
}

TEST(Leftovers, RemovesPrivateFoldersOfEndedProcessesOnly) {
    TempDir dir;
    const std::string ended = markOfAnEndedProcess();
    const std::string own = process::ownMarker();
    const std::vector<std::string> gone = {"tool-" + ended + "-Ab12Cd",
                                           "tool-" + ended + "-Ab12Cd.gone"};
    const std::vector<std::string> kept = {"tool-" + own + "-Ab12Cd", "other-" + ended + "-Ab12Cd",
                                           "tool-Ab12Cd", "tool-" + ended};
    for (const auto& name : gone) dir.write(name + "/copy.vbp", "x");
    for (const auto& name : kept) dir.write(name + "/copy.vbp", "x");
    dir.write("tool-" + ended + "-File12", "a file is not a private folder");

    leftovers::removeAbandonedFolders(dir.path(), "tool");
    auto expected = kept;
    expected.push_back("tool-" + ended + "-File12");
    std::ranges::sort(expected);
    EXPECT_EQ(namesIn(dir.path()), expected);

    auto made = leftovers::createMarkedFolder(dir.path(), "tool");
    ASSERT_TRUE(made.ok());
    EXPECT_EQ(made.path().filename().native().rfind("tool-" + own + "-", 0), 0u);
    EXPECT_TRUE(fs::is_directory(made.path()));
}
