#pragma once
// The result listing as Qt's views see it: a table over a ListingModel,
// which stays the one home of the rows and their order. The windows run
// the core's changes of the listing through `change`, so that the views
// learn of them; a header click goes through `sortByHeaderClick`.

#include <QAbstractTableModel>

#include <utility>

#include "program/analysis/listing_model.h"

namespace tlvx::ui {

class ListingTableModel : public QAbstractTableModel {
    Q_OBJECT

public:
    explicit ListingTableModel(analysis::ListingModel& listing, QObject* parent = nullptr)
        : QAbstractTableModel(parent), listing_(listing) {}

    int rowCount(const QModelIndex& parent = {}) const override;
    int columnCount(const QModelIndex& parent = {}) const override;
    QVariant data(const QModelIndex& index, int role) const override;
    QVariant headerData(int section, Qt::Orientation orientation, int role) const override;

    const analysis::ListingModel& listing() const { return listing_; }

    // Runs `edit` on the listing, then tells the views to show it anew
    // (also when `edit` throws). The views are told afterwards because an
    // edit may open a message box and with it an event loop; until they are
    // told, they may ask for rows that are gone, and are given nothing.
    template <class Edit>
    void change(Edit&& edit) {
        const ResetAfterwards reset(*this);
        std::forward<Edit>(edit)(listing_);
    }

    // A click on a column header: sort by that column, in the other
    // direction than before (descending after ascending, else ascending),
    // whichever column was clicked before.
    void sortByHeaderClick(int column);

private:
    class ResetAfterwards {
    public:
        explicit ResetAfterwards(ListingTableModel& model) : model_(model) {}
        ~ResetAfterwards() {
            model_.beginResetModel();
            model_.endResetModel();
        }
        ResetAfterwards(const ResetAfterwards&) = delete;
        ResetAfterwards& operator=(const ResetAfterwards&) = delete;

    private:
        ListingTableModel& model_;
    };

    analysis::ListingModel& listing_;
};

}  // namespace tlvx::ui
