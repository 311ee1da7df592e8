#include "platform/desktop/qt/object_members.h"

#include <QAbstractButton>
#include <QAbstractItemView>
#include <QAction>
#include <QComboBox>
#include <QDockWidget>
#include <QGroupBox>
#include <QHeaderView>
#include <QLabel>
#include <QLineEdit>
#include <QListView>
#include <QMenu>
#include <QMenuBar>
#include <QMetaProperty>
#include <QPlainTextEdit>
#include <QPointer>
#include <QSizeGrip>
#include <QStatusBar>
#include <QTableView>
#include <QTextEdit>
#include <QToolBar>
#include <QTreeView>

#include <algorithm>
#include <limits>

#include "platform/automation/control_kinds.h"
#include "platform/desktop/qt/window_handles.h"

namespace tlvx::desktop {
namespace {

enum Member : DISPID {
    kItem = DISPID_VALUE,
    kName = 1,
    kIndex,
    kCaption,
    kText,
    kToolTipText,
    kControls,
    kHwnd,
    kVisible,
    kEnabled,
    kChecked,
    kKey,
    kButtons,
    kPanels,
    kView,
    kListItems,
    kColumnHeaders,
    kCount,
    kWidth,
    kTag,
};
// Qt properties: declared ones by their index, dynamic ones by their place
// in the node's own list of names.
constexpr DISPID kFirstDeclared = 1000;
constexpr DISPID kFirstDynamic = 100000;

struct MemberName {
    const char* name;
    Member id;
};
constexpr MemberName kMemberNames[] = {
    {"Item", kItem},
    {"Name", kName},
    {"Index", kIndex},
    {"Caption", kCaption},
    {"Text", kText},
    {"ToolTipText", kToolTipText},
    {"Controls", kControls},
    {"hwnd", kHwnd},
    {"Visible", kVisible},
    {"Enabled", kEnabled},
    {"Checked", kChecked},
    {"Key", kKey},
    {"Buttons", kButtons},
    {"Panels", kPanels},
    {"View", kView},
    {"ListItems", kListItems},
    {"ColumnHeaders", kColumnHeaders},
    {"Count", kCount},
    {"Width", kWidth},
    {"Tag", kTag},
};

std::optional<Member> knownMember(const QString& name) {
    for (const MemberName& m : kMemberNames) {
        if (name.compare(QLatin1String(m.name), Qt::CaseInsensitive) == 0) return m.id;
    }
    return std::nullopt;
}

// How an object was reached: as a control, or as an item of a toolbar or a
// status bar.
enum class Role { Control, ToolbarButton, Panel };

bool isMenuItem(const QObject* object) {
    if (qobject_cast<const QMenu*>(object)) return true;
    const auto* action = qobject_cast<const QAction*>(object);
    if (!action) return false;
    for (const QObject* owner : action->associatedObjects()) {
        if (qobject_cast<const QMenu*>(owner) || qobject_cast<const QMenuBar*>(owner)) return true;
    }
    return false;
}

std::optional<int> indexOf(const QObject* object) {
    const QVariant value = object->property("index");
    bool ok = false;
    const int index = value.toInt(&ok);
    if (!value.isValid() || !ok) return std::nullopt;
    return index;
}

QString controlName(const QObject* object) {
    QString name = object->objectName();
    if (const auto index = indexOf(object)) {
        const QString suffix = QString::number(*index);
        if (name.size() > suffix.size() && name.endsWith(suffix)) name.chop(suffix.size());
    }
    return name;
}

// A control of a window: a named widget, or a named action in a menu.
bool isControl(const QObject* object) {
    const QString name = object->objectName();
    if (name.isEmpty() || name.startsWith(QLatin1String("qt_"))) return false;
    return object->isWidgetType() || isMenuItem(object);
}

void collectControls(const QObject* parent, std::vector<QObject*>& controls) {
    for (QObject* child : parent->children()) {
        const auto* widget = qobject_cast<const QWidget*>(child);
        // Other windows have controls of their own; a menu pops up as a
        // window but belongs to this one.
        if (widget && widget->isWindow() && !qobject_cast<const QMenu*>(widget)) continue;
        if (isControl(child)) controls.push_back(child);
        collectControls(child, controls);
    }
}

std::vector<QObject*> panelsOf(const QStatusBar* bar) {
    std::vector<QObject*> panels;
    for (QObject* child : bar->children()) {
        const auto* widget = qobject_cast<const QWidget*>(child);
        if (!widget || qobject_cast<const QSizeGrip*>(widget) ||
            widget->objectName().startsWith(QLatin1String("qt_")))
            continue;
        panels.push_back(child);
    }
    return panels;
}

QHeaderView* columnHeaderOf(const QAbstractItemView* view) {
    if (const auto* tree = qobject_cast<const QTreeView*>(view)) return tree->header();
    if (const auto* table = qobject_cast<const QTableView*>(view)) return table->horizontalHeader();
    return nullptr;
}

int viewStyle(const QAbstractItemView* view) {
    constexpr int kIcon = 0, kList = 2, kReport = 3;
    if (const QHeaderView* header = columnHeaderOf(view); header && !header->isHidden()) {
        return kReport;
    }
    const auto* list = qobject_cast<const QListView*>(view);
    return list && list->viewMode() == QListView::IconMode ? kIcon : kList;
}

HRESULT putQtValue(VARIANT& result, const QVariant& value) {
    if (!value.isValid()) return S_OK;  // Empty
    switch (value.metaType().id()) {
        case QMetaType::Bool:
            putBoolean(result, value.toBool());
            return S_OK;
        case QMetaType::Int:
        case QMetaType::Short:
        case QMetaType::UShort:
        case QMetaType::Char:
        case QMetaType::SChar:
        case QMetaType::UChar:
            putNumber(result, value.toInt());
            return S_OK;
        case QMetaType::UInt:
        case QMetaType::Long:
        case QMetaType::ULong:
        case QMetaType::LongLong:
        case QMetaType::ULongLong: {
            bool ok = false;
            const qlonglong number = value.toLongLong(&ok);
            if (ok && number >= std::numeric_limits<qint32>::min() &&
                number <= std::numeric_limits<qint32>::max()) {
                putNumber(result, static_cast<qint32>(number));
                return S_OK;
            }
            result.vt = VT_R8;
            result.dblVal = value.toDouble();
            return S_OK;
        }
        case QMetaType::Double:
        case QMetaType::Float:
            result.vt = VT_R8;
            result.dblVal = value.toDouble();
            return S_OK;
        default:
            if (!value.canConvert<QString>()) return DISP_E_TYPEMISMATCH;
            return putText(result, value.toString());
    }
}

// `value` as a value of `type`; an invalid QVariant when it does not
// convert.
QVariant qtValue(const VARIANT& value, QMetaType type) {
    switch (type.id()) {
        case QMetaType::Bool:
            if (const auto b = booleanOf(value)) return *b;
            return {};
        case QMetaType::Int:
            if (const auto n = numberOf(value)) return *n;
            return {};
        default:
            break;
    }
    const auto text = textOf(value);
    if (!text) return {};
    QVariant converted(*text);
    if (type.isValid() && type.id() != QMetaType::QString && !converted.convert(type)) return {};
    return converted;
}

// Reads a collection-valued member: the collection itself, or with
// arguments the collection's item they name.
HRESULT collectionResult(std::unique_ptr<BridgeNode> node, const std::vector<VARIANT>& args,
                         VARIANT& result) {
    IDispatch* collection = newBridgeObject(std::move(node));
    if (!collection) return E_OUTOFMEMORY;
    if (args.empty()) {
        putObject(result, collection);
        return S_OK;
    }
    std::vector<VARIANT> reversed(args.rbegin(), args.rend());
    DISPPARAMS params{reversed.data(), nullptr, static_cast<UINT>(reversed.size()), 0};
    const HRESULT hr = collection->Invoke(DISPID_VALUE, IID_NULL, 0, DISPATCH_PROPERTYGET, &params,
                                          &result, nullptr, nullptr);
    collection->Release();
    return hr;
}

std::unique_ptr<BridgeNode> objectNode(QObject* object, Role role);

// A column of an item view.
class ColumnNode final : public BridgeNode {
public:
    ColumnNode(QAbstractItemView* view, int column) : view_(view), column_(column) {}

