#pragma once
// The desktop's icon for a file, shown in widgets at their top left corner.

#include <QIcon>
#include <QString>

class QWidget;

namespace tlvx::desktop {

// The icon theme's icon for the file's type (by its MIME type), else the
// one Qt's file icon provider gives; a null icon for a name that names
// nothing.
QIcon fileIcon(const QString& path);

// Shows `icon` at `size` by `size` pixels at (0, 0) of `target`, in a child
// label named "fileIcon" that the next icon shown there replaces.
void showIconAtCorner(QWidget& target, const QIcon& icon, int size);

}  // namespace tlvx::desktop
