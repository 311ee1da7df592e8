#include "library/txt_file/txt_file_object.h"

#include <string>

#include "library/frame/class_face.h"

namespace tlvx::library {

using namespace frame::face;

namespace {

using I = _TxtFile;

constexpr Method kMethods[] = {
    method<&I::AppendLine>(u"AppendLine", 0, VT_EMPTY,
                           {byVal(u"FileName", VT_BSTR), byRef(u"Content", VT_BSTR)}),
    method<&I::ReadLastLine>(u"ReadLastLine", 1, VT_BSTR, {byVal(u"FileName", VT_BSTR)}),
    method<&I::GetLineQty>(u"GetLineQty", 2, VT_I4, {byVal(u"FileName", VT_BSTR)}),
    method<&I::DeleteLine>(u"DeleteLine", 3, VT_EMPTY,
                           {byVal(u"FileName", VT_BSTR), byVal(u"Content", VT_BSTR),
                            optVal(u"Separator", VT_BSTR), optVal(u"FieldNo", VT_I2)}),
    method<&I::ModifyLine>(
        u"ModifyLine", 4, VT_EMPTY,
        {byVal(u"FileName", VT_BSTR), byVal(u"OldString", VT_BSTR), byVal(u"NewString", VT_BSTR),
         optVal(u"Separator", VT_BSTR), optVal(u"FieldNo", VT_I2)}),
    method<&I::FindLine>(u"FindLine", 5, VT_BOOL,
                         {byVal(u"FileName", VT_BSTR), byVal(u"Line", VT_BSTR)}),
    method<&I::GetLineNoByFind>(u"GetLineNoByFind", 6, VT_I4,
                                {byVal(u"FileName", VT_BSTR), byVal(u"FindString", VT_BSTR),
                                 optVal(u"MatchCase", VT_BOOL, VARIANT_TRUE)}),
    method<&I::GetLineStrByFind>(u"GetLineStrByFind", 7, VT_BSTR,
                                 {byVal(u"FileName", VT_BSTR), byVal(u"FindString", VT_BSTR),
                                  optVal(u"MatchCase", VT_BOOL, VARIANT_TRUE)}),
    method<&I::WriteByCharset>(u"WriteByCharset", 8, VT_EMPTY,
                               {byVal(u"FileName", VT_BSTR), byVal(u"Content", VT_BSTR),
                                optVal(u"CharSet", VT_BSTR, u"utf-8")}),
    method<&I::ReadByCharset>(u"ReadByCharset", 9, VT_BSTR,
                              {byVal(u"FileName", VT_BSTR), optVal(u"CharSet", VT_BSTR, u"utf-8")}),
    method<&I::AutoRead>(u"AutoRead", 10, VT_BSTR, {byVal(u"FileName", VT_BSTR)}),
    method<&I::GetEncoding>(u"GetEncoding", 11, VT_BSTR, {byVal(u"FileName", VT_BSTR)}),
};
static_assert(wellFormed(kMethods));

}  // namespace

constinit const DispatchTable TxtFileObject::dispatchTable = kMethods;

HRESULT TxtFileObject::AppendLine(BSTR FileName, BSTR* Content) noexcept {
    return perform(given(Content), [&] {
        std::u16string content = text(*Content);
        lines_.AppendLine(text(FileName), content);
        // Content is passed by reference; it changes only if the line
        // operation changed it.
        return content == bstrView(*Content) ? S_OK : replaceText(Content, content);
    });
}

HRESULT TxtFileObject::ReadLastLine(BSTR FileName, BSTR* result) noexcept {
    return answer(result, [&] { return lines_.ReadLastLine(text(FileName)); });
}

HRESULT TxtFileObject::GetLineQty(BSTR FileName, LONG* result) noexcept {
    return answer(result, [&] { return lines_.GetLineQty(text(FileName)); });
}

HRESULT TxtFileObject::DeleteLine(BSTR FileName, BSTR Content, BSTR Separator,
                                  SHORT FieldNo) noexcept {
    return perform(
        [&] { lines_.DeleteLine(text(FileName), text(Content), text(Separator), FieldNo); });
}

HRESULT TxtFileObject::ModifyLine(BSTR FileName, BSTR OldString, BSTR NewString, BSTR Separator,
                                  SHORT FieldNo) noexcept {
    return perform([&] {
        lines_.ModifyLine(text(FileName), text(OldString), text(NewString), text(Separator),
                          FieldNo);
    });
}

HRESULT TxtFileObject::FindLine(BSTR FileName, BSTR Line, VARIANT_BOOL* result) noexcept {
    return answer(result, [&] { return lines_.FindLine(text(FileName), text(Line)); });
}

HRESULT TxtFileObject::GetLineNoByFind(BSTR FileName, BSTR FindString, VARIANT_BOOL MatchCase,
                                       LONG* result) noexcept {
    return answer(result, [&] {
        return lines_.GetLineNoByFind(text(FileName), text(FindString), MatchCase != 0);
    });
}

HRESULT TxtFileObject::GetLineStrByFind(BSTR FileName, BSTR FindString, VARIANT_BOOL MatchCase,
                                        BSTR* result) noexcept {
    return answer(result, [&] {
        return lines_.GetLineStrByFind(text(FileName), text(FindString), MatchCase != 0);
    });
}

HRESULT TxtFileObject::WriteByCharset(BSTR FileName, BSTR Content, BSTR CharSet) noexcept {
    return perform([&] { charsets_.WriteByCharset(text(FileName), text(Content), text(CharSet)); });
}

HRESULT TxtFileObject::ReadByCharset(BSTR FileName, BSTR CharSet, BSTR* result) noexcept {
    return answer(result, [&] { return charsets_.ReadByCharset(text(FileName), text(CharSet)); });
}

HRESULT TxtFileObject::AutoRead(BSTR FileName, BSTR* result) noexcept {
    return fillResult(result, [&] {
        // Through the object's own interface, so that the encoding and the
        // reading behave exactly as for a client that calls them.
        _TxtFile* self = this;
        BSTR encoding = nullptr;
        self->GetEncoding(FileName, &encoding);
        const std::u16string found = text(encoding);
        SysFreeString(encoding);
        const auto readIn = [&](std::u16string_view charset) {
            BSTR name = allocBstr(charset);
            if (!name) return E_OUTOFMEMORY;
            const HRESULT hr = self->ReadByCharset(FileName, name, result);
            SysFreeString(name);
            return hr;
        };
        HRESULT hr = S_OK;
        if (found == u"UTF-8") {
            hr = readIn(u"utf-8");
        } else if (found == u"Unicode" || found == u"UnicodeBigEndian") {
            hr = readIn(u"Auto");
        } else if (found == u"ANSI") {
            hr = putText(result, charsets_.ReadAnsi(text(FileName)));
        }
        if (hr == E_OUTOFMEMORY) return hr;
        return *result ? S_OK : putText(result, u"");
    });
}

HRESULT TxtFileObject::GetEncoding(BSTR FileName, BSTR* result) noexcept {
    return answer(result, [&] { return charsets_.GetEncoding(text(FileName)); });
}

}  // namespace tlvx::library