    bool alive() const override { return view_ && view_->model(); }
    std::optional<DISPID> memberId(const QString& name) override {
        const auto id = knownMember(name);
        if (id == kWidth || id == kTag || id == kText || id == kIndex) return id;
        return std::nullopt;
    }
    HRESULT get(DISPID id, const std::vector<VARIANT>& args, VARIANT& result) override {
        if (!args.empty()) return DISP_E_BADPARAMCOUNT;
        if (column_ >= view_->model()->columnCount(view_->rootIndex())) return DISP_E_BADINDEX;
        const QAbstractItemModel& model = *view_->model();
        switch (id) {
            case kWidth:
                if (const QHeaderView* header = columnHeaderOf(view_)) {
                    putNumber(result, header->sectionSize(column_));
                    return S_OK;
                }
                return DISP_E_MEMBERNOTFOUND;
            case kTag:
                return putText(result,
                               model.headerData(column_, Qt::Horizontal, Qt::UserRole).toString());
            case kText:
                return putText(
                    result, model.headerData(column_, Qt::Horizontal, Qt::DisplayRole).toString());
            case kIndex:
                putNumber(result, column_ + 1);
                return S_OK;
            default:
                return DISP_E_MEMBERNOTFOUND;
        }
    }
    HRESULT put(DISPID id, const VARIANT& value) override {
        if (column_ >= view_->model()->columnCount(view_->rootIndex())) return DISP_E_BADINDEX;
        if (id == kWidth) {
            QHeaderView* header = columnHeaderOf(view_);
            const auto width = numberOf(value);
            if (!header) return DISP_E_MEMBERNOTFOUND;
            if (!width || *width < 0) return DISP_E_TYPEMISMATCH;
            header->resizeSection(column_, *width);
            return S_OK;
        }
        if (id == kTag) {
            const auto text = textOf(value);
            if (!text) return DISP_E_TYPEMISMATCH;
            // A model that keeps no header data cannot keep a tag.
            return view_->model()->setHeaderData(column_, Qt::Horizontal, *text, Qt::UserRole)
                       ? S_OK
                       : E_FAIL;
        }
        return DISP_E_MEMBERNOTFOUND;
    }

private:
    QPointer<QAbstractItemView> view_;
    int column_;
};

// The collections: a window's controls, a toolbar's buttons, a status
// bar's panels, a view's rows and columns.
class CollectionNode final : public BridgeNode {
public:
    enum class Kind { Controls, Buttons, Panels, Rows, Columns };
    CollectionNode(QObject* owner, Kind kind) : owner_(owner), kind_(kind) {}

