#include "platform/desktop/qt/item_view_messages.h"

#include <QHeaderView>
#include <QListView>
#include <QPalette>
#include <QScrollBar>
#include <QTableView>
#include <QTreeView>
#include <QVariant>

#include <algorithm>

#include "platform/desktop/qt/colour_refs.h"

namespace tlvx::desktop {

namespace {

// Dynamic properties the views keep the set values in.
constexpr char kExtent[] = "tlvxHorizontalExtent";
constexpr char kBaseBefore[] = "tlvxBackgroundBefore";

constexpr int kFitContents = -1;
constexpr int kFitContentsAndHeader = -2;

// Qt sets the scroll range from the items whenever the list is laid out;
// the range is widened again right after.
void widenToExtent(QListView& list) {
    const int wanted = list.property(kExtent).toInt() - list.viewport()->width();
    QScrollBar* bar = list.horizontalScrollBar();
    if (bar->maximum() < wanted) bar->setRange(bar->minimum(), wanted);
}

QHeaderView* columnHeaderOf(QWidget& widget) {
    if (auto* tree = qobject_cast<QTreeView*>(&widget)) return tree->header();
    if (auto* table = qobject_cast<QTableView*>(&widget)) return table->horizontalHeader();
    return nullptr;
}

}  // namespace

void setHorizontalExtent(QWidget& widget, int extent) {
    auto* list = qobject_cast<QListView*>(&widget);
    if (!list) return;
    const bool watched = list->property(kExtent).isValid();
    list->setProperty(kExtent, std::max(extent, 0));
    if (!watched) {
        QObject::connect(list->horizontalScrollBar(), &QScrollBar::rangeChanged, list,
                         [list] { widenToExtent(*list); });
    }
    widenToExtent(*list);
}

void setTreeBackground(QWidget& widget, qint32 colour) {
    auto* tree = qobject_cast<QTreeView*>(&widget);
    if (!tree) return;
    QPalette palette = tree->palette();
    if (!tree->property(kBaseBefore).isValid())
        tree->setProperty(kBaseBefore, QVariant::fromValue(palette));
    if (colour == -1) {
        const auto before = tree->property(kBaseBefore).value<QPalette>();
        for (const auto group : {QPalette::Active, QPalette::Inactive, QPalette::Disabled})
            palette.setBrush(group, QPalette::Base, before.brush(group, QPalette::Base));
    } else {
        palette.setColor(QPalette::Base, colourOfRef(static_cast<quint32>(colour)));
    }
    tree->setPalette(palette);
}

void setColumnWidth(QWidget& widget, int column, int width) {
    QHeaderView* header = columnHeaderOf(widget);
    if (!header || column < 0 || column >= header->count()) return;
    if (width >= 0) {
        header->resizeSection(column, width);
        return;
    }
    if (width != kFitContents && width != kFitContentsAndHeader) return;
    auto& view = static_cast<QAbstractItemView&>(widget);
    int fitting = view.sizeHintForColumn(column);
    if (width == kFitContentsAndHeader)
        fitting = std::max(fitting, header->sectionSizeHint(column));
    header->resizeSection(column, std::max(fitting, header->minimumSectionSize()));
}

}  // namespace tlvx::desktop
