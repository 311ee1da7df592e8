#pragma once
// The list view of a result listing, as both windows show it: report style
// with the twelve columns, their widths and alignment, sorted by a click on
// a column header, the sort indicator showing the listing's column and
// direction. Rows are selected as a desktop list selects them (Shift and
// Ctrl clicks, Ctrl+A) and copied with Ctrl+C or the context menu, header
// line included, as tab-separated text. A long module path loses its middle,
// so that its file name stays in view; a column too narrow for its numbers
// or its header widens. An empty listing may say why it is empty.

#include <QTreeView>

#include <array>

#include "program/ui/listing_table_model.h"

class QAction;

namespace tlvx::ui {

// Column widths in twips.
using ListingWidths = std::array<int, analysis::kListingColumns>;

// What the summary line below a listing says while no listing is shown.
inline QString initialSummaryText() {
    return QStringLiteral("Total Lines: please choose a project/group first.");
}

class ListingView : public QTreeView {
    Q_OBJECT

public:
    // A view named "lsv" over `model`.
    ListingView(ListingTableModel& model, const ListingWidths& widths, QWidget* parent);

    // The selected rows as the clipboard gets them; empty when none is.
    QString selectedRowsText() const;
    // Puts the selected rows on the clipboard.
    void copySelectedRows();

    // Keeps "Module File" in view while the other columns scroll sideways.
    void keepFirstColumnInView();
    bool firstColumnKeptInView() const { return frozen_ != nullptr; }

    // The note shown in place of an empty listing; empty: none.
    QString emptyNote() const { return emptyNote_; }
    void setEmptyNote(const QString& note);

protected:
    void paintEvent(QPaintEvent* event) override;
    void resizeEvent(QResizeEvent* event) override;
    bool viewportEvent(QEvent* event) override;

private:
    void widenToContents();
    void placeFrozenColumn();

    ListingTableModel& model_;
    ListingWidths designed_{};
    QString emptyNote_;
    // The first column again, over the left edge of this view.
    QTreeView* frozen_ = nullptr;
};

}  // namespace tlvx::ui
