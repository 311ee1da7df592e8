#pragma once
// The one holder of an open file descriptor: it closes the descriptor when
// it goes, is moved but never copied, and hands the descriptor over on
// request. Closing is never tried again after EINTR: on Linux the
// descriptor is gone whatever close(2) reports, and a second close could
// hit a descriptor another thread has just opened.

namespace tlvx::platform {

class FileDescriptor {
public:
    FileDescriptor() = default;
    // Takes `fd` over; a negative value (a failed open) holds nothing.
    explicit FileDescriptor(int fd) noexcept : fd_(fd < 0 ? -1 : fd) {}
    ~FileDescriptor() { reset(); }
    FileDescriptor(FileDescriptor&& other) noexcept : fd_(other.release()) {}
    FileDescriptor& operator=(FileDescriptor&& other) noexcept {
        if (this != &other) reset(other.release());
        return *this;
    }
    FileDescriptor(const FileDescriptor&) = delete;
    FileDescriptor& operator=(const FileDescriptor&) = delete;

    // The descriptor; -1 when nothing is held.
    int get() const noexcept { return fd_; }
    explicit operator bool() const noexcept { return fd_ >= 0; }
    // Hands the descriptor over to the caller, who closes it; nothing is
    // held afterwards.
    int release() noexcept;
    // Closes what is held (errno left as it was) and takes `fd` over
    // instead.
    void reset(int fd = -1) noexcept;
    // Closes what is held now, for a caller that must know whether that
    // worked (a write reports a failed close): false when close(2) failed,
    // errno then telling why. Nothing is held afterwards either way; true
    // when nothing was held.
    bool close() noexcept;

private:
    int fd_ = -1;
};

}  // namespace tlvx::platform
