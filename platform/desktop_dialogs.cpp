// The file dialogs through the desktop library.

#include "platform/desktop_dialogs.h"

#include <new>
#include <string>
#include <vector>

#include "platform/desktop_loader.h"

namespace tlvx::platform::desktop {

namespace {

TlvxText abiText(const std::u16string& text) {
    return {text.data(), text.size()};
}

// Collects the paths the dialog hands back. Nothing thrown may pass back
// into the desktop library, so running out of memory is remembered instead.
struct PathCollector {
    std::vector<std::u16string> paths;
    bool failed = false;

    static void add(void* context, const char16_t* data, std::size_t length) noexcept {
        auto* self = static_cast<PathCollector*>(context);
        try {
            self->paths.emplace_back(data, length);
        } catch (...) {
            self->failed = true;
        }
    }
};

}  // namespace

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
        PathCollector collector;
        const TlvxDialogOutcome outcome =
            api->openFileDialog(&abiRequest, &PathCollector::add, &collector);
        result.shown = outcome != TlvxDialogNotShown;
        result.accepted =
            outcome == TlvxDialogAccepted && !collector.failed && !collector.paths.empty();
        if (result.accepted) result.paths = std::move(collector.paths);
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
        PathCollector collector;
        const TlvxDialogOutcome outcome =
            api->saveFileDialog(&abiRequest, &PathCollector::add, &collector);
        result.shown = outcome != TlvxDialogNotShown;
        result.accepted =
            outcome == TlvxDialogAccepted && !collector.failed && collector.paths.size() == 1;
        if (result.accepted) result.path = std::move(collector.paths.front());
    } catch (...) {
        result.accepted = false;
    }
    return result;
}

}  // namespace tlvx::platform::desktop