    bool alive() const override { return !owner_.isNull(); }
    std::optional<DISPID> memberId(const QString& name) override {
        const auto id = knownMember(name);
        if (id == kCount || (id == kItem && kind_ != Kind::Rows)) return id;
        return std::nullopt;
    }
    HRESULT get(DISPID id, const std::vector<VARIANT>& args, VARIANT& result) override {
        if (id == kCount) {
            if (!args.empty()) return DISP_E_BADPARAMCOUNT;
            putNumber(result, count());
            return S_OK;
        }
        if (id != kItem || kind_ == Kind::Rows) return DISP_E_MEMBERNOTFOUND;
        if (args.size() != 1) return DISP_E_BADPARAMCOUNT;
        const auto number = numberOf(args[0]);
        if (!number) return DISP_E_TYPEMISMATCH;
        // Controls are numbered from 0, the items of bars and columns from 1.
        const qint64 at = static_cast<qint64>(*number) - (kind_ == Kind::Controls ? 0 : 1);
        if (at < 0 || at >= count()) return DISP_E_BADINDEX;
        std::unique_ptr<BridgeNode> item;
        if (kind_ == Kind::Columns) {
            item = std::make_unique<ColumnNode>(qobject_cast<QAbstractItemView*>(owner_),
                                                static_cast<int>(at));
        } else {
            const Role role = kind_ == Kind::Buttons  ? Role::ToolbarButton
                              : kind_ == Kind::Panels ? Role::Panel
                                                      : Role::Control;
            item = objectNode(items()[static_cast<std::size_t>(at)], role);
        }
        IDispatch* object = newBridgeObject(std::move(item));
        if (!object) return E_OUTOFMEMORY;
        putObject(result, object);
        return S_OK;
    }
    HRESULT put(DISPID, const VARIANT&) override { return DISP_E_MEMBERNOTFOUND; }

private:
    std::vector<QObject*> items() const {
        std::vector<QObject*> list;
        switch (kind_) {
            case Kind::Controls:
                collectControls(owner_, list);
                break;
            case Kind::Buttons:
                for (QAction* action : qobject_cast<QToolBar*>(owner_)->actions())
                    list.push_back(action);
                break;
            case Kind::Panels:
                list = panelsOf(qobject_cast<QStatusBar*>(owner_));
                break;
            case Kind::Rows:
            case Kind::Columns:
                break;
        }
        return list;
    }
    qint32 count() const {
        if (kind_ == Kind::Rows || kind_ == Kind::Columns) {
            const auto* view = qobject_cast<QAbstractItemView*>(owner_);
            const QAbstractItemModel* model = view->model();
            if (!model) return 0;
            if (kind_ == Kind::Columns && !columnHeaderOf(view)) return 0;
            return kind_ == Kind::Rows ? model->rowCount(view->rootIndex())
                                       : model->columnCount(view->rootIndex());
        }
        return static_cast<qint32>(items().size());
    }

