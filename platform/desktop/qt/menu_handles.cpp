#include "platform/desktop/qt/menu_handles.h"

#include <QAction>
#include <QActionGroup>
#include <QHash>
#include <QLayout>
#include <QMainWindow>
#include <QMenu>
#include <QMenuBar>
#include <QPointer>

namespace tlvx::desktop {

namespace {

constexpr int kLastRadioPosition = 9999;
constexpr char kRadioGroupName[] = "tlvxRadioItems";

class MenuTable {
public:
    qint32 handleOf(QWidget* menu) {
        if (!menu) return 0;
        if (const auto found = handles_.constFind(menu); found != handles_.cend())
            return found.value();
        const qint32 handle = freeHandle();
        handles_.insert(menu, handle);
        menus_.insert(handle, menu);
        QObject::connect(menu, &QObject::destroyed, [this, menu, handle] {
            handles_.remove(menu);
            menus_.remove(handle);
        });
        return handle;
    }

    // The menu bar or menu of the handle; null when it names none.
    QWidget* menuOf(qint32 handle) const { return menus_.value(handle).data(); }

private:
    // Menu handles lie above every window id an X server gives (29 bits)
    // and below the drop handles, so that no handle of one kind names
    // something of another.
    static constexpr qint32 kFirstHandle = 0x60000001;
    static constexpr qint32 kLastHandle = 0x6FFFFFFF;

    qint32 freeHandle() {
        do {
            next_ = next_ < kFirstHandle || next_ == kLastHandle ? kFirstHandle : next_ + 1;
        } while (menus_.contains(next_));
        return next_;
    }

    QHash<QWidget*, qint32> handles_;
    QHash<qint32, QPointer<QWidget>> menus_;
    qint32 next_ = 0;
};

// Never destroyed: a menu may end after the statics of this library.
MenuTable& menuTable() {
    static auto* const table = new MenuTable;
    return *table;
}

QMenuBar* menuBarOf(QWidget& window) {
    if (auto* main = qobject_cast<QMainWindow*>(&window))
        return qobject_cast<QMenuBar*>(main->menuWidget());
    if (window.layout()) {
        if (auto* bar = qobject_cast<QMenuBar*>(window.layout()->menuBar())) return bar;
    }
    return window.findChild<QMenuBar*>(QString(), Qt::FindDirectChildrenOnly);
}

QAction* itemAt(QWidget& menu, int position) {
    const QList<QAction*> items = menu.actions();
    return position >= 0 && position < items.size() ? items.at(position) : nullptr;
}

QActionGroup* radioGroupOf(QWidget& menu) {
    auto* group = menu.findChild<QActionGroup*>(QString::fromLatin1(kRadioGroupName),
                                                Qt::FindDirectChildrenOnly);
    if (!group) {
        group = new QActionGroup(&menu);
        group->setObjectName(QString::fromLatin1(kRadioGroupName));
        group->setExclusionPolicy(QActionGroup::ExclusionPolicy::ExclusiveOptional);
    }
    return group;
}

}  // namespace

qint32 menuBarHandleOf(QWidget& window) {
    if (!window.isWindow()) return 0;
    return menuTable().handleOf(menuBarOf(window));
}

qint32 subMenuHandleOf(qint32 menuHandle, int position) {
    QWidget* menu = menuTable().menuOf(menuHandle);
    QAction* item = menu ? itemAt(*menu, position) : nullptr;
    return item ? menuTable().handleOf(QMenu::menuInAction(item)) : 0;
}

void checkRadioItem(qint32 menuHandle, int position) {
    QWidget* menu = menuTable().menuOf(menuHandle);
    if (!menu || position > kLastRadioPosition) return;
    QAction* chosen = itemAt(*menu, position);
    if (!chosen || chosen->isSeparator()) return;
    QActionGroup* ours = radioGroupOf(*menu);
    const QList<QAction*> items = menu->actions();
    for (qsizetype i = 0; i < items.size() && i <= kLastRadioPosition; ++i) {
        QAction* item = items.at(i);
        if (item == chosen) continue;
        if (item->actionGroup() == ours) ours->removeAction(item);
        item->setChecked(false);
    }
    if (!chosen->actionGroup()) ours->addAction(chosen);
    chosen->setCheckable(true);
    chosen->setChecked(true);
}

}  // namespace tlvx::desktop
