#pragma once
// The interface between the platform library's loader (loader.cpp)
// and the desktop library libtlvxdesktop.so, which it opens with dlopen on
// first need. Only plain data and function pointers cross, and the one
// symbol the loader looks up has C linkage, so neither side depends on the
// other's C++ types, and no exception or allocation crosses either way:
// texts go in as pointer and length, results come back through a callback
// that copies them.
//
// Both sides are built together; a table of another version means a stale
// library beside the platform library, and the loader then treats the
// desktop as absent.

#include <cstddef>
#include <cstdint>

constexpr std::uint32_t kTlvxDesktopAbiVersion = 1;
constexpr const char* kTlvxDesktopEntry = "tlvxDesktopEntry";

extern "C" {

// UTF-16 text, not NUL-terminated; NUL characters inside are part of it.
struct TlvxText {
    const char16_t* data;
    std::size_t length;
};

enum TlvxDialogOutcome : std::int32_t {
    TlvxDialogNotShown = 0,  // no application object, not its GUI thread, ...
    TlvxDialogCancelled = 1,
    TlvxDialogAccepted = 2,
};

// Receives the chosen paths one by one, in result order (and the texts
// the other services hand back).
using TlvxPathSink = void (*)(void* context, const char16_t* data, std::size_t length);

struct TlvxOpenFileRequest {
    std::int32_t ownerHandle;
    TlvxText title;
    TlvxText filterPairs;
    TlvxText initialDir;
    std::int32_t multiSelect;
    std::int32_t fileMustExist;
    std::int32_t pathMustExist;
};

struct TlvxSaveFileRequest {
    std::int32_t ownerHandle;
    TlvxText title;
    TlvxText proposedName;
    TlvxText filterPairs;
    TlvxText initialDir;
    TlvxText defaultExtension;
    std::int32_t promptOverwrite;
    std::int32_t pathMustExist;
};

// A message for a window: its handle (a window id), number and first
// parameter; the second parameter as a number, a text, both or neither (a
// text that reads as no number, or a value that is neither).
struct TlvxMessage {
    std::int32_t handle;
    std::int32_t message;
    std::int32_t paramA;
    std::int32_t hasNumber;
    std::int32_t number;
    std::int32_t hasText;
    TlvxText text;
};

struct TlvxDesktopApi {
    std::uint32_t version;  // kTlvxDesktopAbiVersion
    std::uint32_t size;     // sizeof(TlvxDesktopApi) of the library's build
    TlvxDialogOutcome (*openFileDialog)(const TlvxOpenFileRequest* request, TlvxPathSink sink,
                                        void* context);
    TlvxDialogOutcome (*saveFileDialog)(const TlvxSaveFileRequest* request, TlvxPathSink sink,
                                        void* context);

    // Windows and what is shown in them (platform/desktop/qt/window_entry.cpp).
    // A window handle is a widget's window id; menus and drops have handles
    // of their own. Texts come back through the sink, at most once per call.
    void (*deliverMessage)(const TlvxMessage* message, std::int32_t posted);
    std::int32_t (*findTopLevelWindow)(TlvxText title);
    std::int32_t (*menuBarOf)(std::int32_t windowHandle);
    std::int32_t (*subMenuOf)(std::int32_t menuHandle, std::int32_t position);
    void (*checkRadioMenuItem)(std::int32_t menuHandle, std::int32_t position);
    void (*acceptDroppedFiles)(std::int32_t windowHandle, std::int32_t accept);
    void (*takeFirstDroppedFile)(std::int32_t dropHandle, TlvxPathSink sink, void* context);
    std::int32_t (*colourHeader)(std::int32_t viewHandle, std::uint32_t background,
                                 std::uint32_t text);
    void (*restoreHeader)(std::int32_t viewHandle);
    void (*showFileIcon)(TlvxText path, std::int32_t smallTarget, std::int32_t largeTarget);
    TlvxDialogOutcome (*chooseColour)(std::int32_t ownerHandle, std::uint32_t* colour);
    TlvxDialogOutcome (*chooseFolder)(std::int32_t ownerHandle, TlvxText prompt, TlvxPathSink sink,
                                      void* context);
    void (*showItemProperties)(std::int32_t ownerHandle, TlvxText path);
    std::int32_t (*setClipboardText)(TlvxText text);
    void (*clipboardText)(TlvxPathSink sink, void* context);

    // Qt objects as automation objects, and the event loop
    // (platform/desktop/qt/object_entry.cpp).
    // The IDispatch (as void*) of the QObject* `object`, with one reference
    // for the caller; null for a null object, or where there is no
    // QApplication or this is not its thread.
    void* (*objectDispatch)(void* object);
    // Handles the pending events of the application's thread, when called
    // from it; nothing elsewhere.
    void (*processPendingEvents)();
};

// The symbol named by kTlvxDesktopEntry.
using TlvxDesktopEntry = const TlvxDesktopApi* (*)();

}  // extern "C"