    QPointer<QObject> owner_;
    Kind kind_;
};

// A window, a widget or an action.
class ObjectNode final : public BridgeNode {
public:
    ObjectNode(QObject* object, Role role) : object_(object), role_(role) {}

    bool alive() const override { return !object_.isNull(); }

    bool isKind(REFIID iid) const override {
        if (iid == IID_TlvxMenuItem) return role_ == Role::Control && isMenuItem(object_);
        if (iid == IID_TlvxToolbar) return qobject_cast<QToolBar*>(object_) != nullptr;
        if (iid == IID_TlvxStatusBar) return qobject_cast<QStatusBar*>(object_) != nullptr;
        return false;
    }

    std::optional<DISPID> memberId(const QString& name) override {
        if (const auto id = knownMember(name); id && offers(*id)) return id;
        // Otherwise a Qt property of that name.
        const QMetaObject* meta = object_->metaObject();
        for (int i = 0; i < meta->propertyCount(); ++i) {
            if (name.compare(QLatin1String(meta->property(i).name()), Qt::CaseInsensitive) == 0) {
                return kFirstDeclared + i;
            }
        }
        for (const QByteArray& dynamic : object_->dynamicPropertyNames()) {
            if (name.compare(QString::fromUtf8(dynamic), Qt::CaseInsensitive) != 0) continue;
            auto known = std::find(dynamicNames_.begin(), dynamicNames_.end(), dynamic);
            if (known == dynamicNames_.end()) known = dynamicNames_.insert(known, dynamic);
            return kFirstDynamic + static_cast<DISPID>(known - dynamicNames_.begin());
        }
        return std::nullopt;
    }

    HRESULT get(DISPID id, const std::vector<VARIANT>& args, VARIANT& result) override {
        if (id >= kFirstDeclared) {
            if (!args.empty()) return DISP_E_BADPARAMCOUNT;
            return getProperty(id, result);
        }
        if (!offers(static_cast<Member>(id))) return DISP_E_MEMBERNOTFOUND;
        if (const auto kind = collectionOf(static_cast<Member>(id))) {
            return collectionResult(std::make_unique<CollectionNode>(object_, *kind), args, result);
        }
        if (!args.empty()) return DISP_E_BADPARAMCOUNT;
        return getMember(static_cast<Member>(id), result);
    }

    HRESULT put(DISPID id, const VARIANT& value) override {
        if (id >= kFirstDeclared) return putProperty(id, value);
        if (!offers(static_cast<Member>(id))) return DISP_E_MEMBERNOTFOUND;
        return putMember(static_cast<Member>(id), value);
    }

private:
    QWidget* widget() const { return qobject_cast<QWidget*>(object_); }
    QAction* action() const { return qobject_cast<QAction*>(object_); }

    bool hasCaption() const {
        const QWidget* w = widget();
        return object_->metaObject()->indexOfProperty("caption") >= 0 || action() ||
               qobject_cast<const QAbstractButton*>(w) || qobject_cast<const QLabel*>(w) ||
               qobject_cast<const QGroupBox*>(w) || qobject_cast<const QDockWidget*>(w) ||
               (w && w->isWindow());
    }
    bool hasText() const {
        const QWidget* w = widget();
        return qobject_cast<const QLineEdit*>(w) || qobject_cast<const QPlainTextEdit*>(w) ||
               qobject_cast<const QTextEdit*>(w) || qobject_cast<const QComboBox*>(w) ||
               (role_ == Role::Panel && qobject_cast<const QLabel*>(w));
    }
    bool hasToolTip() const {
        if (role_ != Role::Control) return true;
        return widget() ? !qobject_cast<QMenu*>(widget()) : !isMenuItem(object_);
    }

