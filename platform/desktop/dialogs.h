#pragma once
// The desktop's open and save file dialogs, for callers that must not depend
// on Qt. The dialogs live in libtlvxdesktop.so beside this library, which is
// loaded only when a dialog is asked for in a process that already holds Qt
// Widgets; a client that never shows a window (tlvx-count, a script) never
// loads Qt, even when it asks for a dialog.
//
// A dialog "cannot be shown" (shown == false, nothing else set) where there
// is no QApplication (none at all, or a QCoreApplication/QGuiApplication
// without widgets), when called from a thread other than the application's,
// or when the desktop library cannot be loaded. No application object is
// ever created here.
//
// Texts are UTF-16. Paths are native (/-separated) paths; a path whose bytes
// are not UTF-8 comes back with U+FFFD in place of the bad bytes.
//
// The dialogs are Qt's own (not the desktop's native ones), so that they
// behave the same everywhere and tests can drive them.

#include <cstdint>
#include <string>
#include <vector>

namespace tlvx::platform::desktop {

// `filterPairs` is the file-type list as a Windows program writes it:
// description NUL patterns NUL description NUL patterns ..., patterns
// separated by ";", no closing NUL needed. Nothing else separates: "a|b"
// is one description. The first pair is preselected. A description
// without patterns lists every file; "*.*" matches every file, also those
// without a dot.
//
// `ownerHandle` is the window id of a widget (QWidget::winId()); the dialog
// is shown over that widget's window. 0 or an unknown id: no owner.

// What both file dialogs are asked with.
struct FileDialogRequest {
    std::int32_t ownerHandle = 0;
    std::u16string title;
    std::u16string filterPairs;
    std::u16string initialDir;  // empty: the current directory
};

struct OpenFileRequest : FileDialogRequest {
    // Several files may be chosen. Qt's multiple choice takes names of
    // existing files only, whatever fileMustExist says.
    bool multiSelect = false;
    // A single choice takes the name of an existing file only (otherwise
    // the dialog tells the user and stays open); without it, the name of a
    // file that does not exist is returned too.
    bool fileMustExist = false;
    // The folder of every name must exist.
    bool pathMustExist = false;
};

struct OpenFileResult {
    bool shown = false;
    bool accepted = false;
    // One file chosen: its full path. Several (multiSelect): their folder,
    // then the names relative to it, as the dialog lists them.
    std::vector<std::u16string> paths;
};

struct SaveFileRequest : FileDialogRequest {
    std::u16string proposedName;  // a name, or a path whose folder is opened
    // Appended, after a dot, to a name typed without one, whatever filter
    // is selected. A leading dot is ignored; empty: nothing is appended.
    std::u16string defaultExtension;
    // Choosing an existing file asks whether to replace it.
    bool promptOverwrite = false;
    // The chosen name's folder must exist.
    bool pathMustExist = false;
};

struct SaveFileResult {
    bool shown = false;
    bool accepted = false;
    std::u16string path;  // the full path, when accepted
};

// Both block until the user closes the dialog (a nested event loop runs
// meanwhile). After a confirmed choice the process's current directory is
// the folder of the chosen file, as after the Windows dialogs; after a
// cancel it is unchanged.
OpenFileResult openFileDialog(const OpenFileRequest& request) noexcept;
SaveFileResult saveFileDialog(const SaveFileRequest& request) noexcept;

}  // namespace tlvx::platform::desktop
