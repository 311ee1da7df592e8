#pragma once
// A main window over working folders of its own, with message boxes the
// test answers, and the means to find its controls and read its listing.

#include <gtest/gtest.h>

#include <QAbstractItemModel>
#include <QString>
#include <QStringList>
#include <QTreeView>
#include <QWidget>

#include <filesystem>
#include <memory>
#include <stdexcept>
#include <string>

#include "program/ui/main_window.h"
#include "tests/support/temp_dir.h"
#include "tests/ui/ui_test_support.h"

namespace tlvx::test {

// The control of that name; a test that looks for a missing one fails.
template <class T = QWidget>
T* child(const QObject& parent, const char* name) {
    T* found = parent.findChild<T*>(QString::fromLatin1(name));
    if (!found) throw std::runtime_error(std::string("no control ") + name);
    return found;
}

// The texts of one column of a list view, top to bottom.
inline QStringList columnTexts(const QTreeView& view, int column) {
    QStringList texts;
    const QAbstractItemModel* model = view.model();
    for (int row = 0; row < model->rowCount(); ++row)
        texts.append(model->index(row, column).data().toString());
    return texts;
}

inline int rowCount(const QTreeView& view) {
    return view.model()->rowCount();
}

// A module of `codeLines` lines after its header line.
inline std::string module(const std::string& name, int codeLines) {
    std::string text = "Attribute VB_Name = \"" + name + "\"\r\n";
    for (int i = 0; i < codeLines; ++i) text += "x = " + std::to_string(i) + "\r\n";
    return text;
}

class WindowTest : public testing::Test {
protected:
    WindowTest() {
        forgetOpenedAddresses();
        window = std::make_unique<ui::MainWindow>(ui::MainWindowSetup{work.path(), &messages});
    }
    ~WindowTest() override { window.reset(); }

    // A group of two projects: "One" 1.2.3 with three modules of 9, 10 and
    // 100 code lines, and "Two" 0.0.1 with one.
    std::filesystem::path writeGroup() const {
        projects.write("Shop/One/One.vbp",
                       "Type=Exe\r\nModule=mdlA; mdlA.bas\r\nModule=mdlB; mdlB.bas\r\n"
                       "Module=mdlC; Sub\\mdlC.bas\r\nName=\"One\"\r\nMajorVer=1\r\nMinorVer=2\r\n"
                       "RevisionVer=3\r\nDescription=\"First of two\"\r\n"
                       "VersionCompanyName=\"Corner Shop\"\r\n");
        projects.write("Shop/One/mdlA.bas", module("mdlA", 9));
        projects.write("Shop/One/mdlB.bas", module("mdlB", 10));
        projects.write("Shop/One/Sub/mdlC.bas", module("mdlC", 100));
        projects.write("Shop/Two/Two.vbp",
                       "Type=Exe\r\nModule=mdlD; mdlD.bas\r\nName=\"Two\"\r\nMajorVer=0\r\n"
                       "MinorVer=0\r\nRevisionVer=1\r\n");
        projects.write("Shop/Two/mdlD.bas", module("mdlD", 3));
        return projects.write(
            "Shop/Shop.vbg",
            "VBGROUP 5.0\r\nStartupProject=One\\One.vbp\r\nProject=Two\\Two.vbp\r\n");
    }

    ui::MainWindow& main() { return *window; }

    TempDir work;
    TempDir projects;
    // The analysis moves the current directory; it is put back afterwards.
    CurrentDirGuard currentDir{work.path()};
    ScriptedMessages messages;
    std::unique_ptr<ui::MainWindow> window;
};

}  // namespace tlvx::test
