#pragma once
// The common part of the library's five classes: the platform's COM object
// (reference counting, QueryInterface, IDispatch over the class's dispatch
// table) with ISupportErrorInfo and the module's life. A class derives as
//
//     class TxtFileObject final : public ComObject<_TxtFile, IID__TxtFile, TxtFileObject>
//
// and provides `static const DispatchTable dispatchTable`. Objects are made
// only by create() and end when their last reference is released; while any
// lives, the module stays loaded (ModuleLife).
//
// Every method of the interface is one call of answer, fillResult or
// perform: each opens the call (a reference to the object held until it
// returns, no error information left from earlier calls), refuses missing
// pointers with E_POINTER and turns what its body throws into the status
// (hresultOf).

#include <concepts>
#include <type_traits>
#include <utility>

#include "include/tallyvex/ole_types.h"
#include "library/frame/module_life.h"
#include "platform/automation/com_object.h"
#include "platform/automation/method_call.h"

namespace tlvx::library::frame {

// The class's interface, given out for IUnknown, IDispatch and its own
// identifier.
template <class I, const IID& id>
struct ClassInterface {
    using Interface = I;
    static bool answers(REFIID riid) noexcept {
        return riid == IID_IUnknown || riid == IID_IDispatch || riid == id;
    }
};

template <class Interface, const IID& id, class Derived>
class ComObject : public platform::automation::DispatchObject<
                      Derived, platform::automation::HeapLife, ClassInterface<Interface, id>,
                      platform::automation::Answers<ISupportErrorInfo, IID_ISupportErrorInfo>> {
public:
    static constexpr const IID& interfaceId = id;

    HRESULT InterfaceSupportsErrorInfo(REFIID riid) noexcept override {
        return riid == interfaceId ? S_OK : S_FALSE;
    }

protected:
    ComObject() noexcept { objectCreated(); }
    ~ComObject() { objectDestroyed(); }

    // A method with a result. A missing result is refused; otherwise it
    // gets its empty value (a null string, 0, VARIANT_FALSE, no array)
    // before the other pointer arguments are checked (`argumentsGiven`)
    // and keeps it unless the body gives another: a text through putText
    // (a real string, never a null BSTR), a bool as VARIANT_BOOL, a number
    // as it is.
    template <class Out, class Body>
    HRESULT answer(Out* result, bool argumentsGiven, Body&& body) noexcept {
        return fillResult(result, argumentsGiven, [&] { return store(result, body()); });
    }
    template <class Out, class Body>
    HRESULT answer(Out* result, Body&& body) noexcept {
        return answer(result, true, std::forward<Body>(body));
    }

    // Like answer, for a body that fills the result itself and returns the
    // status.
    template <class Out, class Body>
    HRESULT fillResult(Out* result, bool argumentsGiven, Body&& body) noexcept {
        const auto call = enterCall();
        if (!result) return E_POINTER;
        *result = Out{};
        if (!argumentsGiven) return E_POINTER;
        return platform::automation::hresultOf(body);
    }
    template <class Out, class Body>
    HRESULT fillResult(Out* result, Body&& body) noexcept {
        return fillResult(result, true, std::forward<Body>(body));
    }

    // A method without a result: the body returns nothing (S_OK) or the
    // status.
    template <class Body>
    HRESULT perform(bool argumentsGiven, Body&& body) noexcept {
        const auto call = enterCall();
        if (!argumentsGiven) return E_POINTER;
        return platform::automation::hresultOf([&] {
            if constexpr (std::is_void_v<std::invoke_result_t<Body&>>) {
                body();
                return S_OK;
            } else {
                static_assert(std::same_as<std::invoke_result_t<Body&>, HRESULT>);
                return body();
            }
        });
    }
    template <class Body>
    HRESULT perform(Body&& body) noexcept {
        return perform(true, std::forward<Body>(body));
    }

private:
    // Holds a reference to the object until the call returns and clears
    // the thread's error information.
    [[nodiscard]] platform::automation::MethodCall enterCall() noexcept {
        return platform::automation::MethodCall(static_cast<Interface*>(this));
    }

    template <class Out, class Value>
    static HRESULT store(Out* result, const Value& value) noexcept {
        if constexpr (std::same_as<Out, BSTR>) {
            return platform::automation::putText(result, value);
        } else if constexpr (std::same_as<Value, bool>) {
            static_assert(std::same_as<Out, VARIANT_BOOL>);
            *result = platform::automation::boolean(value);
            return S_OK;
        } else {
            *result = value;
            return S_OK;
        }
    }
};

}  // namespace tlvx::library::frame
