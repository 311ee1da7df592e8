#include "program/ui/listing_view.h"

#include <QAction>
#include <QClipboard>
#include <QGuiApplication>
#include <QHeaderView>
#include <QItemSelectionModel>
#include <QPainter>

#include <algorithm>
#include <vector>

#include "program/history/listing_text.h"
#include "program/ui/window_look.h"

namespace tlvx::ui {
namespace {

void showSortIndicator(QHeaderView& header, const analysis::ListingModel& listing) {
    header.setSortIndicator(static_cast<int>(listing.sortColumn()),
                            listing.sortOrder() == analysis::SortOrder::Ascending
                                ? Qt::AscendingOrder
                                : Qt::DescendingOrder);
}

// The longest type name a module row can carry.
const QString kWidestType = QStringLiteral("UserDocument");

QAction* addViewAction(QTreeView& view, const QString& text, QKeySequence::StandardKey key,
                       const char* name) {
    auto* action = new QAction(text, &view);
    action->setObjectName(QString::fromLatin1(name));
    action->setShortcut(key);
    action->setShortcutContext(Qt::WidgetWithChildrenShortcut);
    view.addAction(action);
    return action;
}

}  // namespace

ListingView::ListingView(ListingTableModel& model, const ListingWidths& widths, QWidget* parent)
    : QTreeView(parent), model_(model) {
    setObjectName(QStringLiteral("lsv"));
    setRootIsDecorated(false);
    setItemsExpandable(false);
    setUniformRowHeights(true);
    setAllColumnsShowFocus(true);
    setSelectionBehavior(QAbstractItemView::SelectRows);
    setSelectionMode(QAbstractItemView::ExtendedSelection);
    setEditTriggers(QAbstractItemView::NoEditTriggers);
    setHorizontalScrollBarPolicy(Qt::ScrollBarAsNeeded);
    // "Clasificadores\…\frmPagos.frm": the file name stays in view.
    setTextElideMode(Qt::ElideMiddle);
    // The listing sorts itself; the view must not sort on its own.
    setSortingEnabled(false);
    setModel(&model);

    QHeaderView* header = this->header();
    header->setStretchLastSection(false);
    header->setSectionsMovable(false);
    header->setSectionsClickable(true);
    header->setSortIndicatorShown(true);
    for (std::size_t c = 0; c < widths.size(); ++c) designed_[c] = twips(widths[c]);
    for (std::size_t c = 0; c < widths.size(); ++c)
        header->resizeSection(static_cast<int>(c), designed_[c]);
    widenToContents();
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
    QObject::connect(&model, &QAbstractItemModel::modelReset, this, [this] {
        showSortIndicator(*this->header(), model_.listing());
        widenToContents();
    });

    QAction* copy = addViewAction(*this, QStringLiteral("&Copy"), QKeySequence::Copy, "copyRows");
    QAction* all =
        addViewAction(*this, QStringLiteral("Select &All"), QKeySequence::SelectAll, "selectAll");
    connect(copy, &QAction::triggered, this, &ListingView::copySelectedRows);
    connect(all, &QAction::triggered, this, &QAbstractItemView::selectAll);
    setContextMenuPolicy(Qt::ActionsContextMenu);
}

void ListingView::widenToContents() {
    QHeaderView* header = this->header();
    const int margin = 2 * (style()->pixelMetric(QStyle::PM_FocusFrameHMargin, nullptr, this) + 1);
    for (int c = 0; c < header->count(); ++c) {
        // The header's text beside its sort arrow, and every number (the
        // first column elides its middle instead).
        int needed = std::max(designed_[static_cast<std::size_t>(c)], header->sectionSizeHint(c));
        if (c == 1)
            needed = std::max(needed, fontMetrics().horizontalAdvance(kWidestType) + 2 * margin);
        if (c >= 1) needed = std::max(needed, sizeHintForColumn(c));
        if (header->sectionSize(c) < needed) header->resizeSection(c, needed);
    }
}

QString ListingView::selectedRowsText() const {
    std::vector<int> rows;
    for (const QModelIndex& index : selectionModel()->selectedRows()) rows.push_back(index.row());
    if (rows.empty()) return {};
    std::sort(rows.begin(), rows.end());
    std::vector<analysis::ListingRow> chosen;
    const auto& listing = model_.listing();
    for (const int row : rows)
        if (static_cast<std::size_t>(row) < listing.rowCount())
            chosen.push_back(listing.row(static_cast<std::size_t>(row)));
    return QString::fromStdString(history::copiedRowsText(chosen));
}

void ListingView::copySelectedRows() {
    const QString text = selectedRowsText();
    if (!text.isEmpty()) QGuiApplication::clipboard()->setText(text);
}

void ListingView::setEmptyNote(const QString& note) {
    emptyNote_ = note;
    viewport()->update();
}

void ListingView::paintEvent(QPaintEvent* event) {
    QTreeView::paintEvent(event);
    if (emptyNote_.isEmpty() || model_.rowCount() > 0) return;
    QPainter painter(viewport());
    painter.setPen(palette().color(QPalette::PlaceholderText));
    const int margin = twips(90);
    painter.drawText(viewport()->rect().adjusted(margin, margin, -margin, -margin),
                     Qt::AlignCenter | Qt::TextWordWrap, emptyNote_);
}

}  // namespace tlvx::ui
