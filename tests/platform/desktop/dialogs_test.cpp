// The file dialogs as a user meets them: a QApplication on the offscreen
// platform, the dialogs reached through the platform library's loader (so
// the desktop library is found and opened as in the program), and a timer
// that answers each modal window as it comes up.

#include <gtest/gtest.h>

#include <QApplication>
#include <QComboBox>
#include <QDialogButtonBox>
#include <QFileDialog>
#include <QLineEdit>
#include <QListView>
#include <QMessageBox>
#include <QPushButton>
#include <QTest>
#include <QTimer>

#include <algorithm>
#include <cstdlib>
#include <filesystem>
#include <functional>
#include <memory>
#include <string>
#include <thread>
#include <vector>

#include "platform/desktop/dialogs.h"
#include "tests/support/modal_driver.h"
#include "tests/support/qt_application.h"
#include "tests/support/temp_dir.h"

namespace {

using namespace tlvx::platform::desktop;
using namespace tlvx::test;
namespace fs = std::filesystem;

[[maybe_unused]] testing::Environment* const kQtApplication =
    testing::AddGlobalTestEnvironment(new QtApplicationEnvironment);

// The user presses Open or Save; false when the button is disabled.
bool confirm(QFileDialog* dialog) {
    QPushButton* button = confirmButton(dialog);
    if (!button || !button->isEnabled()) return false;
    QMetaObject::invokeMethod(button, &QAbstractButton::click, Qt::QueuedConnection);
    return true;
}

bool answer(QMessageBox* box, QMessageBox::StandardButton choice) {
    clickLater(box->button(choice));
    return true;
}

// The names the dialog lists in its folder.
QStringList listed(QFileDialog* dialog) {
    const auto* view = dialog->findChild<QListView*>("listView");
    const QModelIndex root = view->rootIndex();
    QStringList names;
    for (int row = 0; row < view->model()->rowCount(root); ++row)
        names.append(view->model()->index(row, 0, root).data().toString());
    names.sort();
    return names;
}

QStringList typeList(QFileDialog* dialog) {
    const auto* combo = dialog->findChild<QComboBox*>("fileTypeCombo");
    QStringList items;
    for (int i = 0; i < combo->count(); ++i) items.append(combo->itemText(i));
    return items;
}

std::u16string text(const fs::path& path) {
    return path.u16string();
}

// A literal with NULs inside, without its terminator.
template <std::size_t N>
std::u16string pairs(const char16_t (&literal)[N]) {
    return std::u16string(literal, N - 1);
}

const std::u16string kProjectFilter =
    pairs(u"VB6 Project (*.vbp)\0*.vbp\0VB6 Project Group (*.vbg)\0*.vbg");
const std::u16string kExportFilter = pairs(
    u"Text Files (Tab Separated) (*.txt)\0*.txt\0Comma Separated Values (*.csv)\0*.csv\0"
    u"All Files (*.*)\0*.*");

class FileDialogs : public testing::Test {
protected:
    FileDialogs() {
        temp.write("projects/App.vbp", "Type=Exe\r\n");
        temp.write("projects/Group.vbg", "VBGROUP 5.0\r\n");
        temp.write("projects/Module 1.bas", "");
        temp.write("projects/Form.frm", "");
        temp.write("projects/README", "");
        fs::create_directories(temp / "out");
    }

    OpenFileRequest openRequest(bool multiSelect) const {
        OpenFileRequest request;
        request.title = u"Choose a project";
        request.filterPairs = kProjectFilter;
        request.initialDir = text(projects);
        request.multiSelect = multiSelect;
        // What a Windows program asks for in either mode.
        request.fileMustExist = request.pathMustExist = !multiSelect;
        return request;
    }

    SaveFileRequest saveRequest() const {
        SaveFileRequest request;
        request.title = u"Export the listing";
        request.proposedName = u"Listing";
        request.filterPairs = kExportFilter;
        request.initialDir = text(out);
        request.defaultExtension = u"txt";
        request.promptOverwrite = request.pathMustExist = true;
        return request;
    }

