#pragma once
// A Qt main window of the kind a Basic program's form is, for tests of the
// object bridge and the window methods: menus (with a control array of
// items), a control array of buttons, a text box, a toolbar, a status bar
// with two panels and a table, built in the order its controls are listed.

#include <QAction>
#include <QDialog>
#include <QLabel>
#include <QLineEdit>
#include <QMainWindow>
#include <QMenu>
#include <QMenuBar>
#include <QPushButton>
#include <QStatusBar>
#include <QTableWidget>
#include <QToolBar>

namespace tlvx::test {

struct SampleWindow {
    QMainWindow window;
    QMenu* menFile = nullptr;
    QAction* menOpen = nullptr;
    QPushButton* cmd[2] = {};
    QLineEdit* txtName = nullptr;
    QToolBar* tbrMain = nullptr;
    QStatusBar* sbrMain = nullptr;
    QLabel* panels[2] = {};
    QTableWidget* lsvFiles = nullptr;

    SampleWindow() {
        window.setObjectName(QStringLiteral("frmTest"));
        window.setWindowTitle(QStringLiteral("Test Window"));
        menFile = window.menuBar()->addMenu(QStringLiteral("&File"));
        menFile->setObjectName(QStringLiteral("menFile"));
        menOpen = menFile->addAction(QStringLiteral("&Open"));
        menOpen->setObjectName(QStringLiteral("menOpen"));
        for (int i = 0; i < 2; ++i) {
            QAction* recent = menFile->addAction(QStringLiteral("Recent %1").arg(i));
            recent->setObjectName(QStringLiteral("menRecent%1").arg(i));
            recent->setProperty("index", i);
        }
        // An action that is in no menu is no control.
        auto* hidden = new QAction(QStringLiteral("Hidden"), &window);
        hidden->setObjectName(QStringLiteral("actHidden"));
        window.addAction(hidden);

        auto* central = new QWidget(&window);
        central->setObjectName(QStringLiteral("qt_central"));
        window.setCentralWidget(central);
        for (int i = 0; i < 2; ++i) {
            cmd[i] = new QPushButton(QStringLiteral("Button %1").arg(i), central);
            cmd[i]->setObjectName(QStringLiteral("cmd%1").arg(i));
            cmd[i]->setProperty("index", i);
            cmd[i]->setToolTip(QStringLiteral("tip %1").arg(i));
        }
        txtName = new QLineEdit(QStringLiteral("typed"), central);
        txtName->setObjectName(QStringLiteral("txtName"));
        new QLabel(QStringLiteral("unnamed"), central);

        tbrMain = window.addToolBar(QStringLiteral("Main"));
        tbrMain->setObjectName(QStringLiteral("tbrMain"));
        tbrMain->addAction(QStringLiteral("New"))->setToolTip(QStringLiteral("Makes one"));
        tbrMain->addSeparator();
        tbrMain->addAction(menOpen);

        sbrMain = window.statusBar();
        sbrMain->setObjectName(QStringLiteral("sbrMain"));
        for (int i = 0; i < 2; ++i) {
            panels[i] = new QLabel(QStringLiteral("Panel %1").arg(i + 1));
            sbrMain->addWidget(panels[i]);
        }

        lsvFiles = new QTableWidget(2, 3, central);
        lsvFiles->setObjectName(QStringLiteral("lsvFiles"));
        lsvFiles->setHorizontalHeaderLabels(
            {QStringLiteral("Name"), QStringLiteral("Size"), QStringLiteral("Date")});

        // Another window within this one has controls of its own.
        auto* dialog = new QDialog(&window);
        dialog->setObjectName(QStringLiteral("dlgOther"));
        (new QLineEdit(dialog))->setObjectName(QStringLiteral("txtOther"));
    }
};

}  // namespace tlvx::test