    bool offers(Member id) const {
        const QWidget* w = widget();
        switch (id) {
            case kName:
                return true;
            case kIndex:
                return indexOf(object_).has_value();
            case kCaption:
                return hasCaption();
            case kText:
                return hasText();
            case kToolTipText:
                return (w || action()) && hasToolTip();
            case kControls:
            case kHwnd:
                return w != nullptr;
            case kVisible:
            case kEnabled:
                return w || action();
            case kChecked:
                return action() && action()->isCheckable();
            case kKey:
                return role_ == Role::ToolbarButton;
            case kButtons:
                return qobject_cast<const QToolBar*>(w) != nullptr;
            case kPanels:
                return qobject_cast<const QStatusBar*>(w) != nullptr;
            case kView:
            case kListItems:
            case kColumnHeaders:
                return qobject_cast<const QAbstractItemView*>(w) != nullptr;
            default:
                return false;
        }
    }

    static std::optional<CollectionNode::Kind> collectionOf(Member id) {
        switch (id) {
            case kControls:
                return CollectionNode::Kind::Controls;
            case kButtons:
                return CollectionNode::Kind::Buttons;
            case kPanels:
                return CollectionNode::Kind::Panels;
            case kListItems:
                return CollectionNode::Kind::Rows;
            case kColumnHeaders:
                return CollectionNode::Kind::Columns;
            default:
                return std::nullopt;
        }
    }

    QString caption() const {
        const QMetaObject* meta = object_->metaObject();
        if (const int p = meta->indexOfProperty("caption"); p >= 0) {
            return meta->property(p).read(object_).toString();
        }
        if (const QAction* a = action()) return a->text();
        if (const auto* menu = qobject_cast<const QMenu*>(widget())) return menu->title();
        if (const auto* button = qobject_cast<const QAbstractButton*>(widget())) {
            return button->text();
        }
        if (const auto* label = qobject_cast<const QLabel*>(widget())) return label->text();
        if (const auto* group = qobject_cast<const QGroupBox*>(widget())) return group->title();
        return widget()->windowTitle();
    }
    bool setCaption(const QString& text) {
        const QMetaObject* meta = object_->metaObject();
        if (const int p = meta->indexOfProperty("caption"); p >= 0) {
            return meta->property(p).write(object_, text);
        }
        if (QAction* a = action()) {
            a->setText(text);
        } else if (auto* menu = qobject_cast<QMenu*>(widget())) {
            menu->setTitle(text);
        } else if (auto* button = qobject_cast<QAbstractButton*>(widget())) {
            button->setText(text);
        } else if (auto* label = qobject_cast<QLabel*>(widget())) {
            label->setText(text);
        } else if (auto* group = qobject_cast<QGroupBox*>(widget())) {
            group->setTitle(text);
        } else {
            widget()->setWindowTitle(text);
        }
        return true;
    }

    QString text() const {
        QWidget* w = widget();
        if (const auto* line = qobject_cast<const QLineEdit*>(w)) return line->text();
        if (const auto* plain = qobject_cast<const QPlainTextEdit*>(w)) return plain->toPlainText();
        if (const auto* rich = qobject_cast<const QTextEdit*>(w)) return rich->toPlainText();
        if (const auto* combo = qobject_cast<const QComboBox*>(w)) return combo->currentText();
        return qobject_cast<const QLabel*>(w)->text();
    }
    void setText(const QString& value) {
        QWidget* w = widget();
        if (auto* line = qobject_cast<QLineEdit*>(w)) {
            line->setText(value);
        } else if (auto* plain = qobject_cast<QPlainTextEdit*>(w)) {
            plain->setPlainText(value);
        } else if (auto* rich = qobject_cast<QTextEdit*>(w)) {
            rich->setPlainText(value);
        } else if (auto* combo = qobject_cast<QComboBox*>(w)) {
            combo->setCurrentText(value);
        } else {
            qobject_cast<QLabel*>(w)->setText(value);
        }
    }