    TempDir temp;
    const fs::path projects = temp / "projects";
    const fs::path out = temp / "out";
    CurrentDirGuard startIn{temp.path()};
};

TEST_F(FileDialogs, CancelGivesNothingAndLeavesTheCurrentDirectory) {
    ModalDriver driver;
    driver.on<QFileDialog>([](QFileDialog* dialog) { return rejectLater(dialog); })
        .on<QFileDialog>([](QFileDialog* dialog) { return rejectLater(dialog); });
    const OpenFileResult opened = openFileDialog(openRequest(false));
    EXPECT_TRUE(opened.shown);
    EXPECT_FALSE(opened.accepted);
    EXPECT_TRUE(opened.paths.empty());

    const SaveFileResult saved = saveFileDialog(saveRequest());
    EXPECT_TRUE(saved.shown);
    EXPECT_FALSE(saved.accepted);
    EXPECT_TRUE(saved.path.empty());
    EXPECT_EQ(fs::current_path(), temp.path());
}

TEST_F(FileDialogs, SingleChoiceGivesTheFullPathAndMovesTheCurrentDirectory) {
    ModalDriver driver;
    driver.on<QFileDialog>([this](QFileDialog* dialog) {
        EXPECT_EQ(dialog->windowTitle(), "Choose a project");
        EXPECT_EQ(dialog->directory().absolutePath().toStdString(), projects.string());
        return typeAndConfirm(dialog, "App.vbp");
    });
    const OpenFileResult opened = openFileDialog(openRequest(false));
    ASSERT_TRUE(opened.accepted);
    EXPECT_EQ(opened.paths, std::vector<std::u16string>{text(projects / "App.vbp")});
    EXPECT_EQ(fs::current_path(), projects);
}

TEST_F(FileDialogs, SingleChoiceRefusesAFileThatDoesNotExist) {
    ModalDriver driver;
    driver
        .on<QFileDialog>([](QFileDialog* dialog) {
            nameBox(dialog)->setText("Missing.vbp");
            EXPECT_FALSE(confirmButton(dialog)->isEnabled());
            // Return pressed all the same.
            QMetaObject::invokeMethod(dialog, "accept", Qt::QueuedConnection);
            return true;
        })
        .on<QMessageBox>([](QMessageBox* box) {
            EXPECT_TRUE(box->text().contains("Missing.vbp")) << box->text().toStdString();
            return answer(box, QMessageBox::Ok);
        })
        .on<QFileDialog>([](QFileDialog* dialog) { return typeAndConfirm(dialog, "App.vbp"); });
    const OpenFileResult opened = openFileDialog(openRequest(false));
    EXPECT_EQ(opened.paths, std::vector<std::u16string>{text(projects / "App.vbp")});
}

TEST_F(FileDialogs, MultipleChoiceGivesTheFolderThenTheNames) {
    ModalDriver driver;
    driver.on<QFileDialog>([](QFileDialog* dialog) {
        return typeAndConfirm(dialog, "\"Module 1.bas\" \"Form.frm\"");
    });
    OpenFileRequest request = openRequest(true);
    request.filterPairs = pairs(u"All Files (*.*)\0*.*");
    const OpenFileResult several = openFileDialog(request);
    ASSERT_TRUE(several.accepted);
    ASSERT_EQ(several.paths.size(), 3u);
    EXPECT_EQ(several.paths[0], text(projects));
    std::vector<std::u16string> names(several.paths.begin() + 1, several.paths.end());
    std::sort(names.begin(), names.end());
    EXPECT_EQ(names, (std::vector<std::u16string>{u"Form.frm", u"Module 1.bas"}));
    EXPECT_EQ(fs::current_path(), projects);
}

TEST_F(FileDialogs, MultipleChoiceReturnsTypedNamesThatDoNotExist) {
    ModalDriver driver;
    driver.on<QFileDialog>([](QFileDialog* dialog) {
        return typeAndConfirm(dialog, "\"Missing.vbp\" \"App.vbp\" \"Later.vbg\"");
    });
    const OpenFileResult several = openFileDialog(openRequest(true));
    ASSERT_TRUE(several.accepted);
    ASSERT_EQ(several.paths.size(), 4u);
    EXPECT_EQ(several.paths[0], text(projects));
    std::vector<std::u16string> names(several.paths.begin() + 1, several.paths.end());
    std::sort(names.begin(), names.end());
    EXPECT_EQ(names, (std::vector<std::u16string>{u"App.vbp", u"Later.vbg", u"Missing.vbp"}));

    // One name alone, missing as well, comes back as its full path.
    driver.on<QFileDialog>(
        [](QFileDialog* dialog) { return typeAndConfirm(dialog, "Nowhere.vbp"); });
    const OpenFileResult one = openFileDialog(openRequest(true));
    EXPECT_EQ(one.paths, std::vector<std::u16string>{text(projects / "Nowhere.vbp")});
}

TEST_F(FileDialogs, MultipleChoiceLetsSeveralListedFilesBePicked) {
    ModalDriver driver;
    driver.on<QFileDialog>([](QFileDialog* dialog) {
        const auto* view = dialog->findChild<QListView*>("listView");
        EXPECT_EQ(view->selectionMode(), QAbstractItemView::ExtendedSelection);
        return typeAndConfirm(dialog, "App.vbp");
    });
    openFileDialog(openRequest(true));
}

TEST_F(FileDialogs, MultipleChoiceOfOneFileGivesItsFullPath) {
    ModalDriver driver;
    driver.on<QFileDialog>([](QFileDialog* dialog) { return typeAndConfirm(dialog, "App.vbp"); });
    const OpenFileResult one = openFileDialog(openRequest(true));
    EXPECT_EQ(one.paths, std::vector<std::u16string>{text(projects / "App.vbp")});
}

TEST_F(FileDialogs, SaveAppendsTheDefaultExtensionToANameWithoutOne) {
    // The proposal as it stands; the same after choosing another type; a
    // name with an extension of its own keeps it.
    ModalDriver driver;
    driver
        .on<QFileDialog>([this](QFileDialog* dialog) {
            EXPECT_EQ(nameBox(dialog)->text(), "Listing");
            EXPECT_EQ(dialog->directory().absolutePath().toStdString(), out.string());
            return confirm(dialog);
        })
        .on<QFileDialog>([](QFileDialog* dialog) {
            dialog->selectNameFilter(dialog->nameFilters().at(1));
            EXPECT_EQ(nameBox(dialog)->text(), "Listing");
            return confirm(dialog);
        })
        .on<QFileDialog>([](QFileDialog* dialog) { return typeAndConfirm(dialog, "data.csv"); });

    SaveFileResult saved = saveFileDialog(saveRequest());
    ASSERT_TRUE(saved.accepted);
    EXPECT_EQ(saved.path, text(out / "Listing.txt"));
    EXPECT_EQ(fs::current_path(), out);

    fs::current_path(temp.path());
    saved = saveFileDialog(saveRequest());
    EXPECT_EQ(saved.path, text(out / "Listing.csv"));  // the chosen type's

    saved = saveFileDialog(saveRequest());
    EXPECT_EQ(saved.path, text(out / "data.csv"));
}

TEST_F(FileDialogs, SaveKeepsAProposedNameWithDotsWhole) {
    ModalDriver driver;
    driver
        // Return on the proposal: the tab-separated type is chosen.
        .on<QFileDialog>([](QFileDialog* dialog) { return confirm(dialog); })
        // The user picks "Comma Separated Values" in the type box.
        .on<QFileDialog>([](QFileDialog* dialog) {
            auto* types = dialog->findChild<QComboBox*>("fileTypeCombo");
            types->setFocus();
            QTest::keyClick(types, Qt::Key_Down);
            EXPECT_EQ(types->currentIndex(), 1);
            EXPECT_EQ(nameBox(dialog)->text(), "LF_1.2.3_20261208");
            return confirm(dialog);
        })
        // A real extension of the dialog's types swaps with the type, and
        // one typed in other letter case is kept.
        .on<QFileDialog>([](QFileDialog* dialog) {
            nameBox(dialog)->setText("notes.TXT");
            dialog->selectNameFilter(dialog->nameFilters().at(1));
            EXPECT_EQ(nameBox(dialog)->text(), "notes.csv");
            return confirm(dialog);
        })
        .on<QFileDialog>([](QFileDialog* dialog) { return typeAndConfirm(dialog, "report.CSV"); })
        // Any name: the name as typed, with the default extension only when
        // it has no dot at all.
        .on<QFileDialog>([](QFileDialog* dialog) {
            dialog->selectNameFilter(dialog->nameFilters().at(2));
            return typeAndConfirm(dialog, "Billing_2.1.0");
        });

    SaveFileRequest request = saveRequest();
    request.proposedName = u"Billing_2.1.0_20121231";
    EXPECT_EQ(saveFileDialog(request).path, text(out / "Billing_2.1.0_20121231.txt"));
    request.proposedName = u"LF_1.2.3_20261208";
    EXPECT_EQ(saveFileDialog(request).path, text(out / "LF_1.2.3_20261208.csv"));
    EXPECT_EQ(saveFileDialog(request).path, text(out / "notes.csv"));
    EXPECT_EQ(saveFileDialog(request).path, text(out / "report.CSV"));
    EXPECT_EQ(saveFileDialog(request).path, text(out / "Billing_2.1.0"));
}

TEST_F(FileDialogs, SaveAsksBeforeReplacingAnExistingFile) {
    temp.write("out/existing.txt", "keep");
    ModalDriver driver;
    driver
        // The name as typed lacks the extension; with it, the file exists.
        .on<QFileDialog>([](QFileDialog* dialog) { return typeAndConfirm(dialog, "existing"); })
        .on<QMessageBox>([](QMessageBox* box) {
            EXPECT_TRUE(box->text().contains("existing.txt")) << box->text().toStdString();
            return answer(box, QMessageBox::No);
        })
        .on<QFileDialog>([](QFileDialog* dialog) {
            EXPECT_TRUE(dialog->isVisible());
            return typeAndConfirm(dialog, "existing.txt");
        })
        .on<QMessageBox>([](QMessageBox* box) { return answer(box, QMessageBox::Yes); });
    SaveFileResult saved = saveFileDialog(saveRequest());
    ASSERT_TRUE(saved.accepted);
    EXPECT_EQ(saved.path, text(out / "existing.txt"));
    EXPECT_EQ(TempDir::read(out / "existing.txt"), "keep");

    ModalDriver unasked;
    unasked.on<QFileDialog>([](QFileDialog* dialog) { return typeAndConfirm(dialog, "existing"); });
    SaveFileRequest request = saveRequest();
    request.promptOverwrite = false;
    saved = saveFileDialog(request);
    EXPECT_EQ(saved.path, text(out / "existing.txt"));
}

TEST_F(FileDialogs, SaveRefusesANameInAFolderThatDoesNotExist) {
    ModalDriver driver;
    driver
        .on<QFileDialog>(
            [](QFileDialog* dialog) { return typeAndConfirm(dialog, "no such folder/report.txt"); })
        .on<QMessageBox>([](QMessageBox* box) {
            EXPECT_TRUE(box->text().contains("Path does not exist")) << box->text().toStdString();
            return answer(box, QMessageBox::Ok);
        })
        .on<QFileDialog>([](QFileDialog* dialog) { return rejectLater(dialog); });
    const SaveFileResult saved = saveFileDialog(saveRequest());
    EXPECT_TRUE(saved.shown);
    EXPECT_FALSE(saved.accepted);
    EXPECT_FALSE(fs::exists(out / "no such folder"));
    EXPECT_EQ(fs::current_path(), temp.path());
}

TEST_F(FileDialogs, TypeListShowsTheDescriptionsAndFiltersByThePatterns) {
    // Two patterns in one pair, "*.*" matching a name without a dot, and
    // the first pair preselected.
    const std::u16string filter =
        pairs(u"VB6 Project (*.vbp)\0*.vbp\0Sources\0*.bas; *.frm\0All Files (*.*)\0*.*");
    const auto pick = [](QFileDialog* dialog, int index, const QStringList& expected) {
        dialog->selectNameFilter(dialog->nameFilters().at(index));
        return listed(dialog) == expected;
    };
    ModalDriver driver;
    driver
        .on<QFileDialog>([&](QFileDialog* dialog) {
            EXPECT_EQ(typeList(dialog),
                      (QStringList{"VB6 Project (*.vbp)", "Sources", "All Files (*.*)"}));
            EXPECT_EQ(dialog->findChild<QComboBox*>("fileTypeCombo")->currentIndex(), 0);
            return listed(dialog) == QStringList{"App.vbp"};
        })
        .on<QFileDialog>([&](QFileDialog* dialog) {
            return pick(dialog, 1, {"Form.frm", "Module 1.bas"});
        })
        .on<QFileDialog>([&](QFileDialog* dialog) {
            if (!pick(dialog, 2, {"App.vbp", "Form.frm", "Group.vbg", "Module 1.bas", "README"}))
                return false;
            return rejectLater(dialog);
        });
    OpenFileRequest request = openRequest(false);
    request.filterPairs = filter;
    // Steps 2 and 3 share the dialog: each waits for the listing it wants,
    // which only the filter it picks can give.
    const OpenFileResult opened = openFileDialog(request);
    EXPECT_TRUE(opened.shown);
}

TEST_F(FileDialogs, BarSeparatedFilterIsOneLongDescription) {
    ModalDriver driver;
    driver.on<QFileDialog>([](QFileDialog* dialog) {
        EXPECT_EQ(typeList(dialog), QStringList{"VB6 Project (*.vbp)|*.vbp|All Files (*.*)|*.*"});
        return rejectLater(dialog);
    });
    OpenFileRequest request = openRequest(false);
    request.filterPairs = u"VB6 Project (*.vbp)|*.vbp|All Files (*.*)|*.*";
    EXPECT_TRUE(openFileDialog(request).shown);
}

TEST_F(FileDialogs, OwnerIsTheWindowOfTheWidgetWithThatHandle) {
    QWidget owner;
    owner.show();
    QWidget* child = new QWidget(&owner);
    const auto handle = static_cast<std::int32_t>(child->winId());

    ModalDriver driver;
    driver
        .on<QFileDialog>([&owner](QFileDialog* dialog) {
            EXPECT_EQ(dialog->parentWidget(), &owner);
            return rejectLater(dialog);
        })
        .on<QFileDialog>([](QFileDialog* dialog) {
            EXPECT_EQ(dialog->parentWidget(), nullptr);
            return rejectLater(dialog);
        });
    OpenFileRequest request = openRequest(false);
    request.ownerHandle = handle;
    EXPECT_TRUE(openFileDialog(request).shown);

    SaveFileRequest unknown = saveRequest();
    unknown.ownerHandle = 0x7ffffff0;
    EXPECT_TRUE(saveFileDialog(unknown).shown);
}

TEST_F(FileDialogs, OwnerClosedWhileTheDialogRunsCancelsIt) {
    auto* owner = new QWidget;
    owner->show();
    ModalDriver driver;
    driver.on<QFileDialog>([owner](QFileDialog*) {
        delete owner;  // takes the dialog with it
        return true;
    });
    SaveFileRequest request = saveRequest();
    request.ownerHandle = static_cast<std::int32_t>(owner->winId());
    const SaveFileResult saved = saveFileDialog(request);
    EXPECT_TRUE(saved.shown);
    EXPECT_FALSE(saved.accepted);
    EXPECT_EQ(fs::current_path(), temp.path());
}

TEST_F(FileDialogs, CannotBeShownFromAnotherThread) {
    OpenFileResult opened;
    opened.shown = true;
    std::thread([&] { opened = openFileDialog(openRequest(false)); }).join();
    EXPECT_FALSE(opened.shown);
    EXPECT_TRUE(opened.paths.empty());
}

}  // namespace
