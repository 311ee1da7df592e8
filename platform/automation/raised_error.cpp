#include "platform/automation/raised_error.h"

#include <string>

namespace tlvx::platform::automation {

HRESULT raiseError(HRESULT number, std::u16string_view source,
                   std::u16string_view description) noexcept {
    try {
        std::u16string sourceText(source);
        std::u16string descriptionText(description);
        ICreateErrorInfo* create = nullptr;
        if (FAILED(CreateErrorInfo(&create))) return number;
        create->SetSource(sourceText.data());
        create->SetDescription(descriptionText.data());
        IErrorInfo* info = nullptr;
        if (SUCCEEDED(create->QueryInterface(IID_IErrorInfo, reinterpret_cast<void**>(&info)))) {
            SetErrorInfo(0, info);
            info->Release();
        }
        create->Release();
    } catch (...) {
        // The number still reaches the caller.
    }
    return number;
}

}  // namespace tlvx::platform::automation
