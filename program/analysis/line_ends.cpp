#include "program/analysis/line_ends.h"

#include <fcntl.h>
#include <unistd.h>

#include <cerrno>
#include <memory>

#include "platform/descriptors/regular_file.h"
#include "platform/process/leftovers.h"

namespace tlvx::analysis {
namespace {

// Appends `in` to `out` with bare LFs doubled up; `lastWasCr` carries the
// state across blocks so that a CR at the end of one block and the LF at the
// start of the next stay one pair.
void appendWithCrLf(std::string_view in, bool& lastWasCr, std::string& out) {
    // Whole runs up to each LF at a time: a long line costs one append.
    while (!in.empty()) {
        const std::size_t lf = in.find('\n');
        const std::size_t run = lf == std::string_view::npos ? in.size() : lf;
        out.append(in.data(), run);
        if (run > 0) lastWasCr = in[run - 1] == '\r';
        if (lf == std::string_view::npos) break;
        if (!lastWasCr) out += '\r';
        out += '\n';
        lastWasCr = false;
        in.remove_prefix(lf + 1);
    }
}

bool writeAll(int fd, std::string_view bytes) {
    while (!bytes.empty()) {
        const ssize_t n = ::write(fd, bytes.data(), bytes.size());
        if (n < 0) {
            if (errno == EINTR) continue;
            return false;
        }
        bytes.remove_prefix(static_cast<std::size_t>(n));
    }
    return true;
}

}  // namespace

std::string withCrLfLineEnds(std::string_view text) {
    std::string out;
    out.reserve(text.size() + text.size() / 16);
    bool lastWasCr = false;
    appendWithCrLf(text, lastWasCr, out);
    return out;
}

ScratchCopy::~ScratchCopy() {
    if (!file_.ok()) return;
    ::unlink(file_.path().c_str());
    file_.release();
}

std::optional<ScratchCopy> crLfCopy(const std::filesystem::path& source,
                                    const std::filesystem::path& folder) {
    const auto sourceFile = platform::RegularFile::openForReading(source);
    if (!sourceFile) return std::nullopt;
    const int in = sourceFile.fd();
    // A marked scratch file: removed should the process be interrupted, and
    // by a later rewrite in the folder should it be killed.
    auto made = platform::leftovers::createMarkedFile(folder, "crlf");
    if (!made.fd) return std::nullopt;
    const int out = made.fd.get();
    ScratchCopy copy(std::move(made.guard));
    constexpr std::size_t kBlock = 1 << 16;
    const auto block = std::make_unique_for_overwrite<char[]>(kBlock);
    std::string converted;
    bool lastWasCr = false;
    bool ok = true;
    for (;;) {
        const ssize_t n = ::read(in, block.get(), kBlock);
        if (n < 0 && errno == EINTR) continue;
        if (n <= 0) {
            ok = n == 0;
            break;
        }
        converted.clear();
        appendWithCrLf(std::string_view(block.get(), static_cast<std::size_t>(n)), lastWasCr,
                       converted);
        if (!writeAll(out, converted)) {
            ok = false;
            break;
        }
    }
    if (!made.fd.close()) ok = false;
    if (!ok) return std::nullopt;
    return copy;
}

}  // namespace tlvx::analysis
