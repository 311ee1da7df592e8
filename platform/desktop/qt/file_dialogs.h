#pragma once
// Qt's own file dialogs, set up as a Windows program's open and save
// dialogs behave: the file-type list from NUL-separated pairs, the owner
// from a window id, the default extension, the overwrite question, the
// folder checks, and the current directory moved to the chosen file's
// folder after a confirmed choice.

#include <QString>
#include <QStringList>
#include <QStringView>

class QWidget;

namespace tlvx::desktop {

enum class DialogOutcome { NotShown, Cancelled, Accepted };

struct OpenDialogOptions {
    qint32 ownerHandle = 0;
    QString title;
    QString filterPairs;
    QString initialDir;
    bool multiSelect = false;
    bool fileMustExist = false;
    bool pathMustExist = false;
};

struct SaveDialogOptions {
    qint32 ownerHandle = 0;
    QString title;
    QString proposedName;
    QString filterPairs;
    QString initialDir;
    QString defaultExtension;
    bool promptOverwrite = false;
    bool pathMustExist = false;
};

// Qt name filters ("description (pattern pattern)") from the pairs.
QStringList nameFiltersFromPairs(QStringView pairs);

// `paths`: one path, or the folder followed by the names (several files).
DialogOutcome runOpenDialog(const OpenDialogOptions& options, QStringList& paths);
DialogOutcome runSaveDialog(const SaveDialogOptions& options, QString& path);

}  // namespace tlvx::desktop
