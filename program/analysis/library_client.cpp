#include "program/analysis/library_client.h"

#include "platform/automation/bstr.h"

namespace tlvx::analysis {
namespace {

using Bstr = platform::automation::OwnedBstr;

template <class Interface>
Interface* createObject(const CLSID& clsid, const IID& iid) {
    void* object = nullptr;
    if (FAILED(CoCreateInstance(clsid, nullptr, CLSCTX_INPROC_SERVER, iid, &object)))
        return nullptr;
    return static_cast<Interface*>(object);
}

std::vector<std::u16string> stringsOf(SAFEARRAY* array) {
    std::vector<std::u16string> out;
    if (!array) return out;
    LONG lower = 0, upper = -1;
    if (SUCCEEDED(SafeArrayGetLBound(array, 1, &lower)) &&
        SUCCEEDED(SafeArrayGetUBound(array, 1, &upper))) {
        for (LONG i = lower; i <= upper; ++i) {
            Bstr element;
            if (SUCCEEDED(SafeArrayGetElement(array, &i, element.out())))
                out.push_back(element.text());
        }
    }
    SafeArrayDestroy(array);
    return out;
}

}  // namespace

std::optional<TxtFileClient> TxtFileClient::create() {
    auto* object = createObject<_TxtFile>(CLSID_TxtFile, IID__TxtFile);
    if (!object) return std::nullopt;
    return TxtFileClient(object);
}

int32_t TxtFileClient::GetLineQty(const std::u16string& fileName) const {
    LONG count = 0;
    if (FAILED(object_->GetLineQty(Bstr(fileName).get(), &count))) return 0;
    return count;
}

int32_t TxtFileClient::GetLineNoByFind(const std::u16string& fileName,
                                       const std::u16string& findString, bool matchCase) const {
    LONG line = 0;
    if (FAILED(object_->GetLineNoByFind(Bstr(fileName).get(), Bstr(findString).get(),
                                        matchCase ? VARIANT_TRUE : VARIANT_FALSE, &line)))
        return 0;
    return line;
}

std::u16string TxtFileClient::ReadLastLine(const std::u16string& fileName) const {
    Bstr result;
    if (FAILED(object_->ReadLastLine(Bstr(fileName).get(), result.out()))) return {};
    return result.text();
}

void TxtFileClient::AppendLine(const std::u16string& fileName,
                               const std::u16string& content) const {
    Bstr text(content);
    object_->AppendLine(Bstr(fileName).get(), text.inOut());
}

std::optional<GenFunsClient> GenFunsClient::create() {
    auto* object = createObject<_GenFuns>(CLSID_GenFuns, IID__GenFuns);
    if (!object) return std::nullopt;
    return GenFunsClient(object);
}

void GenFunsClient::SetMenuCaption(IDispatch* target, const std::u16string& menusFile) const {
    object_->SetMenuCaption(&target, Bstr(menusFile).get());
}

void GenFunsClient::SetTip(IDispatch* target, const std::u16string& tipsFile) const {
    object_->SetTip(&target, Bstr(tipsFile).get());
}

std::optional<ApiFunsClient> ApiFunsClient::create() {
    auto* object = createObject<_APIFuns>(CLSID_APIFuns, IID__APIFuns);
    if (!object) return std::nullopt;
    return ApiFunsClient(object);
}

std::u16string ApiFunsClient::ReadIni(const std::u16string& fileName, const std::u16string& segment,
                                      const std::u16string& keyName) const {
    Bstr result;
    if (FAILED(object_->ReadIni(Bstr(fileName).get(), Bstr(segment).get(), Bstr(keyName).get(),
                                result.out())))
        return {};
    return result.text();
}

std::vector<std::u16string> ApiFunsClient::GetFilesOpenName(int32_t winHandle,
                                                            const std::u16string& title,
                                                            const std::u16string& filter,
                                                            const std::u16string& defDir,
                                                            bool multiSel) const {
    Bstr dir(defDir);
    VARIANT_BOOL multi = multiSel ? VARIANT_TRUE : VARIANT_FALSE;
    SAFEARRAY* chosen = nullptr;
    object_->GetFilesOpenName(winHandle, Bstr(title).get(), Bstr(filter).get(), dir.inOut(), &multi,
                              &chosen);
    return stringsOf(chosen);
}

std::u16string ApiFunsClient::GetFileSaveName(int32_t winHandle, const std::u16string& title,
                                              const std::u16string& fileName,
                                              const std::u16string& filter,
                                              const std::u16string& defDir,
                                              const std::u16string& defExt) const {
    Bstr result;
    if (FAILED(object_->GetFileSaveName(winHandle, Bstr(title).get(), Bstr(fileName).get(),
                                        Bstr(filter).get(), Bstr(defDir).get(), Bstr(defExt).get(),
                                        result.out())))
        return {};
    return result.text();
}

void ApiFunsClient::ExecCmd(const std::u16string& command, int32_t winState) const {
    object_->ExecCmd(Bstr(command).get(), static_cast<VbAppWinStyle>(winState));
}

std::optional<LibraryObjects> LibraryObjects::create() {
    auto pafs = ApiFunsClient::create();
    auto ptxf = TxtFileClient::create();
    if (!pafs || !ptxf) return std::nullopt;
    return LibraryObjects{std::move(*ptxf), std::move(*pafs)};
}

}  // namespace tlvx::analysis
