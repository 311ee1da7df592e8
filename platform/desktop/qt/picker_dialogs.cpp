#include "platform/desktop/qt/picker_dialogs.h"

#include <QColorDialog>
#include <QDir>
#include <QFileDialog>
#include <QList>
#include <QPointer>

#include "platform/desktop/qt/window_handles.h"

namespace tlvx::desktop {

namespace {

// Runs a dialog made on the heap: its owner may close while it runs and
// take the dialog with it. `take` reads the choice after a confirmation.
template <class Dialog, class Take>
DialogOutcome runOwnedDialog(Dialog* created, Take take) {
    QPointer<Dialog> dialog(created);
    const int answer = dialog->exec();
    if (!dialog) return DialogOutcome::Cancelled;
    const bool accepted = answer == QDialog::Accepted;
    if (accepted) take(*dialog);
    delete dialog;
    return accepted ? DialogOutcome::Accepted : DialogOutcome::Cancelled;
}

// The process's custom colours, set to black while one dialog runs.
class FreshCustomColours {
public:
    FreshCustomColours() {
        for (int i = 0; i < QColorDialog::customCount(); ++i) {
            kept_.append(QColorDialog::customColor(i));
            QColorDialog::setCustomColor(i, QColor(Qt::black));
        }
    }
    ~FreshCustomColours() {
        for (int i = 0; i < kept_.size(); ++i) QColorDialog::setCustomColor(i, kept_.at(i));
    }
    FreshCustomColours(const FreshCustomColours&) = delete;
    FreshCustomColours& operator=(const FreshCustomColours&) = delete;

private:
    QList<QColor> kept_;
};

}  // namespace

DialogOutcome runColourDialog(qint32 ownerHandle, QColor& chosen) {
    if (!guiAvailable()) return DialogOutcome::NotShown;
    const FreshCustomColours fresh;
    auto* dialog = new QColorDialog(QColor(Qt::black), ownerWindow(ownerHandle));
    dialog->setOption(QColorDialog::DontUseNativeDialog);
    return runOwnedDialog(dialog, [&chosen](QColorDialog& done) { chosen = done.selectedColor(); });
}

DialogOutcome runFolderDialog(qint32 ownerHandle, const QString& prompt, QString& folder) {
    if (!guiAvailable()) return DialogOutcome::NotShown;
    auto* dialog = new QFileDialog(ownerWindow(ownerHandle), prompt, QDir::currentPath());
    dialog->setOption(QFileDialog::DontUseNativeDialog);
    dialog->setOption(QFileDialog::ShowDirsOnly);
    dialog->setFileMode(QFileDialog::Directory);
    dialog->setAcceptMode(QFileDialog::AcceptOpen);
    return runOwnedDialog(dialog, [&folder](QFileDialog& done) {
        const QStringList chosen = done.selectedFiles();
        if (!chosen.isEmpty()) folder = QDir::cleanPath(chosen.first());
    });
}

}  // namespace tlvx::desktop
