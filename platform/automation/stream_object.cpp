#include "platform/automation/stream_object.h"

#include <cstring>
#include <limits>
#include <new>
#include <optional>
#include <string>

#include "platform/automation/bstr.h"
#include "platform/automation/coercion.h"
#include "platform/automation/com_object.h"
#include "platform/automation/late_call.h"
#include "platform/automation/raised_error.h"
#include "platform/files/charset_stream.h"

namespace tlvx::platform::automation {
namespace {

using Status = CharsetStream::Status;

enum Member : DISPID {
    kOpen = 1,
    kClose,
    kCharSet,
    kType,
    kMode,
    kPosition,
    kSize,
    kEos,
    kWriteText,
    kWrite,
    kRead,
    kReadText,
    kFlush,
    kSaveToFile,
    kLoadFromFile,
};

// Members are found by name (without regard to letter case) in the table;
// they take their arguments by position only, and Invoke calls them itself.
constexpr Method kMembers[] = {
    {u"Open", kOpen},
    {u"Close", kClose},
    {u"CharSet", kCharSet},
    {u"Type", kType},
    {u"Mode", kMode},
    {u"Position", kPosition},
    {u"Size", kSize},
    {u"EOS", kEos},
    {u"WriteText", kWriteText},
    {u"Write", kWrite},
    {u"Read", kRead},
    {u"ReadText", kReadText},
    {u"Flush", kFlush},
    {u"SaveToFile", kSaveToFile},
    {u"LoadFromFile", kLoadFromFile},
};
static_assert(wellFormed(kMembers));

// The component's error numbers and texts.
struct Failure {
    HRESULT code;
    const char16_t* description;
};

constexpr Failure kInvalidArgument = {
    static_cast<HRESULT>(0x800A0BB9u),
    u"Arguments are of the wrong type, are out of acceptable range, or are in conflict with "
    u"one another."};
constexpr Failure kNotInContext = {static_cast<HRESULT>(0x800A0C93u),
                                   u"Operation is not allowed in this context."};
constexpr Failure kObjectClosed = {static_cast<HRESULT>(0x800A0E78u),
                                   u"Operation is not allowed when the object is closed."};
constexpr Failure kObjectOpen = {static_cast<HRESULT>(0x800A0E79u),
                                 u"Operation is not allowed when the object is open."};
constexpr Failure kFileNotOpened = {static_cast<HRESULT>(0x800A0BBAu),
                                    u"File could not be opened."};
constexpr Failure kFileNotWritten = {static_cast<HRESULT>(0x800A0BBCu), u"Write to file failed."};

Failure failureOf(Status status) {
    switch (status) {
        case Status::Closed:
            return kObjectClosed;
        case Status::Open:
            return kObjectOpen;
        case Status::WrongType:
        case Status::NotAtStart:
            return kNotInContext;
        case Status::FileNotOpened:
            return kFileNotOpened;
        case Status::FileNotWritten:
        case Status::FileExists:
            return kFileNotWritten;
        case Status::BadArgument:
        case Status::Done:
            break;
    }
    return kInvalidArgument;
}

// The call's arguments by position, with omitted ones absent.
class Arguments {
public:
    explicit Arguments(const DISPPARAMS& params) : params_(params) {}
    UINT count() const { return params_.cArgs; }
    // The argument at `index` (call order); null when not given or marked
    // missing.
    const VARIANT* at(UINT index) const {
        if (index >= params_.cArgs) return nullptr;
        const VARIANT* v = &params_.rgvarg[params_.cArgs - 1 - index];
        const VARIANT* inner = v->vt == (VT_BYREF | VT_VARIANT) && v->pvarVal ? v->pvarVal : v;
        if (inner->vt == VT_ERROR && inner->scode == DISP_E_PARAMNOTFOUND) return nullptr;
        return v;
    }
    std::optional<std::u16string> text(UINT index) const {
        const VARIANT* v = at(index);
        return v ? variantToText(*v) : std::nullopt;
    }
    // nullopt when absent (`fallback` given) or not a number.
    std::optional<int32_t> number(UINT index, std::optional<int32_t> fallback = {}) const {
        const VARIANT* v = at(index);
        return v ? variantToNumber(*v) : fallback;
    }

private:
    const DISPPARAMS& params_;
};

class StreamObject final : public DispatchObject<StreamObject, HeapLife,
                                                 Answers<IDispatch, IID_IUnknown, IID_IDispatch>> {
public:
    static constexpr DispatchTable dispatchTable = kMembers;

    HRESULT invokeMember(DISPID id, REFIID riid, WORD flags, DISPPARAMS* params, VARIANT* result,
                         EXCEPINFO* exception, UINT*) noexcept {
        if (riid != IID_NULL) return DISP_E_UNKNOWNINTERFACE;
        if (!params || (params->cArgs && !params->rgvarg)) return E_INVALIDARG;
        SetErrorInfo(0, nullptr);
        const bool putting = flags & (DISPATCH_PROPERTYPUT | DISPATCH_PROPERTYPUTREF);
        if (putting) {
            if (params->cArgs != 1 || params->cNamedArgs != 1 || !params->rgdispidNamedArgs ||
                params->rgdispidNamedArgs[0] != DISPID_PROPERTYPUT) {
                return DISP_E_BADPARAMCOUNT;
            }
        } else if (params->cNamedArgs != 0) {
            return DISP_E_NONAMEDARGS;
        }
        OwnedVariant value;
        HRESULT hr = S_OK;
        try {
            const Arguments args(*params);
            hr = putting ? put(id, args) : callOrGet(id, flags, args, value);
        } catch (const std::bad_alloc&) {
            hr = E_OUTOFMEMORY;
        } catch (...) {
            hr = E_UNEXPECTED;
        }
        if (hr == DISP_E_EXCEPTION) return raised(exception);
        if (SUCCEEDED(hr) && result) {
            VariantClear(result);
            std::memcpy(result, &value.get(), sizeof *result);
            VariantInit(&value.get());
        }
        return hr;
    }

private:
    // Records why a member failed; Invoke then reports it.
    HRESULT fail(Failure failure) {
        failure_ = failure;
        return DISP_E_EXCEPTION;
    }
    HRESULT outcome(Status status) {
        return status == Status::Done ? S_OK : fail(failureOf(status));
    }

    HRESULT raised(EXCEPINFO* exception) {
        OLECHAR source[] = u"ADODB.Stream";
        raiseError(failure_.code, source, failure_.description);
        if (exception) {
            std::memset(exception, 0, sizeof *exception);
            exception->scode = failure_.code;
            exception->bstrSource = allocBstr(source);
            exception->bstrDescription = allocBstr(failure_.description);
        }
        return DISP_E_EXCEPTION;
    }

    HRESULT put(DISPID id, const Arguments& args) {
        switch (id) {
            case kCharSet: {
                const auto name = args.text(0);
                return name ? outcome(stream_.setCharset(*name)) : fail(kInvalidArgument);
            }
            case kType:
            case kMode:
            case kPosition: {
                const auto n = args.number(0);
                if (!n) return fail(kInvalidArgument);
                if (id == kType) return outcome(stream_.setType(*n));
                if (id == kMode) return outcome(stream_.setMode(*n));
                return outcome(stream_.setPosition(*n));
            }
            default:
                return DISP_E_MEMBERNOTFOUND;
        }
    }

    HRESULT callOrGet(DISPID id, WORD flags, const Arguments& args, OwnedVariant& value) {
        const bool method = flags & DISPATCH_METHOD;
        const bool getting = flags & DISPATCH_PROPERTYGET;
        const UINT given = args.count();
        switch (id) {
            case kCharSet:
            case kType:
            case kMode:
            case kPosition:
            case kSize:
            case kEos:
                if (!getting) return DISP_E_MEMBERNOTFOUND;
                if (given != 0) return DISP_E_BADPARAMCOUNT;
                return property(id, value);
            default:
                break;
        }
        if (!method && !getting) return DISP_E_MEMBERNOTFOUND;
        switch (id) {
            case kOpen:
                // Source, Mode, Options, UserName, Password: only an empty
                // stream of its own can be opened here.
                if (given > 5) return DISP_E_BADPARAMCOUNT;
                if (args.at(0)) return fail(kInvalidArgument);
                return outcome(stream_.open());
            case kClose:
                if (given != 0) return DISP_E_BADPARAMCOUNT;
                return outcome(stream_.close());
            case kFlush:
                if (given != 0) return DISP_E_BADPARAMCOUNT;
                return outcome(stream_.flush());
            case kWriteText: {
                if (given < 1 || given > 2) return DISP_E_BADPARAMCOUNT;
                const auto text = args.text(0);
                const auto option = args.number(1, 0);
                if (!text || !option || (*option != 0 && *option != 1)) {
                    return fail(kInvalidArgument);
                }
                return outcome(stream_.writeText(*text, *option == 1));
            }
            case kWrite: {
                if (given != 1) return DISP_E_BADPARAMCOUNT;
                const VARIANT* buffer = args.at(0);
                const auto bytes = buffer ? bytesOf(*buffer) : std::nullopt;
                if (!bytes) return fail(kInvalidArgument);
                return outcome(stream_.write(*bytes));
            }
            case kRead: {
                if (given > 1) return DISP_E_BADPARAMCOUNT;
                const auto count = args.number(0, CharsetStream::kReadAll);
                if (!count) return fail(kInvalidArgument);
                std::string bytes;
                if (const HRESULT hr = outcome(stream_.read(*count, bytes)); FAILED(hr)) {
                    return hr;
                }
                value = OwnedVariant::bytes(bytes);
                return value.get().vt == VT_EMPTY ? E_OUTOFMEMORY : S_OK;
            }
            case kReadText: {
                if (given > 1) return DISP_E_BADPARAMCOUNT;
                // Only the whole rest of the text is read here.
                const auto count = args.number(0, CharsetStream::kReadAll);
                if (!count || *count != CharsetStream::kReadAll) return fail(kInvalidArgument);
                std::u16string text;
                if (const HRESULT hr = outcome(stream_.readText(text)); FAILED(hr)) return hr;
                value = OwnedVariant::text(text);
                return value.get().vt == VT_EMPTY ? E_OUTOFMEMORY : S_OK;
            }
            case kSaveToFile: {
                if (given < 1 || given > 2) return DISP_E_BADPARAMCOUNT;
                const auto name = args.text(0);
                const auto option = args.number(1, CharsetStream::kCreateNotExist);
                if (!name || !option) return fail(kInvalidArgument);
                return outcome(stream_.saveToFile(*name, *option));
            }
            case kLoadFromFile: {
                if (given != 1) return DISP_E_BADPARAMCOUNT;
                const auto name = args.text(0);
                if (!name) return fail(kInvalidArgument);
                return outcome(stream_.loadFromFile(*name));
            }
            default:
                return DISP_E_MEMBERNOTFOUND;
        }
    }

    HRESULT property(DISPID id, OwnedVariant& value) {
        int64_t number = 0;
        switch (id) {
            case kCharSet:
                value = OwnedVariant::text(stream_.charsetName());
                return value.get().vt == VT_EMPTY ? E_OUTOFMEMORY : S_OK;
            case kType:
                value = OwnedVariant::number(stream_.type());
                return S_OK;
            case kMode:
                value = OwnedVariant::number(stream_.mode());
                return S_OK;
            case kPosition:
            case kSize: {
                const Status status =
                    id == kPosition ? stream_.position(number) : stream_.size(number);
                if (status != Status::Done) return outcome(status);
                if (number <= std::numeric_limits<int32_t>::max()) {
                    value = OwnedVariant::number(static_cast<int32_t>(number));
                } else {
                    value.get().vt = VT_R8;
                    value.get().dblVal = static_cast<double>(number);
                }
                return S_OK;
            }
            case kEos: {
                bool atEnd = false;
                if (const Status status = stream_.atEnd(atEnd); status != Status::Done) {
                    return outcome(status);
                }
                value.get().vt = VT_BOOL;
                value.get().boolVal = atEnd ? VARIANT_TRUE : VARIANT_FALSE;
                return S_OK;
            }
            default:
                return DISP_E_MEMBERNOTFOUND;
        }
    }

    CharsetStream stream_;
    Failure failure_ = kInvalidArgument;
};

}  // namespace

HRESULT createStreamObject(REFIID riid, void** ppv) noexcept {
    return StreamObject::create(riid, ppv);
}

}  // namespace tlvx::platform::automation
