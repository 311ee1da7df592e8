#include "program/ui/listing_view.h"

#include <QHeaderView>

#include "program/ui/window_look.h"

namespace tlvx::ui {
namespace {

void showSortIndicator(QHeaderView& header, const analysis::ListingModel& listing) {
    header.setSortIndicator(static_cast<int>(listing.sortColumn()),
                            listing.sortOrder() == analysis::SortOrder::Ascending
                                ? Qt::AscendingOrder
                                : Qt::DescendingOrder);
}

}  // namespace

QTreeView* makeListingView(ListingTableModel& model, const ListingWidths& widths, QWidget* parent) {
    auto* view = new QTreeView(parent);
    view->setObjectName(QStringLiteral("lsv"));
    view->setRootIsDecorated(false);
    view->setItemsExpandable(false);
    view->setUniformRowHeights(true);
    view->setAllColumnsShowFocus(true);
    view->setSelectionBehavior(QAbstractItemView::SelectRows);
    view->setSelectionMode(QAbstractItemView::SingleSelection);
    view->setEditTriggers(QAbstractItemView::NoEditTriggers);
    view->setHorizontalScrollBarPolicy(Qt::ScrollBarAsNeeded);
    // The listing sorts itself; the view must not sort on its own.
    view->setSortingEnabled(false);
    view->setModel(&model);

    QHeaderView* header = view->header();
    header->setStretchLastSection(false);
    header->setSectionsMovable(false);
    header->setSectionsClickable(true);
    header->setSortIndicatorShown(true);
    for (std::size_t c = 0; c < widths.size(); ++c)
        header->resizeSection(static_cast<int>(c), twips(widths[c]));
    showSortIndicator(*header, model.listing());

    QObject::connect(header, &QHeaderView::sectionClicked, &model,
                     [&model](int section) { model.sortByHeaderClick(section); });
    // After a header click (the header may flip its indicator by its own
    // rule) and after every change, the indicator shows the listing's.
    QObject::connect(header, &QHeaderView::sortIndicatorChanged, header,
                     [header, &model](int section, Qt::SortOrder order) {
                         const bool same =
                             section == static_cast<int>(model.listing().sortColumn()) &&
                             (order == Qt::AscendingOrder) ==
                                 (model.listing().sortOrder() == analysis::SortOrder::Ascending);
                         if (!same) showSortIndicator(*header, model.listing());
                     });
    QObject::connect(&model, &QAbstractItemModel::modelReset, header,
                     [header, &model] { showSortIndicator(*header, model.listing()); });
    return view;
}

}  // namespace tlvx::ui
