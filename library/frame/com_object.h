#pragma once
// The common part of the library's five classes: the platform's COM object
// (reference counting, QueryInterface, IDispatch over the class's dispatch
// table) with ISupportErrorInfo and the module's life. A class derives as
//
//     class TxtFileObject final : public ComObject<_TxtFile, TxtFileObject>
//
// and provides `static constexpr const IID& interfaceId` and
// `static const DispatchTable dispatchTable`. Objects are made only by
// create() and end when their last reference is released; while any lives,
// the module stays loaded (ModuleLife).

#include "include/tallyvex/ole_types.h"
#include "library/frame/module_life.h"
#include "platform/automation/com_object.h"
#include "platform/automation/method_call.h"

namespace tlvx::library::frame {

// The class's interface, given out for IUnknown, IDispatch and its own
// identifier.
template <class I, class Derived>
struct ClassInterface {
    using Interface = I;
    static bool answers(REFIID riid) noexcept {
        return riid == IID_IUnknown || riid == IID_IDispatch || riid == Derived::interfaceId;
    }
};

template <class Interface, class Derived>
class ComObject : public platform::automation::DispatchObject<
                      Derived, platform::automation::HeapLife, ClassInterface<Interface, Derived>,
                      platform::automation::Answers<ISupportErrorInfo, IID_ISupportErrorInfo>> {
public:
    HRESULT InterfaceSupportsErrorInfo(REFIID riid) noexcept override {
        return riid == Derived::interfaceId ? S_OK : S_FALSE;
    }

protected:
    ComObject() noexcept { objectCreated(); }
    ~ComObject() { objectDestroyed(); }

    // Opens a method call: holds a reference to the object until the call
    // returns. Every method of the interface begins with it.
    [[nodiscard]] platform::automation::MethodCall enterCall() noexcept {
        return platform::automation::MethodCall(static_cast<Interface*>(this));
    }
};

}  // namespace tlvx::library::frame
