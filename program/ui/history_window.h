#pragma once
// frmPubHis, the version history window: a project and one of its versions
// picked in the selectors "cbb0" and "cbb1", that version's listing "lsv"
// and summary "lblT", its export ("sbt0") and the deletion of a whole
// project ("sbt2") or one version ("sbt3"). A selection, by the user or by
// the program (setCurrentIndex), loads what depends on it.
//
// The browsing and deletion are the HistoryBrowser's; the window shows its
// state after each step, as the file system now is.

#include <QDialog>

#include <array>

#include "program/history/history_browser.h"
#include "program/history/listing_export.h"
#include "program/ui/listing_table_model.h"

class QComboBox;
class QLabel;

namespace tlvx::ui {

class ListingView;
class MainWindow;

class HistoryWindow : public QDialog {
    Q_OBJECT

public:
    // A modal window over `main`, whose message boxes and export it uses.
    explicit HistoryWindow(MainWindow& main);

    // The shown listing, project, version and summary, for the export.
    history::ExportRequest exportRequest() const;

    // Shows that project and version (the current calculation's), when
    // they are recorded.
    void selectRecord(const std::string& project, const std::string& version);
    // Opens the growth of the selected project over the window.
    void showGrowth();

protected:
    void showEvent(QShowEvent* event) override;
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    void onButton(int index);
    void onProjectSelected(int index);
    void onVersionSelected(int index);

    // Runs a step of the browser and shows all it leaves.
    template <class Step>
    void browse(Step&& step);
    void showSummary();
    void layOutPane();

    MainWindow& main_;
    history::HistoryBrowser browser_;
    ListingTableModel table_;
    bool recordShown_ = false;
    bool placed_ = false;

    std::array<QComboBox*, 2> cbb_{};
    QWidget* pane_ = nullptr;
    ListingView* lsv_ = nullptr;
    QLabel* lblT_ = nullptr;
};

}  // namespace tlvx::ui
