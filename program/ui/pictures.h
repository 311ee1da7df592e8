#pragma once
// The pictures of the windows: the desktop's icon theme where it has a
// fitting icon, else a small drawing of our own. The logos and the window
// icon are always our own drawings.

#include <QIcon>
#include <QPixmap>

namespace tlvx::ui {

enum class Picture {
    ChooseProject,
    ShowHistory,
    OutputListing,
    Donate,
    Help,
    DeleteProject,
    DeleteVersion,
    ShowGrowth,
};

QIcon picture(Picture which);

// The program's own icon, also its window icon.
QIcon programIcon();
// The product's logo, 72 x 72 pixels.
QPixmap productLogo();
// The makers' logo, 141 x 56 pixels.
QPixmap makerLogo();

}  // namespace tlvx::ui
