#include "library/base64/base64_object.h"

#include "library/frame/class_face.h"
#include "platform/automation/raised_error.h"

namespace tlvx::library {

using namespace frame::face;

namespace {

using I = _Base64;

constexpr Method kMethods[] = {
    method<&I::Encode>(u"Encode", 0, VT_BSTR,
                       {byVal(u"Source", VT_BSTR), optVal(u"CharSet", VT_BSTR, u"utf-8")}),
    method<&I::EncodeFile>(u"EncodeFile", 3, VT_BSTR, {byVal(u"astrFile", VT_BSTR)}),
    method<&I::Decode>(u"Decode", 5, VT_BSTR,
                       {byRef(u"sInput", VT_BSTR), optVal(u"CharSet", VT_BSTR, u"utf-8")}),
    method<&I::DecodeToFile>(u"DecodeToFile", 6, VT_EMPTY,
                             {byRef(u"sInput", VT_BSTR), byRef(u"sFileName", VT_BSTR)}),
};
static_assert(wellFormed(kMethods));

}  // namespace

constinit const DispatchTable Base64Object::dispatchTable = kMethods;

HRESULT Base64Object::Encode(BSTR Source, BSTR CharSet, BSTR* result) noexcept {
    return answer(result, [&] { return base64_.Encode(text(Source), text(CharSet)); });
}

HRESULT Base64Object::EncodeFile(BSTR astrFile, BSTR* result) noexcept {
    return answer(result, [&] { return base64_.EncodeFile(text(astrFile)); });
}

HRESULT Base64Object::Decode(BSTR* sInput, BSTR CharSet, BSTR* result) noexcept {
    return answer(result, given(sInput),
                  [&] { return base64_.Decode(text(*sInput), text(CharSet)); });
}

HRESULT Base64Object::DecodeToFile(BSTR* sInput, BSTR* sFileName) noexcept {
    return perform(given(sInput, sFileName), [&] {
        const auto error = base64_.DecodeToFile(text(*sInput), text(*sFileName));
        return error ? raiseError(error->number, error->source, error->description) : S_OK;
    });
}

}  // namespace tlvx::library
