// The window methods of GenFuns: captions and tool tips from INI files, and
// list column widths. They call the caller's window objects late, by member
// name; a member an object lacks, or a call that fails, passes that step
// over and the method goes on with the next.

#include <functional>
#include <set>
#include <string>
#include <vector>

#include "library/api_funs/api_funs.h"
#include "library/frame/continue_on_error.h"
#include "library/frame/module_path.h"
#include "library/gen_funs/gen_funs.h"
#include "platform/automation/coercion.h"
#include "platform/automation/control_kinds.h"
#include "platform/automation/late_call.h"
#include "platform/files/file_system.h"
#include "platform/text/unicode_text.h"

namespace tlvx::library {
namespace {

using namespace platform::automation;

std::optional<std::u16string> textProperty(LateObject& object, const char16_t* name) {
    OwnedVariant value;
    if (FAILED(object.get(name, value))) return std::nullopt;
    return variantToText(value.get());
}

std::optional<int32_t> numberProperty(LateObject& object, const char16_t* name) {
    OwnedVariant value;
    if (FAILED(object.get(name, value))) return std::nullopt;
    return variantToNumber(value.get());
}

LateObject objectProperty(LateObject& object, const char16_t* name) {
    OwnedVariant value;
    if (FAILED(object.get(name, value))) return {};
    return LateObject::of(value.get());
}

int32_t countOf(LateObject& collection) {
    return collection ? numberProperty(collection, u"Count").value_or(0) : 0;
}

LateObject itemOf(LateObject& collection, int32_t index) {
    OwnedVariant value;
    if (FAILED(collection.get(u"Item", platform::automation::arguments(OwnedVariant::number(index)),
                              value))) {
        return {};
    }
    return LateObject::of(value.get());
}

std::u16string decimal(int32_t number) {
    return platform::unicode::utf8ToUtf16(std::to_string(number));
}

// A control's key in the files: its name, and for a member of a control
// array its index in parentheses ("sbt(3)").
std::optional<std::u16string> keyOf(LateObject& control) {
    auto name = textProperty(control, u"Name");
    if (!name) return std::nullopt;
    if (const auto index = numberProperty(control, u"Index")) {
        *name += u"(" + decimal(*index) + u")";
    }
    return name;
}

// The file the caller names when it exists, else `fallback` beside the
// library.
std::u16string textsFile(const std::u16string& given, const char* fallback) {
    if (!given.empty() && platform::fso::fileExists(given)) return given;
    return platform::unicode::utf8ToUtf16((modulePath().parent_path() / fallback).string());
}

// Runs `step` for each control of the form, in the order of its Controls
// collection (items numbered from 0). A step that fails ends only itself.
void forEachControl(LateObject& form, const std::function<void(LateObject&)>& step) {
    LateObject controls = objectProperty(form, u"Controls");
    const int32_t count = countOf(controls);
    for (int32_t i = 0; i < count; ++i) {
        LateObject control = itemOf(controls, i);
        if (control) continueOnError([&] { step(control); });
    }
}

// Sets the tool tips of a toolbar's buttons or a status bar's panels
// (numbered from 1) from the keys "NAME.Buttons(i)" / "NAME.Panels(i)". An
// item with a name of its own (a panel widget that is also a control of the
// form) takes its own key only where its bar's key has no text: the bar's
// key wins. The keys of such named items go to `decided`, so that the
// control step leaves them alone.
void setItemTips(LateObject& bar, const char16_t* collectionName, APIFuns& api,
                 const std::u16string& file, const std::u16string& section,
                 std::set<std::u16string>& decided) {
    const std::u16string name = textProperty(bar, u"Name").value_or(u"");
    LateObject items = objectProperty(bar, collectionName);
    const int32_t count = countOf(items);
    for (int32_t i = 1; i <= count; ++i) {
        continueOnError([&] {
            LateObject item = itemOf(items, i);
            if (!item) return;
            const std::u16string key = name + u"." + collectionName + u"(" + decimal(i) + u")";
            std::u16string tip = api.ReadIni(file, section, key);
            if (const auto own = keyOf(item)) {
                if (tip.empty()) tip = api.ReadIni(file, section, *own);
                decided.insert(*own);
            }
            item.put(u"ToolTipText", OwnedVariant::text(tip));
        });
    }
}

}  // namespace

void GenFuns::SetMenuCaption(IDispatch* target, const std::u16string& menusFile) noexcept {
    continueOnError([&] {
        const std::u16string file = textsFile(menusFile, "menus.dll");
        LateObject form = LateObject::share(target);
        const auto section = textProperty(form, u"Name");
        if (!section) return;
        APIFuns api;
        forEachControl(form, [&](LateObject& control) {
            if (!control.isA(IID_TlvxMenuItem)) return;
            const auto key = keyOf(control);
            if (!key) return;
            // An item without a value keeps its caption.
            const std::u16string caption = api.ReadIni(file, *section, *key);
            if (!caption.empty()) control.put(u"Caption", OwnedVariant::text(caption));
        });
    });
}

void GenFuns::SetTip(IDispatch* target, const std::u16string& tipsFile) noexcept {
    continueOnError([&] {
        const std::u16string file = textsFile(tipsFile, "tips.dll");
        LateObject form = LateObject::share(target);
        const auto section = textProperty(form, u"Name");
        if (!section) return;
        APIFuns api;
        // The bars' items first, whatever the order of the controls: a
        // named item is decided there.
        std::set<std::u16string> decided;
        forEachControl(form, [&](LateObject& control) {
            if (control.isA(IID_TlvxToolbar))
                setItemTips(control, u"Buttons", api, file, *section, decided);
            if (control.isA(IID_TlvxStatusBar))
                setItemTips(control, u"Panels", api, file, *section, decided);
        });
        forEachControl(form, [&](LateObject& control) {
            // A tip without a value is cleared.
            const auto key = keyOf(control);
            if (key && !decided.contains(*key)) {
                control.put(u"ToolTipText", OwnedVariant::text(api.ReadIni(file, *section, *key)));
            }
        });
    });
}

void GenFuns::AdjListColWid(IDispatch* target) noexcept {
    continueOnError([&] {
        constexpr int32_t kReportView = 3;
        LateObject list = LateObject::share(target);
        if (numberProperty(list, u"View") != kReportView) return;
        LateObject rows = objectProperty(list, u"ListItems");
        if (countOf(rows) < 1) return;
        LateObject headers = objectProperty(list, u"ColumnHeaders");
        const int32_t columns = countOf(headers);
        const int32_t handle = numberProperty(list, u"hwnd").value_or(0);
        APIFuns api;
        for (int32_t i = 1; i <= columns; ++i) {
            continueOnError([&] {
                // Set the column width: -1 fits it to the items.
                constexpr int32_t kSetColumnWidth = 0x101E;
                api.SendMsg(handle, kSetColumnWidth, i - 1,
                            platform::desktop::MessageParam::ofNumber(-1));
                LateObject header = itemOf(headers, i);
                // The Tag holds the column's least width; one that is no
                // 16-bit number leaves the fitted width.
                const auto least = numberProperty(header, u"Tag");
                const auto width = numberProperty(header, u"Width");
                if (!least || *least < INT16_MIN || *least > INT16_MAX || !width) return;
                if (*width < *least) header.put(u"Width", OwnedVariant::number(*least));
            });
        }
    });
}

}  // namespace tlvx::library
