// Qt windows as automation objects: a real window with menus, a control
// array, a toolbar, a status bar and a table, reached through the platform
// library's bridge and called by name through IDispatch only.

#include <gtest/gtest.h>

#include <QHeaderView>
#include <QListWidget>

#include <memory>
#include <thread>
#include <utility>

#include "platform/automation/control_kinds.h"
#include "platform/desktop/object_bridge.h"
#include "tests/support/late_members.h"
#include "tests/support/qt_application.h"
#include "tests/support/sample_window.h"

namespace {

using namespace tlvx::test;

[[maybe_unused]] testing::Environment* const kQtApplication =
    testing::AddGlobalTestEnvironment(new QtApplicationEnvironment);

// One reference to an automation object, given back at the end.
class Object {
public:
    explicit Object(IDispatch* object = nullptr) : p_(object) {}
    Object(Object&& other) noexcept : p_(std::exchange(other.p_, nullptr)) {}
    Object(const Object&) = delete;
    Object& operator=(const Object&) = delete;
    ~Object() {
        if (p_) p_->Release();
    }
    IDispatch* get() const { return p_; }
    explicit operator bool() const { return p_ != nullptr; }

    std::u16string text(const char16_t* name, std::vector<VARIANT> args = {}) const {
        return textMember(p_, name, std::move(args));
    }
    LONG number(const char16_t* name, std::vector<VARIANT> args = {}) const {
        return numberMember(p_, name, std::move(args));
    }
    Object object(const char16_t* name, std::vector<VARIANT> args = {}) const {
        return Object(objectMember(p_, name, std::move(args)));
    }
    HRESULT put(const char16_t* name, VARIANT value) const { return putMember(p_, name, value); }
    bool has(const char16_t* name) const {
        LPOLESTR names[] = {const_cast<LPOLESTR>(name)};
        DISPID id = DISPID_UNKNOWN;
        return SUCCEEDED(p_->GetIDsOfNames(IID_NULL, names, 1, 0, &id));
    }
    bool isA(REFIID iid) const {
        void* answer = nullptr;
        if (FAILED(p_->QueryInterface(iid, &answer))) return false;
        static_cast<IUnknown*>(answer)->Release();
        return true;
    }

private:
    IDispatch* p_;
};

Object bridge(QObject* object) {
    IDispatch* dispatch = nullptr;
    EXPECT_EQ(TlvxQtObjectDispatch(object, &dispatch), S_OK);
    return Object(dispatch);
}

}  // namespace

TEST(ObjectBridge, AWindowListsItsControlsInCreationOrder) {
    SampleWindow w;
    const Object form = bridge(&w.window);
    EXPECT_EQ(form.text(u"Name"), u"frmTest");
    EXPECT_EQ(form.text(u"caption"), u"Test Window");
    EXPECT_EQ(form.put(u"Caption", str(u"Renamed")), S_OK);
    EXPECT_EQ(w.window.windowTitle(), QStringLiteral("Renamed"));

    const Object controls = form.object(u"Controls");
    ASSERT_TRUE(controls);
    std::vector<std::u16string> names;
    const LONG count = controls.number(u"Count");
    for (LONG i = 0; i < count; ++i)
        names.push_back(controls.object(u"Item", {i4(i)}).text(u"Name"));
    // Items count from 0; the default member is Item.
    EXPECT_EQ(names, (std::vector<std::u16string>{u"menFile", u"menOpen", u"menRecent",
                                                  u"menRecent", u"cmd", u"cmd", u"txtName",
                                                  u"lsvFiles", u"tbrMain", u"sbrMain"}));
    EXPECT_EQ(form.object(u"Controls", {i4(6)}).text(u"Name"), u"txtName");
    Var none;
    EXPECT_EQ(getMember(controls.get(), u"Item", none.v, {i4(count)}), DISP_E_BADINDEX);
    EXPECT_EQ(getMember(controls.get(), u"Item", none.v, {i4(-1)}), DISP_E_BADINDEX);
}

