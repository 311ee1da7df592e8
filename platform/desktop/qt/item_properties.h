#pragma once
// The desktop file manager's properties window for a file or folder.

#include <QString>

namespace tlvx::desktop {

// Asks the file manager over the session bus (org.freedesktop.FileManager1,
// ShowItemProperties) to show the properties of the file or folder at
// `path`, without waiting for it. Nothing happens for a name that names
// nothing, without an application, or without a session bus.
void showItemProperties(const QString& path);

}  // namespace tlvx::desktop
