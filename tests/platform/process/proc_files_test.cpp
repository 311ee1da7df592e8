#include "platform/process/proc_files.h"

#include <sys/prctl.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <gtest/gtest.h>

#include <optional>
#include <string>

#include "tests/support/temp_dir.h"

namespace proc = tlvx::platform::proc;
using tlvx::test::TempDir;

namespace {

TEST(ProcFiles, StatFieldsAreCountedAfterTheCommandName) {
    const std::string plain =
        "4242 (bash) S 1 4242 4242 0 -1 4194560 9 0 0 0 0 0 0 0 20 0 1 0 "
        "777 1000 200\n";
    const std::string odd = "17 (a) b (c d) R 5 6 7 0 -1 0 0 0 0 0 0 0 0 0 20 0 1 0 99 1 2\n";
    struct Case {
        const std::string* text;
        int field;
        std::optional<std::string> expected;
    };
    const Case cases[] = {
        {&plain, 1, "4242"},
        {&plain, 2, "bash"},
        {&plain, 3, "S"},
        {&plain, 4, "1"},
        {&plain, 22, "777"},
        {&plain, 24, "200"},  // the last, before the line end
        {&plain, 25, std::nullopt},
        {&plain, 0, std::nullopt},
        // A name with spaces and parentheses: only the last ')' ends it.
        {&odd, 2, "a) b (c d"},
        {&odd, 3, "R"},
        {&odd, 4, "5"},
        {&odd, 22, "99"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(*c.text + " field " + std::to_string(c.field));
        EXPECT_EQ(proc::statField(*c.text, c.field), c.expected);
    }
    EXPECT_EQ(proc::statField("", 3), std::nullopt);
    EXPECT_EQ(proc::statField("12 no name at all", 3), std::nullopt);
    EXPECT_EQ(proc::statField("12 (cut", 3), std::nullopt);
    EXPECT_EQ(proc::statField("12 (x)", 3), std::nullopt);
}

TEST(ProcFiles, ReadsTheStatOfAProcessWhoseNameLooksLikeFields) {
    int ready[2];
    ASSERT_EQ(::pipe(ready), 0);
    const pid_t child = ::fork();
    ASSERT_GE(child, 0);
    if (child == 0) {
        ::prctl(PR_SET_NAME, "x) Z 1 (y", 0, 0, 0);
        char byte = 'r';
        (void)!::write(ready[1], &byte, 1);
        ::pause();
        ::_exit(0);
    }
    ::close(ready[1]);
    char byte = 0;
    ASSERT_EQ(::read(ready[0], &byte, 1), 1);
    ::close(ready[0]);
    EXPECT_EQ(proc::processStatField(child, 2), "x) Z 1 (y");
    EXPECT_EQ(proc::processStatField(child, 4), std::to_string(::getpid()));
    const auto start = proc::processStatField(child, 22);
    ASSERT_TRUE(start);
    EXPECT_FALSE(start->empty());
    EXPECT_EQ(start->find_first_not_of("0123456789"), std::string::npos) << *start;
    ::kill(child, SIGKILL);
    ::waitpid(child, nullptr, 0);
    EXPECT_EQ(proc::processStatField(child, 22), std::nullopt);  // gone
}

TEST(ProcFiles, FindsAStatusLineByItsWholeName) {
    const std::string status = "Name:\tcat\nUmask:\t0027\nState:\tR (running)\nTgid:  12 \n";
    struct Case {
        const char* name;
        std::optional<std::string> expected;
    };
    const Case cases[] = {
        {"Name", "cat"},      {"Umask", "0027"},       {"State", "R (running)"}, {"Tgid", "12"},
        {"Um", std::nullopt}, {"umask", std::nullopt}, {"Pid", std::nullopt},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        EXPECT_EQ(proc::statusField(status, c.name), c.expected);
    }
    EXPECT_EQ(proc::statusField("Umask:\t0022", "Umask"), "0022");  // no line end
}

TEST(ProcFiles, TellsTheUmaskWithoutChangingIt) {
    const mode_t before = ::umask(022);
    for (const mode_t mask : {mode_t{0}, mode_t{022}, mode_t{027}, mode_t{0777}}) {
        ::umask(mask);
        EXPECT_EQ(proc::currentUmask(), mask);
        EXPECT_EQ(proc::currentUmask(), mask);  // reading left it as it was
    }
    ::umask(before);
}

TEST(ProcFiles, FirstLinesAndWholeFilesAreReadOnlyFromRegularFiles) {
    TempDir dir;
    EXPECT_EQ(proc::firstLineOf(dir.write("id", "abc\ndef\n")), "abc");
    EXPECT_EQ(proc::firstLineOf(dir.write("bare", "abc")), "abc");
    EXPECT_EQ(proc::firstLineOf(dir / "missing"), "");
    EXPECT_EQ(proc::firstLineOf(dir.path()), "");
    // A /proc file tells a size of 0 and still holds its text.
    const auto self = proc::readSmallFile("/proc/self/stat");
    ASSERT_TRUE(self);
    EXPECT_EQ(proc::statField(*self, 1), std::to_string(::getpid()));
}

}  // namespace
