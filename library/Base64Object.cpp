#include "library/Base64Object.h"

namespace tlvx::library {

using frame::byRef;
using frame::byVal;
using frame::method;
using frame::notImplemented;
using frame::optVal;

namespace {

using I = _Base64;

constexpr frame::Method kMethods[] = {
    method<&I::Encode>(u"Encode", 0, VT_BSTR,
                       {byVal(u"Source", VT_BSTR), optVal(u"CharSet", VT_BSTR, u"utf-8")}),
    method<&I::EncodeFile>(u"EncodeFile", 3, VT_BSTR, {byVal(u"astrFile", VT_BSTR)}),
    method<&I::Decode>(u"Decode", 5, VT_BSTR,
                       {byRef(u"sInput", VT_BSTR), optVal(u"CharSet", VT_BSTR, u"utf-8")}),
    method<&I::DecodeToFile>(u"DecodeToFile", 6, VT_EMPTY,
                             {byRef(u"sInput", VT_BSTR), byRef(u"sFileName", VT_BSTR)}),
};
static_assert(frame::wellFormed(kMethods));

}  // namespace

constinit const frame::DispatchTable Base64Object::dispatchTable = kMethods;

HRESULT Base64Object::Encode(BSTR, BSTR, BSTR* result) noexcept {
    const auto call = enterCall();
    return notImplemented(result);
}

HRESULT Base64Object::EncodeFile(BSTR, BSTR* result) noexcept {
    const auto call = enterCall();
    return notImplemented(result);
}

HRESULT Base64Object::Decode(BSTR*, BSTR, BSTR* result) noexcept {
    const auto call = enterCall();
    return notImplemented(result);
}

HRESULT Base64Object::DecodeToFile(BSTR*, BSTR*) noexcept {
    const auto call = enterCall();
    return notImplemented();
}

}  // namespace tlvx::library