TEST(ObjectBridge, ControlArrayMembersHaveAnIndexAndOthersNone) {
    SampleWindow w;
    const Object button = bridge(w.cmd[1]);
    EXPECT_EQ(button.text(u"Name"), u"cmd");
    EXPECT_EQ(button.number(u"Index"), 1);
    EXPECT_EQ(button.text(u"Caption"), u"Button 1");
    EXPECT_EQ(button.text(u"ToolTipText"), u"tip 1");
    EXPECT_EQ(button.put(u"ToolTipText", str(u"")), S_OK);
    EXPECT_TRUE(w.cmd[1]->toolTip().isEmpty());

    const Object edit = bridge(w.txtName);
    EXPECT_EQ(edit.text(u"Name"), u"txtName");
    EXPECT_FALSE(edit.has(u"Index"));
    EXPECT_FALSE(edit.has(u"Caption"));  // a text box has Text instead
    EXPECT_EQ(edit.text(u"Text"), u"typed");
    EXPECT_EQ(edit.put(u"Enabled", boolean(false)), S_OK);
    EXPECT_FALSE(w.txtName->isEnabled());
    EXPECT_EQ(edit.number(u"hwnd"), static_cast<LONG>(w.txtName->winId()));

    // An index whose digits the name does not end in leaves the name whole.
    w.txtName->setProperty("index", 4);
    EXPECT_EQ(edit.text(u"Name"), u"txtName");
    EXPECT_EQ(edit.number(u"Index"), 4);
}

TEST(ObjectBridge, MenusAndTheirActionsAreMenuItems) {
    SampleWindow w;
    const Object menu = bridge(w.menFile);
    const Object open = bridge(w.menOpen);
    EXPECT_TRUE(menu.isA(IID_TlvxMenuItem));
    EXPECT_TRUE(open.isA(IID_TlvxMenuItem));
    EXPECT_FALSE(bridge(w.cmd[0]).isA(IID_TlvxMenuItem));
    EXPECT_FALSE(bridge(w.window.actions().front()).isA(IID_TlvxMenuItem));
    EXPECT_EQ(menu.text(u"Caption"), u"&File");
    EXPECT_EQ(menu.put(u"Caption", str(u"&Datei")), S_OK);
    EXPECT_EQ(w.menFile->title(), QStringLiteral("&Datei"));
    EXPECT_EQ(open.put(u"Caption", str(u"&Öffnen")), S_OK);
    EXPECT_EQ(w.menOpen->text(), QStringLiteral("&Öffnen"));
    // Menu items have no tool tip.
    EXPECT_FALSE(menu.has(u"ToolTipText"));
    EXPECT_FALSE(open.has(u"ToolTipText"));
    const Object recent = bridge(w.menFile->actions()[2]);
    EXPECT_EQ(recent.text(u"Name"), u"menRecent");
    EXPECT_EQ(recent.number(u"Index"), 1);
}

TEST(ObjectBridge, ToolbarsHaveButtonsAndStatusBarsPanels) {
    SampleWindow w;
    const Object toolbar = bridge(w.tbrMain);
    EXPECT_TRUE(toolbar.isA(IID_TlvxToolbar));
    EXPECT_FALSE(toolbar.isA(IID_TlvxStatusBar));
    const Object buttons = toolbar.object(u"Buttons");
    EXPECT_EQ(buttons.number(u"Count"), 3);  // the separator is a button too
    EXPECT_EQ(toolbar.object(u"Buttons", {i4(1)}).text(u"ToolTipText"), u"Makes one");
    // A toolbar button has a tool tip even when its action is in a menu.
    const Object third = buttons.object(u"Item", {i4(3)});
    EXPECT_EQ(third.text(u"Key"), u"menOpen");
    EXPECT_EQ(third.put(u"ToolTipText", str(u"Opens a file")), S_OK);
    EXPECT_EQ(w.menOpen->toolTip(), QStringLiteral("Opens a file"));
    Var none;
    EXPECT_EQ(getMember(buttons.get(), u"Item", none.v, {i4(0)}), DISP_E_BADINDEX);

    const Object status = bridge(w.sbrMain);
    EXPECT_TRUE(status.isA(IID_TlvxStatusBar));
    const Object panels = status.object(u"Panels");
    EXPECT_EQ(panels.number(u"Count"), 2);
    const Object second = panels.object(u"Item", {i4(2)});
    EXPECT_EQ(second.text(u"Text"), u"Panel 2");
    EXPECT_EQ(second.put(u"ToolTipText", str(u"second")), S_OK);
    EXPECT_EQ(w.panels[1]->toolTip(), QStringLiteral("second"));
}

