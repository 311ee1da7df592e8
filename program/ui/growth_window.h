#pragma once
// The growth of a project across its recorded versions, opened from the
// version history window: the table of its versions (date, modules, totals
// and their changes), a chart of the totals over the versions, and the
// comparison of any two versions chosen here, module by module. Both tables
// sort by a click on a column header and export to a .csv or .txt file.

#include <QDialog>

#include <functional>
#include <optional>
#include <string>

#include "program/history/listing_export.h"
#include "program/history/listing_text.h"
#include "program/history/message_boxes.h"
#include "program/history/version_comparison.h"
#include "program/history/version_growth.h"
#include "program/ui/cell_table_model.h"

class QCheckBox;
class QComboBox;
class QLabel;
class QTableView;

namespace tlvx::ui {

class GrowthChart;

class GrowthWindow : public QDialog {
    Q_OBJECT

public:
    // The growth of `project`; the comparison starts with `selectedVersion`
    // and the version before it.
    GrowthWindow(history::VersionHistory history, const std::string& project,
                 const std::string& selectedVersion, history::MessageBoxes& messages,
                 QWidget* parent);

    // Asks for the file an export writes; by default a save dialog.
    void setSaveNameChooser(history::SaveNameChooser chooser) { chooseFile_ = std::move(chooser); }

    // Compares two of the versions, as choosing them in the selectors does.
    void compare(const std::string& from, const std::string& to);

    const history::GrowthTable& table() const { return table_; }
    const std::optional<history::VersionComparison>& comparison() const { return comparison_; }

private:
    void buildVersionTable(QWidget* parent);
    void buildComparison(QWidget* parent);
    void showVersions();
    void showComparison();
    void onVersionActivated(const QModelIndex& index);
    void exportVersions();
    void exportComparison();
    bool exportTo(const std::string& proposedName,
                  const std::function<std::vector<std::string>(history::FieldSeparator)>& lines);

    history::VersionHistory history_;
    history::MessageBoxes& messages_;
    history::SaveNameChooser chooseFile_;
    history::GrowthTable table_;
    std::optional<history::VersionComparison> comparison_;

    CellTableModel versionCells_;
    CellTableModel moduleCells_;
    QTableView* versionView_ = nullptr;
    QTableView* moduleView_ = nullptr;
    GrowthChart* chart_ = nullptr;
    QLabel* problems_ = nullptr;
    QComboBox* from_ = nullptr;
    QComboBox* to_ = nullptr;
    QCheckBox* showSame_ = nullptr;
    QLabel* comparisonSummary_ = nullptr;
};

}  // namespace tlvx::ui
