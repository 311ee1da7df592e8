#pragma once
// A window relabelled from text files beside the program: "menus.dll" gives
// its menu captions, "tips.dll" its tool tips (INI text, section the
// window's object name, keys the controls' names, "sbt(0)" for a member of
// a control array). The library's GenFuns does the work, on the window as
// an automation object. A menu entry the captions file does not name keeps
// its caption; a control the tips file does not name loses its tip.
//
// Without either file nothing is loaded or changed.

#include <QWidget>

#include <filesystem>

namespace tlvx::ui {

inline constexpr const char* kCaptionsFile = "menus.dll";
inline constexpr const char* kTipsFile = "tips.dll";

void relabelFromFiles(QWidget& window, const std::filesystem::path& folder);

}  // namespace tlvx::ui
