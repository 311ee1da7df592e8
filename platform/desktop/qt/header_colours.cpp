#include "platform/desktop/qt/header_colours.h"

#include <QHeaderView>
#include <QPalette>
#include <QTableView>
#include <QTreeView>
#include <QVariant>

namespace tlvx::desktop {

namespace {

constexpr char kPaletteBefore[] = "tlvxPaletteBeforeColours";

QHeaderView* columnHeaderOf(QWidget& view) {
    if (auto* tree = qobject_cast<QTreeView*>(&view)) return tree->header();
    if (auto* table = qobject_cast<QTableView*>(&view)) return table->horizontalHeader();
    return qobject_cast<QHeaderView*>(&view);
}

}  // namespace

bool colourHeaderSections(QWidget& view, const QColor& background, const QColor& text) {
    QHeaderView* header = columnHeaderOf(view);
    if (!header) return false;
    // The palette as it was, with its record of the roles the header set
    // itself: a header that took its colours from its window does so again
    // afterwards.
    if (!header->property(kPaletteBefore).isValid())
        header->setProperty(kPaletteBefore, QVariant::fromValue(header->palette()));
    QPalette palette = header->palette();
    // Styles draw a section on Button (some on Window) and its title in
    // ButtonText (some in WindowText).
    for (const auto role : {QPalette::Button, QPalette::Window}) palette.setColor(role, background);
    for (const auto role : {QPalette::ButtonText, QPalette::WindowText})
        palette.setColor(role, text);
    header->setPalette(palette);
    header->viewport()->update();
    return true;
}

void restoreHeaderColours(QWidget& view) {
    QHeaderView* header = columnHeaderOf(view);
    if (!header) return;
    const QVariant before = header->property(kPaletteBefore);
    if (!before.isValid()) return;
    header->setPalette(before.value<QPalette>());
    header->setProperty(kPaletteBefore, QVariant());
    header->viewport()->update();
}

}  // namespace tlvx::desktop
