// The C entry of libtlvxdesktop.so: the loader in the platform library
// finds tlvxDesktopEntry with dlsym and calls the dialogs through the table
// it returns. Texts are turned into QStrings here and results handed back
// through the caller's sink, so nothing allocated here is freed there.
// Nothing thrown inside (Qt throws only when memory runs out) leaves here.

#include <QString>
#include <QStringList>

#include "platform/desktop/desktop_abi.h"
#include "platform/desktop/file_dialogs.h"
#include "platform/desktop/object_entry.h"

namespace {

using tlvx::desktop::DialogOutcome;

QString qText(const TlvxText& text) {
    if (!text.data || text.length == 0) return {};
    return QString::fromUtf16(text.data, static_cast<qsizetype>(text.length));
}

void deliver(const QString& path, TlvxPathSink sink, void* context) {
    sink(context, reinterpret_cast<const char16_t*>(path.utf16()),
         static_cast<std::size_t>(path.size()));
}

TlvxDialogOutcome abiOutcome(DialogOutcome outcome) {
    switch (outcome) {
        case DialogOutcome::Accepted:
            return TlvxDialogAccepted;
        case DialogOutcome::Cancelled:
            return TlvxDialogCancelled;
        case DialogOutcome::NotShown:
            break;
    }
    return TlvxDialogNotShown;
}

TlvxDialogOutcome openFileDialog(const TlvxOpenFileRequest* request, TlvxPathSink sink,
                                 void* context) noexcept {
    if (!request || !sink) return TlvxDialogNotShown;
    try {
        tlvx::desktop::OpenDialogOptions options;
        options.ownerHandle = request->ownerHandle;
        options.title = qText(request->title);
        options.filterPairs = qText(request->filterPairs);
        options.initialDir = qText(request->initialDir);
        options.multiSelect = request->multiSelect != 0;
        options.fileMustExist = request->fileMustExist != 0;
        options.pathMustExist = request->pathMustExist != 0;
        QStringList paths;
        const DialogOutcome outcome = tlvx::desktop::runOpenDialog(options, paths);
        for (const QString& path : paths) deliver(path, sink, context);
        return abiOutcome(outcome);
    } catch (...) {
        return TlvxDialogNotShown;
    }
}

TlvxDialogOutcome saveFileDialog(const TlvxSaveFileRequest* request, TlvxPathSink sink,
                                 void* context) noexcept {
    if (!request || !sink) return TlvxDialogNotShown;
    try {
        tlvx::desktop::SaveDialogOptions options;
        options.ownerHandle = request->ownerHandle;
        options.title = qText(request->title);
        options.proposedName = qText(request->proposedName);
        options.filterPairs = qText(request->filterPairs);
        options.initialDir = qText(request->initialDir);
        options.defaultExtension = qText(request->defaultExtension);
        options.promptOverwrite = request->promptOverwrite != 0;
        options.pathMustExist = request->pathMustExist != 0;
        QString path;
        const DialogOutcome outcome = tlvx::desktop::runSaveDialog(options, path);
        if (outcome == DialogOutcome::Accepted) deliver(path, sink, context);
        return abiOutcome(outcome);
    } catch (...) {
        return TlvxDialogNotShown;
    }
}

constexpr TlvxDesktopApi kApi{
    kTlvxDesktopAbiVersion,
    sizeof(TlvxDesktopApi),
    &openFileDialog,
    &saveFileDialog,
    &tlvx::desktop::objectDispatchEntry,
    &tlvx::desktop::processPendingEventsEntry,
};

}  // namespace

extern "C" __attribute__((visibility("default"))) const TlvxDesktopApi* tlvxDesktopEntry() {
    return &kApi;
}
