#include "library/base64/base64.h"

#include <cerrno>
#include <span>

#include "library/frame/continue_on_error.h"
#include "platform/automation/late_call.h"
#include "platform/automation/stream_object.h"
#include "platform/files/dir_listing.h"
#include "platform/files/file_replacement.h"
#include "platform/files/text_stream.h"
#include "platform/files/win_path.h"

namespace tlvx::library {
namespace {

using namespace platform::automation;

constexpr HRESULT kFileExists = static_cast<HRESULT>(0x800403E8u);
constexpr std::u16string_view kDecodeToFile = u"Base64.DecodeToFile";
// Errors of the language runtime, as it raises them for file access.
constexpr std::u16string_view kRuntimeSource = u"Morcel_TLVX";

std::span<const unsigned char> bytesOf(const std::string& bytes) {
    return {reinterpret_cast<const unsigned char*>(bytes.data()), bytes.size()};
}

RaisedError alreadyExists() {
    return {kFileExists, std::u16string(kDecodeToFile), u"File already exists."};
}

// The runtime's error for a file that cannot be created or written.
RaisedError fileError(int error) {
    const auto runtime = [](unsigned number, const char16_t* text) {
        return RaisedError{static_cast<HRESULT>(0x800A0000u | number),
                           std::u16string(kRuntimeSource), text};
    };
    switch (error) {
        case ENOENT:
        case ENOTDIR:
            return runtime(76, u"Path not found");
        case EACCES:
        case EPERM:
        case EROFS:
            return runtime(70, u"Permission denied");
        case ENOSPC:
        case EDQUOT:
            return runtime(61, u"Disk full");
        case ENAMETOOLONG:
        case EINVAL:
            return runtime(52, u"Bad file name or number");
        case EEXIST:
            return alreadyExists();
        default:
            return runtime(75, u"Path/File access error");
    }
}

// Every step of a conversion must work, else the conversion gives nothing.
class Steps {
public:
    explicit Steps(LateObject& stream) : stream_(stream) {}
    Steps& put(const char16_t* name, OwnedVariant value) {
        ok_ = ok_ && SUCCEEDED(stream_.put(name, std::move(value)));
        return *this;
    }
    Steps& call(const char16_t* name, std::vector<OwnedVariant> args = {},
                OwnedVariant* result = nullptr) {
        ok_ = ok_ && SUCCEEDED(stream_.call(name, std::move(args), result));
        return *this;
    }
    Steps& get(const char16_t* name, OwnedVariant& result) {
        ok_ = ok_ && SUCCEEDED(stream_.get(name, result));
        return *this;
    }
    bool ok() const { return ok_; }

private:
    LateObject& stream_;
    bool ok_ = true;
};

}  // namespace

std::optional<std::string> Base64::textToBytes(const std::u16string& text,
                                               const std::u16string& charset) const {
    LateObject stream = LateObject::create(kStreamProgId);
    if (!stream) return std::nullopt;
    Steps steps(stream);
    steps.put(u"CharSet", OwnedVariant::text(charset))
        .put(u"Type", OwnedVariant::number(kStreamTypeText))
        .put(u"Mode", OwnedVariant::number(kStreamModeReadWrite))
        .call(u"Open");
    // The stream puts its charset's byte-order mark ahead of the first text;
    // where the position stands after no text at all is that mark's length
    // (3 for "utf-8", 2 for "unicode", none for a code page), so exactly the
    // mark is taken off again, and no byte of the text.
    OwnedVariant markLength;
    steps.call(u"WriteText", arguments(OwnedVariant::text(u""))).get(u"Position", markLength);
    OwnedVariant mark, bytes;
    steps.call(u"WriteText", arguments(OwnedVariant::text(text)))
        .call(u"Flush")
        .put(u"Position", OwnedVariant::number(0))
        .put(u"Type", OwnedVariant::number(kStreamTypeBinary));
    if (steps.ok() && markLength.get().vt == VT_I4 && markLength.get().lVal > 0) {
        steps.call(u"Read", arguments(OwnedVariant::number(markLength.get().lVal)), &mark);
    }
    steps.call(u"Read", {}, &bytes);
    stream.call(u"Close");
    if (!steps.ok()) return std::nullopt;
    return platform::automation::bytesOf(bytes.get());
}

std::optional<std::u16string> Base64::bytesToText(const std::string& bytes,
                                                  const std::u16string& charset) const {
    LateObject stream = LateObject::create(kStreamProgId);
    if (!stream) return std::nullopt;
    OwnedVariant text;
    Steps steps(stream);
    steps.put(u"Type", OwnedVariant::number(kStreamTypeBinary))
        .put(u"Mode", OwnedVariant::number(kStreamModeReadWrite))
        .call(u"Open")
        .call(u"Write", arguments(OwnedVariant::bytes(bytes)))
        .put(u"Position", OwnedVariant::number(0))
        .put(u"Type", OwnedVariant::number(kStreamTypeText))
        .put(u"CharSet", OwnedVariant::text(charset))
        .call(u"ReadText", {}, &text);
    stream.call(u"Close");
    if (!steps.ok()) return std::nullopt;
    return platform::automation::textOf(text.get());
}

std::u16string Base64::Encode(const std::u16string& source,
                              const std::u16string& charset) const noexcept {
    return continueOnError(std::u16string(), [&] {
        if (source.empty()) return std::u16string();
        const auto bytes = textToBytes(source, charset);
        return bytes ? codec_.encode(bytesOf(*bytes)) : std::u16string();
    });
}

std::u16string Base64::EncodeFile(const std::u16string& fileName) const noexcept {
    return continueOnError(std::u16string(), [&] {
        // The file's bytes through the class's own encoder, in memory: no
        // temporary file that another call could share.
        const auto path = platform::winpath::resolve(fileName);
        const auto bytes = path ? platform::readAll(*path) : std::nullopt;
        return bytes ? codec_.encode(bytesOf(*bytes)) : std::u16string();
    });
}

std::u16string Base64::Decode(const std::u16string& input,
                              const std::u16string& charset) const noexcept {
    return continueOnError(std::u16string(), [&] {
        if (input.empty()) return std::u16string();
        return bytesToText(codec_.decode(input), charset).value_or(std::u16string());
    });
}

std::optional<RaisedError> Base64::DecodeToFile(const std::u16string& input,
                                                const std::u16string& fileName) const noexcept {
    try {
        if (platform::dir::firstMatch(fileName)) return alreadyExists();
        // A name with wildcards that matches nothing names no file to make.
        if (platform::dir::hasWildcards(platform::winpath::fileName(fileName))) {
            return fileError(EINVAL);
        }
        const auto path = platform::winpath::resolveForWrite(fileName);
        if (!path) return fileError(platform::winpath::lexical(fileName) ? ENOENT : EINVAL);
        std::error_code ec;
        if (std::filesystem::is_directory(*path, ec)) return fileError(EISDIR);
        // The new file is filled beside the target and then given its name,
        // only if that name is still free: a crash leaves no partial file
        // under it, and a file that appeared meanwhile stays as it is.
        platform::FileReplacement file(*path);
        file.write(codec_.decode(input));
        if (file.commitAsNewFile()) return std::nullopt;
        return fileError(file.error());
    } catch (...) {
        return RaisedError{E_OUTOFMEMORY, std::u16string(kDecodeToFile), u"Out of memory"};
    }
}

}  // namespace tlvx::library