    HRESULT getMember(Member id, VARIANT& result) const {
        QWidget* w = widget();
        QAction* a = action();
        switch (id) {
            case kName:
                return putText(result, controlName(object_));
            case kIndex:
                putNumber(result, *indexOf(object_));
                return S_OK;
            case kCaption:
                return putText(result, caption());
            case kText:
                return putText(result, text());
            case kToolTipText:
                return putText(result, w ? w->toolTip() : a->toolTip());
            case kHwnd:
                putNumber(result, handleOf(w));
                return S_OK;
            case kVisible:
                putBoolean(result, w ? !w->isHidden() : a->isVisible());
                return S_OK;
            case kEnabled:
                putBoolean(result, w ? w->isEnabled() : a->isEnabled());
                return S_OK;
            case kChecked:
                putBoolean(result, a->isChecked());
                return S_OK;
            case kKey:
                return putText(result, object_->objectName());
            case kView:
                putNumber(result, viewStyle(qobject_cast<QAbstractItemView*>(w)));
                return S_OK;
            default:
                return DISP_E_MEMBERNOTFOUND;
        }
    }

    HRESULT putMember(Member id, const VARIANT& value) {
        QWidget* w = widget();
        QAction* a = action();
        switch (id) {
            case kCaption:
            case kText:
            case kToolTipText: {
                const auto text = textOf(value);
                if (!text) return DISP_E_TYPEMISMATCH;
                if (id == kCaption) return setCaption(*text) ? S_OK : DISP_E_TYPEMISMATCH;
                if (id == kText) {
                    setText(*text);
                } else if (w) {
                    w->setToolTip(*text);
                } else {
                    a->setToolTip(*text);
                }
                return S_OK;
            }
            case kVisible:
            case kEnabled:
            case kChecked: {
                const auto on = booleanOf(value);
                if (!on) return DISP_E_TYPEMISMATCH;
                if (id == kChecked) {
                    a->setChecked(*on);
                } else if (id == kVisible) {
                    w ? w->setVisible(*on) : a->setVisible(*on);
                } else {
                    w ? w->setEnabled(*on) : a->setEnabled(*on);
                }
                return S_OK;
            }
            default:
                // Name, Index, hwnd, View and the collections are read only.
                return DISP_E_MEMBERNOTFOUND;
        }
    }

    HRESULT getProperty(DISPID id, VARIANT& result) const {
        if (id >= kFirstDynamic) {
            const auto at = static_cast<std::size_t>(id - kFirstDynamic);
            if (at >= dynamicNames_.size()) return DISP_E_MEMBERNOTFOUND;
            return putQtValue(result, object_->property(dynamicNames_[at].constData()));
        }
        const QMetaObject* meta = object_->metaObject();
        if (id - kFirstDeclared >= meta->propertyCount()) return DISP_E_MEMBERNOTFOUND;
        return putQtValue(result, meta->property(id - kFirstDeclared).read(object_));
    }

    HRESULT putProperty(DISPID id, const VARIANT& value) {
        if (id >= kFirstDynamic) {
            const auto at = static_cast<std::size_t>(id - kFirstDynamic);
            if (at >= dynamicNames_.size()) return DISP_E_MEMBERNOTFOUND;
            const char* name = dynamicNames_[at].constData();
            const QVariant converted = qtValue(value, object_->property(name).metaType());
            if (!converted.isValid()) return DISP_E_TYPEMISMATCH;
            object_->setProperty(name, converted);
            return S_OK;
        }
        const QMetaObject* meta = object_->metaObject();
        if (id - kFirstDeclared >= meta->propertyCount()) return DISP_E_MEMBERNOTFOUND;
        const QMetaProperty property = meta->property(id - kFirstDeclared);
        if (!property.isWritable()) return DISP_E_MEMBERNOTFOUND;
        const QVariant converted = qtValue(value, property.metaType());
        if (!converted.isValid() || !property.write(object_, converted)) return DISP_E_TYPEMISMATCH;
        return S_OK;
    }

    QPointer<QObject> object_;
    Role role_;
    std::vector<QByteArray> dynamicNames_;
};

std::unique_ptr<BridgeNode> objectNode(QObject* object, Role role) {
    return std::make_unique<ObjectNode>(object, role);
}

}  // namespace

std::unique_ptr<BridgeNode> objectNode(QObject* object) {
    return objectNode(object, Role::Control);
}

IDispatch* dispatchOf(QObject* object) {
    return object ? newBridgeObject(objectNode(object)) : nullptr;
}

}  // namespace tlvx::desktop
