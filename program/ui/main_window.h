#pragma once
// frmPubMain, the program's start window: it chooses a project or group,
// steps through its positions, shows the properties, the listing and the
// summary, and leads to the version history, the export, the help menu and
// the about window. Each control carries its name as object name ("sbt0",
// "txt3", "lsv", "lblT", "txtCount", "fra", "menh", "menhh", ...).
//
// The window only turns events into calls of the core and shows what they
// give; it holds the library objects the other windows use.

#include <QPointer>
#include <QWidget>

#include <array>
#include <cstdint>
#include <filesystem>
#include <memory>
#include <optional>
#include <string>
#include <string_view>

#include "program/analysis/library_client.h"
#include "program/analysis/listing_model.h"
#include "program/analysis/project_selection.h"
#include "program/history/listing_export.h"
#include "program/history/message_boxes.h"
#include "program/history/version_history.h"
#include "program/ui/listing_table_model.h"

class QDropEvent;
class QGroupBox;
class QKeyEvent;
class QLabel;
class QLineEdit;
class QMenu;

namespace tlvx::ui {

class HistoryWindow;
class ListingView;
class PictureButton;
class PropertyBox;

struct MainWindowSetup {
    // The folder that holds (or gets) "verhis", and "tempprjfiles" unless
    // workingCopies names another folder.
    std::filesystem::path workFolders;
    // The message boxes of the history and export paths; null: Qt's own.
    // When given, it must outlive the window.
    history::MessageBoxes* messages = nullptr;
    // The working folders lie in the per-user data folder because the
    // program's folder cannot be written: the window says so once, as soon
    // as it runs, and the about window shows where the history lies.
    bool workFoldersMoved = false;
    // The folder whose "menus.dll" and "tips.dll" relabel the window when
    // they exist (relabelling.h); empty: none.
    std::filesystem::path textsFolder = {};
    // Where the working copies of project files lie; empty: "tempprjfiles"
    // in workFolders.
    std::filesystem::path workingCopies = {};
};

class MainWindow : public QWidget {
    Q_OBJECT

public:
    explicit MainWindow(const MainWindowSetup& setup);
    ~MainWindow() override;

    // Analyses a project or group file as if it had been chosen with
    // Ctrl+O: the file named when the program starts and a file dropped on
    // the window come here. A file that is no project is told, and the
    // window stays as it was.
    void openProject(const std::string& path);

    // Exports a listing: "M" this window's, "H" the open version history
    // window's. Any other argument, or "H" with no history window open,
    // does nothing.
    void upsOutput(std::string_view astrWindow);

    // What the other windows use of this one.
    history::MessageBoxes& messages() { return *messages_; }
    const std::filesystem::path& historyRoot() const { return history_.root(); }
    // Hands a web or mail address to the desktop (the API object's shell
    // execution, maximised); nothing without the library.
    void openAddress(const std::string& address);
    bool hasLibrary() const { return library_.has_value(); }
    // The version history window tells when it opens; "H" exports its
    // listing for as long as it lives.
    void historyWindowOpened(HistoryWindow& window);

    // Where the help menu pops up: the help button's bottom-right corner,
    // on the screen.
    QPoint helpMenuPoint() const;

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;
    void showEvent(QShowEvent* event) override;

private:
    void buildCommandButtons();
    void buildProperties();
    void buildListing();
    void buildHelpMenu();
    void setTabOrder();

    void onButton(int index);
    bool onKey(const QKeyEvent& event);
    bool onDrag(QDropEvent& event);

    void chooseProject();
    void analyseChoice(const std::string& path);
    void showHistory();
    void showAbout();
    void popUpHelpMenu();
    void analyse(const analysis::ProjectList& list, std::size_t index);
    void showSummary(const QString& text);
    void showCounter(const QString& text);
    void layOutPane();
    void watchHandOver(std::uint64_t attempt, const std::string& address);
    history::ExportRequest exportRequest() const;
    std::int32_t nativeHandle();

    // The library objects: created first at load, released at unload.
    std::optional<analysis::LibraryObjects> library_;
    std::unique_ptr<history::MessageBoxes> ownMessages_;
    history::MessageBoxes* messages_ = nullptr;
    std::filesystem::path workingCopies_;
    bool workFoldersMoved_ = false;
    history::VersionHistory history_;
    analysis::ProjectSelection selection_;
    analysis::ListingModel listing_;
    ListingTableModel table_{listing_};
    // The version history window while it is open.
    QPointer<HistoryWindow> openHistory_;
    // The project name and version of the latest calculation, which the
    // version history window opens on.
    std::optional<std::pair<std::string, std::string>> calculated_;

    std::array<PropertyBox*, 8> txt_{};
    QLineEdit* txtCount_ = nullptr;
    QGroupBox* fra_ = nullptr;
    QWidget* pane_ = nullptr;
    QLabel* desc_ = nullptr;
    ListingView* lsv_ = nullptr;
    PictureButton* next_ = nullptr;
    bool placed_ = false;
    QLabel* lblT_ = nullptr;
    QMenu* menh_ = nullptr;
    PictureButton* help_ = nullptr;
};

}  // namespace tlvx::ui
