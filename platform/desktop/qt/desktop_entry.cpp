// The C entry of libtlvxdesktop.so: the loader in the platform library
// finds tlvxDesktopEntry with dlsym and calls the dialogs through the table
// it returns. Texts are turned into QStrings here and results handed back
// through the caller's sink, so nothing allocated here is freed there.
// Nothing thrown inside (Qt throws only when memory runs out) leaves here.

#include <QString>
#include <QStringList>

#include "platform/desktop/desktop_abi.h"
#include "platform/desktop/qt/abi_values.h"
#include "platform/desktop/qt/file_dialogs.h"
#include "platform/desktop/qt/object_entry.h"
#include "platform/desktop/qt/window_entry.h"

namespace {

using tlvx::desktop::abiOutcome;
using tlvx::desktop::DialogOutcome;
using tlvx::desktop::qText;

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
        for (const QString& path : paths) tlvx::desktop::deliverText(path, sink, context);
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
        if (outcome == DialogOutcome::Accepted) tlvx::desktop::deliverText(path, sink, context);
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
    &tlvx::desktop::entry::deliverMessage,
    &tlvx::desktop::entry::findTopLevelWindow,
    &tlvx::desktop::entry::menuBarOf,
    &tlvx::desktop::entry::subMenuOf,
    &tlvx::desktop::entry::checkRadioMenuItem,
    &tlvx::desktop::entry::acceptDroppedFiles,
    &tlvx::desktop::entry::takeFirstDroppedFile,
    &tlvx::desktop::entry::colourHeader,
    &tlvx::desktop::entry::restoreHeader,
    &tlvx::desktop::entry::showFileIcon,
    &tlvx::desktop::entry::chooseColour,
    &tlvx::desktop::entry::chooseFolder,
    &tlvx::desktop::entry::showItemProperties,
    &tlvx::desktop::entry::setClipboardText,
    &tlvx::desktop::entry::clipboardText,
    &tlvx::desktop::objectDispatchEntry,
    &tlvx::desktop::processPendingEventsEntry,
};

}  // namespace

extern "C" __attribute__((visibility("default"))) const TlvxDesktopApi* tlvxDesktopEntry() {
    return &kApi;
}
