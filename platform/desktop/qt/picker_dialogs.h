#pragma once
// Qt's own colour and folder dialogs, set up as a Windows program's colour
// choice and folder browser behave.

#include <QColor>
#include <QString>

#include "platform/desktop/qt/file_dialogs.h"

namespace tlvx::desktop {

// The colour dialog, starting at black, with custom colours that are all
// black and forgotten afterwards (the application's own custom colours are
// put back when it closes).
DialogOutcome runColourDialog(qint32 ownerHandle, QColor& chosen);

// A dialog that chooses an existing folder, titled `prompt`, starting in
// the current directory (which it does not change). `folder`: the chosen
// folder's full path.
DialogOutcome runFolderDialog(qint32 ownerHandle, const QString& prompt, QString& folder);

}  // namespace tlvx::desktop