TEST(ObjectBridge, ListViewsHaveRowsAndColumnHeaders) {
    SampleWindow w;
    w.lsvFiles->horizontalHeader()->resizeSection(1, 40);
    w.lsvFiles->model()->setHeaderData(2, Qt::Horizontal, QStringLiteral("120"), Qt::UserRole);
    const Object list = bridge(w.lsvFiles);
    EXPECT_EQ(list.number(u"View"), 3);
    EXPECT_EQ(list.object(u"ListItems").number(u"Count"), 2);
    const Object headers = list.object(u"ColumnHeaders");
    EXPECT_EQ(headers.number(u"Count"), 3);
    const Object size = headers.object(u"Item", {i4(2)});
    EXPECT_EQ(size.text(u"Text"), u"Size");
    EXPECT_EQ(size.number(u"Width"), 40);
    EXPECT_EQ(size.put(u"Width", i4(75)), S_OK);
    EXPECT_EQ(w.lsvFiles->horizontalHeader()->sectionSize(1), 75);
    EXPECT_EQ(list.object(u"ColumnHeaders", {i4(3)}).text(u"Tag"), u"120");
    EXPECT_EQ(size.put(u"Tag", str(u"60")), S_OK);
    EXPECT_EQ(size.text(u"Tag"), u"60");
    EXPECT_EQ(list.number(u"hwnd"), static_cast<LONG>(w.lsvFiles->winId()));

    w.lsvFiles->horizontalHeader()->hide();
    EXPECT_EQ(list.number(u"View"), 2);
    QListWidget icons;
    icons.setViewMode(QListView::IconMode);
    const Object iconList = bridge(&icons);
    EXPECT_EQ(iconList.number(u"View"), 0);
    EXPECT_EQ(iconList.object(u"ColumnHeaders").number(u"Count"), 0);
    // A column that went away with the model's columns is out of range.
    w.lsvFiles->setColumnCount(1);
    Var none;
    EXPECT_EQ(getMember(size.get(), u"Width", none.v), DISP_E_BADINDEX);
}

TEST(ObjectBridge, QtPropertiesAreMembersToo) {
    SampleWindow w;
    w.txtName->setProperty("Tag", QStringLiteral("note"));
    const Object edit = bridge(w.txtName);
    EXPECT_EQ(edit.text(u"objectname"), u"txtName");
    EXPECT_EQ(edit.number(u"maxLength"), w.txtName->maxLength());
    EXPECT_EQ(edit.put(u"maxLength", str(u"12")), S_OK);
    EXPECT_EQ(w.txtName->maxLength(), 12);
    EXPECT_EQ(edit.put(u"readOnly", boolean(true)), S_OK);
    EXPECT_TRUE(w.txtName->isReadOnly());
    EXPECT_EQ(edit.text(u"tag"), u"note");
    EXPECT_EQ(edit.put(u"TAG", str(u"changed")), S_OK);
    EXPECT_EQ(w.txtName->property("Tag").toString(), QStringLiteral("changed"));
    EXPECT_EQ(edit.put(u"maxLength", str(u"many")), DISP_E_TYPEMISMATCH);
    EXPECT_FALSE(edit.has(u"NoSuchMember"));
}

TEST(ObjectBridge, AGoneObjectAndAnotherThreadAreRefused) {
    EXPECT_EQ(TlvxQtObjectDispatch(nullptr, nullptr), E_POINTER);
    IDispatch* none = reinterpret_cast<IDispatch*>(0x10);
    EXPECT_EQ(TlvxQtObjectDispatch(nullptr, &none), E_POINTER);
    EXPECT_EQ(none, nullptr);

    auto window = std::make_unique<SampleWindow>();
    const Object edit = bridge(window->txtName);
    const Object headers = bridge(window->lsvFiles).object(u"ColumnHeaders");
    HRESULT elsewhere = S_OK;
    IDispatch* fromThread = reinterpret_cast<IDispatch*>(0x10);
    HRESULT bridgeElsewhere = S_OK;
    std::thread([&] {
        Var result;
        elsewhere = getMember(edit.get(), u"Name", result.v);
        bridgeElsewhere = TlvxQtObjectDispatch(window->txtName, &fromThread);
    }).join();
    EXPECT_EQ(elsewhere, RPC_E_WRONG_THREAD);
    EXPECT_EQ(bridgeElsewhere, RPC_E_WRONG_THREAD);
    EXPECT_EQ(fromThread, nullptr);

    window.reset();
    Var result;
    EXPECT_EQ(getMember(edit.get(), u"Name", result.v), CO_E_OBJNOTCONNECTED);
    EXPECT_EQ(getMember(headers.get(), u"Count", result.v), CO_E_OBJNOTCONNECTED);
    EXPECT_EQ(edit.put(u"Caption", str(u"x")), CO_E_OBJNOTCONNECTED);
}
