#include "library/txt_file/txt_file_charsets.h"

#include "library/frame/continue_on_error.h"
#include "library/txt_file/encoding_detection.h"
#include "platform/automation/late_call.h"
#include "platform/automation/stream_object.h"
#include "platform/files/file_blocks.h"
#include "platform/files/text_stream.h"
#include "platform/files/win_path.h"
#include "platform/text/ansi_codepage.h"

namespace tlvx::library {
namespace {

using namespace platform::automation;

// Blocks of the encoding scan: large enough to read at the disk's pace,
// small enough that any file is judged in a few megabytes.
constexpr std::size_t kScanBlock = 1 << 20;

}  // namespace

void TxtFileCharsets::WriteByCharset(const std::u16string& fileName, const std::u16string& content,
                                     const std::u16string& charset) noexcept {
    continueOnError([&] {
        LateObject stream = LateObject::create(kStreamProgId);
        if (!stream) return;
        // Each step on its own: one that fails is skipped.
        stream.call(u"Open");
        stream.put(u"CharSet", OwnedVariant::text(charset));
        stream.call(u"WriteText", arguments(OwnedVariant::text(content)));
        stream.call(u"SaveToFile", arguments(OwnedVariant::text(fileName),
                                             OwnedVariant::number(kStreamSaveCreateOverWrite)));
        stream.call(u"Close");
    });
}

std::u16string TxtFileCharsets::ReadByCharset(const std::u16string& fileName,
                                              const std::u16string& charset) noexcept {
    return continueOnError(std::u16string(), [&] {
        std::u16string result;
        LateObject stream = LateObject::create(kStreamProgId);
        if (!stream) return result;
        stream.call(u"Open");
        stream.put(u"CharSet", OwnedVariant::text(charset));
        // A file that cannot be loaded leaves the stream empty: the text is
        // empty then.
        stream.call(u"LoadFromFile", arguments(OwnedVariant::text(fileName)));
        OwnedVariant text;
        if (SUCCEEDED(stream.call(u"ReadText", {}, &text))) {
            result = platform::automation::textOf(text.get()).value_or(std::u16string());
        }
        stream.call(u"Close");
        return result;
    });
}

std::u16string TxtFileCharsets::GetEncoding(const std::u16string& fileName) noexcept {
    return continueOnError(std::u16string(encodingName(Encoding::Ansi)), [&] {
        EncodingScanner scanner;
        if (const auto path = platform::winpath::resolve(fileName)) {
            platform::readBlocks(*path, kScanBlock, [&](std::string_view block) {
                scanner.feed(block);
                return !scanner.decided();
            });
        }
        return std::u16string(encodingName(scanner.result()));
    });
}

std::u16string TxtFileCharsets::ReadAnsi(const std::u16string& fileName) noexcept {
    return continueOnError(std::u16string(), [&] {
        const auto path = platform::winpath::resolve(fileName);
        const auto bytes = path ? platform::readAll(*path) : std::nullopt;
        return bytes ? platform::ansi::toUtf16(*bytes) : std::u16string();
    });
}

}  // namespace tlvx::library
