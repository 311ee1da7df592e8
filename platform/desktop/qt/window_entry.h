#pragma once
// The window services' entries of the desktop library's table
// (desktop_entry.cpp). Each takes and gives plain values only and lets
// nothing thrown out.

#include "platform/desktop/desktop_abi.h"

namespace tlvx::desktop::entry {

void deliverMessage(const TlvxMessage* message, std::int32_t posted) noexcept;
std::int32_t findTopLevelWindow(TlvxText title) noexcept;
std::int32_t menuBarOf(std::int32_t windowHandle) noexcept;
std::int32_t subMenuOf(std::int32_t menuHandle, std::int32_t position) noexcept;
void checkRadioMenuItem(std::int32_t menuHandle, std::int32_t position) noexcept;
void acceptDroppedFiles(std::int32_t windowHandle, std::int32_t accept) noexcept;
void takeFirstDroppedFile(std::int32_t dropHandle, TlvxPathSink sink, void* context) noexcept;
std::int32_t colourHeader(std::int32_t viewHandle, std::uint32_t background,
                          std::uint32_t text) noexcept;
void restoreHeader(std::int32_t viewHandle) noexcept;
void showFileIcon(TlvxText path, std::int32_t smallTarget, std::int32_t largeTarget) noexcept;
TlvxDialogOutcome chooseColour(std::int32_t ownerHandle, std::uint32_t* colour) noexcept;
TlvxDialogOutcome chooseFolder(std::int32_t ownerHandle, TlvxText prompt, TlvxPathSink sink,
                               void* context) noexcept;
void showItemProperties(std::int32_t ownerHandle, TlvxText path) noexcept;
std::int32_t setClipboardText(TlvxText text) noexcept;
void clipboardText(TlvxPathSink sink, void* context) noexcept;

}  // namespace tlvx::desktop::entry
