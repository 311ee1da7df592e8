#include "platform/descriptors/file_descriptor.h"

#include <fcntl.h>
#include <unistd.h>

#include <gtest/gtest.h>

#include <cerrno>
#include <functional>
#include <utility>

using tlvx::platform::FileDescriptor;

namespace {

bool isOpen(int fd) {
    return fd >= 0 && ::fcntl(fd, F_GETFD) != -1;
}

// A fresh descriptor (one end of a pipe; the other is closed at once).
int freshDescriptor() {
    int ends[2];
    if (::pipe2(ends, O_CLOEXEC) != 0) return -1;
    ::close(ends[1]);
    return ends[0];
}

// What becomes of two descriptors `a` and `b` when a holder of `a` (and
// one of `b`, for the cases that need a second) goes through a step.
struct Case {
    const char* name;
    std::function<void(FileDescriptor& a, FileDescriptor& b)> step;
    bool aOpen;     // whether `a` is still open once both holders went
    bool bOpen;     // the same for `b`
    bool released;  // the step handed `a` over: the test closes it itself
};

TEST(FileDescriptor, ClosesWhatItHoldsExactlyOnce) {
    int handedOver = -1;
    const Case cases[] = {
        {"kept", [](FileDescriptor&, FileDescriptor&) {}, false, false, false},
        {"moved into a new holder",
         [](FileDescriptor& a, FileDescriptor&) {
             FileDescriptor moved(std::move(a));
             EXPECT_FALSE(a);
             EXPECT_TRUE(moved);
         },
         false, false, false},
        {"moved over another",
         [](FileDescriptor& a, FileDescriptor& b) {
             const int bFd = b.get();
             b = std::move(a);
             EXPECT_FALSE(isOpen(bFd));  // what b held went at once
             EXPECT_FALSE(a);
         },
         false, false, false},
        {"moved onto itself",
         [](FileDescriptor& a, FileDescriptor&) {
             FileDescriptor& same = a;
             a = std::move(same);
             EXPECT_TRUE(isOpen(a.get()));
         },
         false, false, false},
        {"released",
         [&handedOver](FileDescriptor& a, FileDescriptor&) {
             handedOver = a.release();
             EXPECT_FALSE(a);
             EXPECT_EQ(a.get(), -1);
         },
         true, false, true},
        {"reset to another",
         [](FileDescriptor& a, FileDescriptor& b) {
             const int aFd = a.get();
             a.reset(b.release());
             EXPECT_FALSE(isOpen(aFd));
         },
         false, false, false},
        {"reset to what it holds",
         [](FileDescriptor& a, FileDescriptor&) {
             a.reset(a.get());
             EXPECT_TRUE(isOpen(a.get()));
         },
         false, false, false},
        {"closed",
         [](FileDescriptor& a, FileDescriptor&) {
             EXPECT_TRUE(a.close());
             EXPECT_FALSE(a);
             EXPECT_TRUE(a.close());  // nothing held: nothing to report
         },
         false, false, false},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        const int aFd = freshDescriptor();
        const int bFd = freshDescriptor();
        ASSERT_TRUE(isOpen(aFd) && isOpen(bFd));
        {
            FileDescriptor a(aFd);
            FileDescriptor b(bFd);
            c.step(a, b);
        }
        EXPECT_EQ(isOpen(aFd), c.aOpen);
        EXPECT_EQ(isOpen(bFd), c.bOpen);
        if (c.released) {
            EXPECT_EQ(handedOver, aFd);
            ::close(handedOver);
        }
    }
}

TEST(FileDescriptor, HoldsNothingForAFailedOpen) {
    FileDescriptor failed(::open("/nonexistent/file", O_RDONLY | O_CLOEXEC));
    EXPECT_FALSE(failed);
    EXPECT_EQ(failed.get(), -1);
}

TEST(FileDescriptor, ReportsAFailedCloseAndKeepsErrnoOnTheWayOut) {
    const int fd = freshDescriptor();
    FileDescriptor stale(fd);
    ::close(fd);  // closed behind the holder's back
    errno = 0;
    EXPECT_FALSE(stale.close());
    EXPECT_EQ(errno, EBADF);
    EXPECT_FALSE(stale);

    const int other = freshDescriptor();
    {
        FileDescriptor goes(other);
        ::close(other);
        errno = ENOSPC;  // the failure a caller is about to report
    }
    EXPECT_EQ(errno, ENOSPC);
}

}  // namespace
