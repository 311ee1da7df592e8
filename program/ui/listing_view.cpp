#include "program/ui/listing_view.h"

#include <QAction>
#include <QClipboard>
#include <QGuiApplication>
#include <QHeaderView>
#include <QItemSelectionModel>
#include <QPainter>
#include <QScrollBar>

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

// What the listing and its kept first column share: plain rows, selected
// whole and several at a time, never edited, a long file name shortened in
// its middle ("Clasificadores\…\frmPagos.frm"), and a header that sorts.
void setUpRows(QTreeView& view) {
    view.setRootIsDecorated(false);
    view.setItemsExpandable(false);
    view.setUniformRowHeights(true);
    view.setSelectionBehavior(QAbstractItemView::SelectRows);
    view.setSelectionMode(QAbstractItemView::ExtendedSelection);
    view.setEditTriggers(QAbstractItemView::NoEditTriggers);
    view.setTextElideMode(Qt::ElideMiddle);
    QHeaderView* header = view.header();
    header->setStretchLastSection(false);
    header->setSectionsMovable(false);
    header->setSectionsClickable(true);
    header->setSortIndicatorShown(true);
}

}  // namespace

ListingView::ListingView(ListingTableModel& model, const ListingWidths& widths, QWidget* parent)
    : QTreeView(parent), model_(model) {
    setObjectName(QStringLiteral("lsv"));
    setAllColumnsShowFocus(true);
    setHorizontalScrollBarPolicy(Qt::ScrollBarAsNeeded);
    // The listing sorts itself; the view must not sort on its own.
    setSortingEnabled(false);
    setModel(&model);
    setUpRows(*this);

    QHeaderView* header = this->header();
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

void ListingView::keepFirstColumnInView() {
    if (frozen_) return;
    // A second view of the same rows and selection that shows only the
    // first column, laid over this one's left edge; it scrolls up and down
    // with this one but never sideways.
    frozen_ = new QTreeView(this);
    frozen_->setModel(&model_);
    frozen_->setSelectionModel(selectionModel());
    setUpRows(*frozen_);
    frozen_->setFocusPolicy(Qt::NoFocus);
    frozen_->setFrameShape(QFrame::NoFrame);
    frozen_->setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
    frozen_->setVerticalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
    frozen_->setVerticalScrollMode(verticalScrollMode());
    frozen_->setContextMenuPolicy(Qt::ActionsContextMenu);
    frozen_->addActions(actions());
    QHeaderView* header = frozen_->header();
    for (int c = 1; c < model_.columnCount(); ++c) frozen_->setColumnHidden(c, true);
    const auto showIndicator = [this] {
        frozen_->header()->setSortIndicator(this->header()->sortIndicatorSection(),
                                            this->header()->sortIndicatorOrder());
    };
    showIndicator();
    connect(this->header(), &QHeaderView::sortIndicatorChanged, frozen_, showIndicator);
    connect(header, &QHeaderView::sectionClicked, &model_,
            [this](int section) { model_.sortByHeaderClick(section); });
    connect(&model_, &QAbstractItemModel::modelReset, frozen_, showIndicator);
    connect(this->header(), &QHeaderView::sectionResized, frozen_, [this](int section) {
        if (section == 0) placeFrozenColumn();
    });
    connect(frozen_->verticalScrollBar(), &QAbstractSlider::valueChanged, verticalScrollBar(),
            &QAbstractSlider::setValue);
    connect(verticalScrollBar(), &QAbstractSlider::valueChanged, frozen_->verticalScrollBar(),
            &QAbstractSlider::setValue);
    viewport()->stackUnder(frozen_);
    placeFrozenColumn();
    frozen_->show();
}

void ListingView::placeFrozenColumn() {
    if (!frozen_) return;
    const int width = columnWidth(0);
    frozen_->setColumnWidth(0, width);
    frozen_->setGeometry(frameWidth(), frameWidth(), width,
                         viewport()->height() + header()->height());
}

void ListingView::resizeEvent(QResizeEvent* event) {
    QTreeView::resizeEvent(event);
    placeFrozenColumn();
}

bool ListingView::viewportEvent(QEvent* event) {
    // A scroll bar that comes or goes changes the viewport, not the view.
    if (event->type() == QEvent::Resize) placeFrozenColumn();
    return QTreeView::viewportEvent(event);
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
