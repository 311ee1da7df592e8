#include "program/ui/relabelling.h"

#include <system_error>

#include "platform/desktop/object_bridge.h"
#include "program/analysis/library_client.h"

namespace tlvx::ui {

void relabelFromFiles(QWidget& window, const std::filesystem::path& folder) {
    if (folder.empty()) return;
    std::error_code ec;
    const auto captions = folder / kCaptionsFile;
    const auto tips = folder / kTipsFile;
    const bool hasCaptions = std::filesystem::is_regular_file(captions, ec);
    const bool hasTips = std::filesystem::is_regular_file(tips, ec);
    if (!hasCaptions && !hasTips) return;

    const auto genFuns = analysis::GenFunsClient::create();
    IDispatch* form = nullptr;
    if (!genFuns || FAILED(TlvxQtObjectDispatch(&window, &form))) return;
    if (hasCaptions) genFuns->SetMenuCaption(form, captions.u16string());
    if (hasTips) genFuns->SetTip(form, tips.u16string());
    form->Release();
}

}  // namespace tlvx::ui
