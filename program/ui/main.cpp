// TLVX: the desktop program. It takes no command line of its own; Qt's
// (-platform, -style, ...) work as in any Qt program.

#include <QApplication>

#include "program/analysis/work_folders.h"
#include "program/ui/main_window.h"
#include "program/ui/pictures.h"

int main(int argc, char* argv[]) {
    QApplication app(argc, argv);
    QApplication::setApplicationName(QStringLiteral("Tallyvex"));
    QApplication::setWindowIcon(tlvx::ui::programIcon());

    namespace analysis = tlvx::analysis;
    const auto programFolder = analysis::programFolder();
    const auto workFolders = analysis::workFoldersBase(programFolder);
    tlvx::ui::MainWindow window(
        {workFolders, nullptr, workFolders != programFolder, programFolder});
    window.show();
    return app.exec();
}
