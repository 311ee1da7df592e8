// The file dialogs through the desktop library (platform/desktop/loader.h).

#include "platform/desktop/dialogs.h"

#include <string>
#include <vector>

#include "platform/desktop/loader.h"

namespace tlvx::platform::desktop {

OpenFileResult openFileDialog(const OpenFileRequest& request) noexcept {
    OpenFileResult result;
    try {
        const TlvxDesktopApi* api = desktopApi();
        if (!api) return result;
        const TlvxOpenFileRequest abiRequest{
            request.ownerHandle,         abiText(request.title), abiText(request.filterPairs),
            abiText(request.initialDir), request.multiSelect,    request.fileMustExist,
            request.pathMustExist,
        };
        TextCollector collector;
        const TlvxDialogOutcome outcome =
            api->openFileDialog(&abiRequest, &TextCollector::add, &collector);
        result.shown = outcome != TlvxDialogNotShown;
        result.accepted =
            outcome == TlvxDialogAccepted && !collector.failed && !collector.texts.empty();
        if (result.accepted) result.paths = std::move(collector.texts);
    } catch (...) {
        result.accepted = false;
    }
    return result;
}

SaveFileResult saveFileDialog(const SaveFileRequest& request) noexcept {
    SaveFileResult result;
    try {
        const TlvxDesktopApi* api = desktopApi();
        if (!api) return result;
        const TlvxSaveFileRequest abiRequest{
            request.ownerHandle,           abiText(request.title),
            abiText(request.proposedName), abiText(request.filterPairs),
            abiText(request.initialDir),   abiText(request.defaultExtension),
            request.promptOverwrite,       request.pathMustExist,
        };
        TextCollector collector;
        const TlvxDialogOutcome outcome =
            api->saveFileDialog(&abiRequest, &TextCollector::add, &collector);
        result.shown = outcome != TlvxDialogNotShown;
        result.accepted =
            outcome == TlvxDialogAccepted && !collector.failed && collector.texts.size() == 1;
        if (result.accepted) result.path = std::move(collector.texts.front());
    } catch (...) {
        result.accepted = false;
    }
    return result;
}

}  // namespace tlvx::platform::desktop
