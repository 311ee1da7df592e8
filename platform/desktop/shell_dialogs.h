#pragma once
// The colour and folder dialogs and the file manager's properties window,
// for callers that must not depend on Qt (the work is done in
// libtlvxdesktop.so, see platform/desktop/loader.h). Where no dialog can be
// shown (no QApplication, not its thread, no desktop library) each gives
// its empty result and shows nothing. `ownerHandle` is the window id of a
// widget whose window owns the dialog; 0 or an unknown id: no owner.

#include <cstdint>
#include <optional>
#include <string>

namespace tlvx::platform::desktop {

// The confirmed colour as 0x00BBGGRR; nothing after a cancel or where the
// dialog cannot be shown. The dialog starts at black, with sixteen black
// custom colours that are forgotten afterwards.
std::optional<std::uint32_t> chooseColour(std::int32_t ownerHandle) noexcept;

// The full path of the chosen existing folder, titled `prompt`; the empty
// string after a cancel or where the dialog cannot be shown.
std::u16string chooseFolder(std::int32_t ownerHandle, const std::u16string& prompt) noexcept;

// Asks the desktop's file manager (org.freedesktop.FileManager1 on the
// session bus) to show the properties of the file or folder at `path`,
// without waiting for it. Nothing happens for a name that names nothing.
void showItemProperties(std::int32_t ownerHandle, const std::u16string& path) noexcept;

}  // namespace tlvx::platform::desktop
