#include "platform/desktop/qt/window_entry.h"

#include <QString>
#include <QWidget>

#include "platform/desktop/qt/abi_values.h"
#include "platform/desktop/qt/clipboard_text.h"
#include "platform/desktop/qt/colour_refs.h"
#include "platform/desktop/qt/file_drops.h"
#include "platform/desktop/qt/file_icons.h"
#include "platform/desktop/qt/header_colours.h"
#include "platform/desktop/qt/item_properties.h"
#include "platform/desktop/qt/menu_handles.h"
#include "platform/desktop/qt/picker_dialogs.h"
#include "platform/desktop/qt/window_handles.h"
#include "platform/desktop/qt/window_messages.h"

namespace tlvx::desktop::entry {

namespace {

constexpr int kSmallIconSize = 16;
constexpr int kLargeIconSize = 32;

// The widget of a handle, where widgets may be touched here and now.
QWidget* usableWidget(std::int32_t handle) {
    return guiAvailable() ? widgetOf(handle) : nullptr;
}

}  // namespace

void deliverMessage(const TlvxMessage* message, std::int32_t posted) noexcept {
    if (!message) return;
    try {
        WindowMessage qtMessage;
        qtMessage.handle = message->handle;
        qtMessage.message = message->message;
        qtMessage.paramA = message->paramA;
        if (message->hasNumber) qtMessage.number = message->number;
        if (message->hasText) qtMessage.text = qText(message->text);
        tlvx::desktop::deliverMessage(qtMessage, posted != 0);
    } catch (...) {
    }
}

std::int32_t findTopLevelWindow(TlvxText title) noexcept {
    try {
        if (!guiAvailable()) return 0;
        return handleOf(topLevelWindowTitled(qText(title)));
    } catch (...) {
        return 0;
    }
}

std::int32_t menuBarOf(std::int32_t windowHandle) noexcept {
    try {
        QWidget* window = usableWidget(windowHandle);
        return window ? menuBarHandleOf(*window) : 0;
    } catch (...) {
        return 0;
    }
}

std::int32_t subMenuOf(std::int32_t menuHandle, std::int32_t position) noexcept {
    try {
        return guiAvailable() ? subMenuHandleOf(menuHandle, position) : 0;
    } catch (...) {
        return 0;
    }
}

void checkRadioMenuItem(std::int32_t menuHandle, std::int32_t position) noexcept {
    try {
        if (guiAvailable()) checkRadioItem(menuHandle, position);
    } catch (...) {
    }
}

void acceptDroppedFiles(std::int32_t windowHandle, std::int32_t accept) noexcept {
    try {
        if (QWidget* widget = usableWidget(windowHandle)) acceptFileDrops(*widget, accept != 0);
    } catch (...) {
    }
}

void takeFirstDroppedFile(std::int32_t dropHandle, TlvxPathSink sink, void* context) noexcept {
    if (!sink) return;
    try {
        const QString file = tlvx::desktop::takeFirstDroppedFile(dropHandle);
        if (!file.isEmpty()) deliverText(file, sink, context);
    } catch (...) {
    }
}

std::int32_t colourHeader(std::int32_t viewHandle, std::uint32_t background,
                          std::uint32_t text) noexcept {
    try {
        QWidget* view = usableWidget(viewHandle);
        return view && colourHeaderSections(*view, colourOfRef(background), colourOfRef(text));
    } catch (...) {
        return 0;
    }
}

void restoreHeader(std::int32_t viewHandle) noexcept {
    try {
        if (QWidget* view = usableWidget(viewHandle)) restoreHeaderColours(*view);
    } catch (...) {
    }
}

void showFileIcon(TlvxText path, std::int32_t smallTarget, std::int32_t largeTarget) noexcept {
    try {
        if (!guiAvailable()) return;
        const QIcon icon = fileIcon(qText(path));
        if (icon.isNull()) return;
        if (QWidget* target = widgetOf(smallTarget))
            showIconAtCorner(*target, icon, kSmallIconSize);
        if (QWidget* target = widgetOf(largeTarget))
            showIconAtCorner(*target, icon, kLargeIconSize);
    } catch (...) {
    }
}

TlvxDialogOutcome chooseColour(std::int32_t ownerHandle, std::uint32_t* colour) noexcept {
    if (!colour) return TlvxDialogNotShown;
    try {
        QColor chosen;
        const DialogOutcome outcome = runColourDialog(ownerHandle, chosen);
        if (outcome == DialogOutcome::Accepted) *colour = refOfColour(chosen);
        return abiOutcome(outcome);
    } catch (...) {
        return TlvxDialogNotShown;
    }
}

TlvxDialogOutcome chooseFolder(std::int32_t ownerHandle, TlvxText prompt, TlvxPathSink sink,
                               void* context) noexcept {
    if (!sink) return TlvxDialogNotShown;
    try {
        QString folder;
        const DialogOutcome outcome = runFolderDialog(ownerHandle, qText(prompt), folder);
        if (outcome == DialogOutcome::Accepted) deliverText(folder, sink, context);
        return abiOutcome(outcome);
    } catch (...) {
        return TlvxDialogNotShown;
    }
}

void showItemProperties(std::int32_t, TlvxText path) noexcept {
    try {
        tlvx::desktop::showItemProperties(qText(path));
    } catch (...) {
    }
}

std::int32_t setClipboardText(TlvxText text) noexcept {
    try {
        return putClipboardText(qText(text));
    } catch (...) {
        return 0;
    }
}

void clipboardText(TlvxPathSink sink, void* context) noexcept {
    if (!sink) return;
    try {
        if (const auto text = tlvx::desktop::clipboardText()) deliverText(*text, sink, context);
    } catch (...) {
    }
}

}  // namespace tlvx::desktop::entry
