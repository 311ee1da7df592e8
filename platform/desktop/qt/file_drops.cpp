#include "platform/desktop/qt/file_drops.h"

#include <QAbstractScrollArea>
#include <QDragEnterEvent>
#include <QDragMoveEvent>
#include <QDropEvent>
#include <QMimeData>
#include <QPointer>
#include <QStringList>
#include <QUrl>
#include <QWidget>

#include <map>
#include <mutex>

namespace tlvx::desktop {

namespace {

constexpr char kFilterName[] = "tlvxFileDrops";

QStringList localFilesOf(const QMimeData* data) {
    QStringList files;
    if (!data || !data->hasUrls()) return files;
    for (const QUrl& url : data->urls()) {
        if (url.isLocalFile()) files.append(url.toLocalFile());
    }
    return files;
}

// The drops not yet taken, by handle. Drops are made on the application's
// thread and may be taken from any.
class DropTable {
public:
    qint32 add(const QObject* widget, QStringList files) {
        const std::lock_guard lock(mutex_);
        std::erase_if(drops_,
                      [widget](const auto& entry) { return entry.second.widget == widget; });
        do {
            next_ = next_ < kFirstHandle || next_ == kLastHandle ? kFirstHandle : next_ + 1;
        } while (drops_.contains(next_));
        drops_.emplace(next_, Drop{widget, std::move(files)});
        return next_;
    }

    QString takeFirst(qint32 handle) {
        const std::lock_guard lock(mutex_);
        const auto found = drops_.find(handle);
        if (found == drops_.end()) return {};
        QString first = found->second.files.value(0);
        drops_.erase(found);
        return first;
    }

    void forget(const QObject* widget) {
        const std::lock_guard lock(mutex_);
        std::erase_if(drops_,
                      [widget](const auto& entry) { return entry.second.widget == widget; });
    }

private:
    // Drop handles lie above every window id an X server gives and above
    // the menu handles.
    static constexpr qint32 kFirstHandle = 0x70000001;
    static constexpr qint32 kLastHandle = 0x7FFFFFFF;

    struct Drop {
        const QObject* widget;
        QStringList files;
    };
    std::mutex mutex_;
    std::map<qint32, Drop> drops_;
    qint32 next_ = 0;
};

// Never destroyed: a widget that takes drops may end after the statics of
// this library.
DropTable& dropTable() {
    static auto* const table = new DropTable;
    return *table;
}

// Watches the widget (and the viewport of a scroll area, which is where
// its drags arrive) for drags of local files while it takes them. It is
// a child of the widget, so it ends with it and takes its drops along.
class FileDropFilter final : public QObject {
public:
    explicit FileDropFilter(QWidget& widget) : QObject(&widget), widget_(&widget) {
        setObjectName(QString::fromLatin1(kFilterName));
        widget.installEventFilter(this);
        if (auto* area = qobject_cast<QAbstractScrollArea*>(&widget))
            area->viewport()->installEventFilter(this);
    }
    ~FileDropFilter() override { dropTable().forget(widget_); }
    FileDropFilter(const FileDropFilter&) = delete;
    FileDropFilter& operator=(const FileDropFilter&) = delete;

    void setTaking(bool taking) {
        taking_ = taking;
        widget_->setAcceptDrops(taking);
        if (auto* area = qobject_cast<QAbstractScrollArea*>(widget_))
            area->viewport()->setAcceptDrops(taking);
    }

protected:
    bool eventFilter(QObject*, QEvent* event) override {
        if (!taking_) return false;
        switch (event->type()) {
            case QEvent::DragEnter:
            case QEvent::DragMove: {
                auto* drag = static_cast<QDragMoveEvent*>(event);
                if (localFilesOf(drag->mimeData()).isEmpty()) return false;
                drag->acceptProposedAction();
                return true;
            }
            case QEvent::Drop: {
                auto* drop = static_cast<QDropEvent*>(event);
                QStringList files = localFilesOf(drop->mimeData());
                if (files.isEmpty()) return false;
                drop->acceptProposedAction();
                const qint32 handle = dropTable().add(widget_, std::move(files));
                widget_->setProperty(kDropHandleProperty, handle);
                return true;
            }
            default:
                return false;
        }
    }

private:
    QWidget* widget_;
    bool taking_ = false;
};

}  // namespace

void acceptFileDrops(QWidget& widget, bool accept) {
    // The filter has no meta-object of its own; it is known by its name.
    auto* filter = dynamic_cast<FileDropFilter*>(
        widget.findChild<QObject*>(QString::fromLatin1(kFilterName), Qt::FindDirectChildrenOnly));
    if (!filter) {
        if (!accept) {
            widget.setAcceptDrops(false);
            return;
        }
        filter = new FileDropFilter(widget);
    }
    filter->setTaking(accept);
}

QString takeFirstDroppedFile(qint32 dropHandle) {
    return dropTable().takeFirst(dropHandle);
}

}  // namespace tlvx::desktop
