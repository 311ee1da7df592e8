#pragma once
// Calls by name. Each interface has one declarative table of its methods:
// name, dispatch id, parameters (name, automation type, by reference,
// optional with its default) and result type. The same table answers
// GetIDsOfNames and drives Invoke, which turns the caller's variants into
// the exact types the table declares and calls the method through its slot.
//
// A table entry is made by method<&Interface::Slot>(...), which checks at
// compile time that the declared parameters and result fit the slot's C++
// signature, so the table cannot drift from the interface. Tables are
// constant data: building them runs no code when the module loads.

#include <array>
#include <cstddef>
#include <cstdint>
#include <initializer_list>
#include <span>
#include <tuple>
#include <type_traits>
#include <utility>

#include "include/tallyvex/ole_types.h"

namespace tlvx::platform::automation {

// Dispatch ids are this plus the method's number in its interface.
inline constexpr DISPID kFirstDispId = 0x60030000;
inline constexpr std::size_t kMaxParameters = 6;

// One parameter as a caller by name sees it. `type` is the automation type
// the argument is coerced to: VT_BSTR, VT_I4 (Long and the enumerations),
// VT_I2, VT_BOOL, VT_VARIANT, VT_DISPATCH or VT_ARRAY | element type.
struct Parameter {
    const char16_t* name = nullptr;
    VARTYPE type = VT_EMPTY;
    bool byReference = false;
    bool optional = false;
    // What an omitted optional argument becomes: the text for a String,
    // the number for the numeric types (a Boolean is true when non-zero).
    // Without a stated default it is the empty value of the type.
    const char16_t* defaultText = nullptr;
    int32_t defaultNumber = 0;
};

constexpr Parameter byVal(const char16_t* name, VARTYPE type) {
    return {name, type, false, false};
}
constexpr Parameter byRef(const char16_t* name, VARTYPE type) {
    return {name, type, true, false};
}
constexpr Parameter optVal(const char16_t* name, VARTYPE type, int32_t number = 0) {
    return {name, type, false, true, nullptr, number};
}
constexpr Parameter optVal(const char16_t* name, VARTYPE type, const char16_t* text) {
    return {name, type, false, true, text, 0};
}
constexpr Parameter optRef(const char16_t* name, VARTYPE type, int32_t number = 0) {
    return {name, type, true, true, nullptr, number};
}

// Calls the slot. `values` holds one variant per C++ parameter of the slot,
// the result's included, each of exactly the type the table declares; the
// slot reads and writes them in place.
using SlotCall = HRESULT (*)(IDispatch* object, VARIANT* values) noexcept;

struct Method {
    const char16_t* name = nullptr;
    DISPID id = DISPID_UNKNOWN;
    std::array<Parameter, kMaxParameters> parameters{};
    std::size_t parameterCount = 0;
    VARTYPE result = VT_EMPTY;  // VT_EMPTY: the method has no result
    SlotCall call = nullptr;

    constexpr std::span<const Parameter> parameterList() const {
        return {parameters.data(), parameterCount};
    }
};

using DispatchTable = std::span<const Method>;

// GetIDsOfNames over a table: the method's name, then optionally its
// parameters' names (their ids are their positions), all without regard to
// letter case.
HRESULT idsOfNames(DispatchTable table, REFIID riid, LPOLESTR* names, UINT count,
                   DISPID* ids) noexcept;

// IDispatch::Invoke over a table, for `object`, which implements the
// table's interface.
HRESULT invoke(DispatchTable table, IDispatch* object, DISPID id, REFIID riid, WORD flags,
               DISPPARAMS* arguments, VARIANT* result, EXCEPINFO* exception,
               UINT* argumentError) noexcept;

// ---------------------------------------------------------------------------
// Building table entries

namespace detail {

template <class Slot>
struct SlotSignature;

template <class Interface, class... Arguments>
struct SlotSignature<HRESULT (Interface::*)(Arguments...) noexcept> {
    using Owner = Interface;
    using ArgumentTypes = std::tuple<Arguments...>;
    static constexpr std::size_t arity = sizeof...(Arguments);
};

template <class T>
constexpr bool isEnum32 = std::is_enum_v<T> && sizeof(T) == 4;

// Whether a C++ parameter of type T carries an argument declared as
// `type`, passed by reference or not.
template <class T>
constexpr bool carries(VARTYPE type, bool byReference) {
    using Pointee = std::remove_pointer_t<T>;
    if (byReference) {
        if constexpr (!std::is_pointer_v<T>) {
            return false;
        } else if constexpr (std::is_same_v<Pointee, BSTR>) {
            return type == VT_BSTR;
        } else if constexpr (std::is_same_v<Pointee, LONG> || isEnum32<Pointee>) {
            return type == VT_I4;
        } else if constexpr (std::is_same_v<Pointee, SHORT>) {  // VARIANT_BOOL too
            return type == VT_I2 || type == VT_BOOL;
        } else if constexpr (std::is_same_v<Pointee, IDispatch*>) {
            return type == VT_DISPATCH;
        } else if constexpr (std::is_same_v<Pointee, SAFEARRAY*>) {
            return (type & VT_ARRAY) != 0;
        } else {
            return false;
        }
    } else if constexpr (std::is_same_v<T, BSTR>) {
        return type == VT_BSTR;
    } else if constexpr (std::is_same_v<T, LONG> || isEnum32<T>) {
        return type == VT_I4;
    } else if constexpr (std::is_same_v<T, SHORT>) {
        return type == VT_I2 || type == VT_BOOL;
    } else if constexpr (std::is_same_v<T, VARIANT>) {
        return type == VT_VARIANT;
    } else if constexpr (std::is_same_v<T, SAFEARRAY*>) {
        return (type & VT_ARRAY) != 0;
    } else {
        return false;
    }
}

// How a C++ parameter reaches its prepared variant. done() copies what the
// slot left in a separate holder back into the variant.
template <class T>
struct Carrier;

struct InPlace {
    VARIANT& value;
    explicit InPlace(VARIANT& v) : value(v) {}
    void done() {}
};

template <>
struct Carrier<BSTR> : InPlace {
    using InPlace::InPlace;
    BSTR get() { return value.bstrVal; }
};
template <>
struct Carrier<BSTR*> : InPlace {
    using InPlace::InPlace;
    BSTR* get() { return &value.bstrVal; }
};
template <>
struct Carrier<LONG> : InPlace {
    using InPlace::InPlace;
    LONG get() { return value.lVal; }
};
template <>
struct Carrier<LONG*> : InPlace {
    using InPlace::InPlace;
    LONG* get() { return &value.lVal; }
};
template <>
struct Carrier<SHORT> : InPlace {
    using InPlace::InPlace;
    SHORT get() { return value.vt == VT_BOOL ? value.boolVal : value.iVal; }
};
template <>
struct Carrier<SHORT*> : InPlace {
    using InPlace::InPlace;
    SHORT* get() { return value.vt == VT_BOOL ? &value.boolVal : &value.iVal; }
};
template <>
struct Carrier<VARIANT> : InPlace {
    using InPlace::InPlace;
    VARIANT get() { return value; }  // the callee borrows it, as by-value variants go
};
template <>
struct Carrier<IDispatch**> : InPlace {
    using InPlace::InPlace;
    IDispatch** get() { return &value.pdispVal; }
};
template <>
struct Carrier<SAFEARRAY**> : InPlace {
    using InPlace::InPlace;
    SAFEARRAY** get() { return &value.parray; }
};
template <class E>
requires isEnum32<E>
struct Carrier<E> : InPlace {
    using InPlace::InPlace;
    E get() { return static_cast<E>(value.lVal); }
};
// An enumeration by reference gets a holder of its own type.
template <class E>
requires isEnum32<E>
struct Carrier<E*> {
    VARIANT& value;
    E held;
    explicit Carrier(VARIANT& v) : value(v), held(static_cast<E>(v.lVal)) {}
    E* get() { return &held; }
    void done() { value.lVal = static_cast<LONG>(held); }
};

template <auto Slot>
HRESULT callSlot(IDispatch* object, VARIANT* values) noexcept {
    using Signature = SlotSignature<decltype(Slot)>;
    auto* target = static_cast<typename Signature::Owner*>(object);
    return [&]<std::size_t... I>(std::index_sequence<I...>) {
        std::tuple<Carrier<std::tuple_element_t<I, typename Signature::ArgumentTypes>>...> carriers{
            values[I]...};
        const HRESULT hr = (target->*Slot)(std::get<I>(carriers).get()...);
        (std::get<I>(carriers).done(), ...);
        return hr;
    }
    (std::make_index_sequence<Signature::arity>{});
}

// Ends constant evaluation: the table entry does not fit its slot.
inline void tableEntryDoesNotMatchItsSlot() {}

}  // namespace detail

// The table entry of one method; `number` is the id the interface tables
// list (the dispatch id is kFirstDispId + number). A declaration that does
// not fit the slot's signature fails to compile.
template <auto Slot>
consteval Method method(const char16_t* name, int number, VARTYPE result,
                        std::initializer_list<Parameter> parameters = {}) {
    using Signature = detail::SlotSignature<decltype(Slot)>;
    Method entry;
    entry.name = name;
    entry.id = kFirstDispId + number;
    entry.result = result;
    entry.call = &detail::callSlot<Slot>;
    if (parameters.size() > kMaxParameters) detail::tableEntryDoesNotMatchItsSlot();
    for (const Parameter& parameter : parameters) {
        entry.parameters[entry.parameterCount++] = parameter;
    }
    const std::size_t expected = entry.parameterCount + (result == VT_EMPTY ? 0 : 1);
    if (expected != Signature::arity) detail::tableEntryDoesNotMatchItsSlot();
    const bool fits = [&]<std::size_t... I>(std::index_sequence<I...>) {
        bool all = true;
        (
            [&] {
                using T = std::tuple_element_t<I, typename Signature::ArgumentTypes>;
                if (I < entry.parameterCount) {
                    all = all && detail::carries<T>(entry.parameters[I].type,
                                                    entry.parameters[I].byReference);
                } else if constexpr (std::is_pointer_v<T>) {
                    all = all && detail::carries<std::remove_pointer_t<T>>(result, false);
                } else {
                    all = false;
                }
            }(),
            ...);
        return all;
    }
    (std::make_index_sequence<Signature::arity>{});
    if (!fits) detail::tableEntryDoesNotMatchItsSlot();
    return entry;
}

// Names are compared with ASCII letters folded: the tables hold ASCII
// names only, so no other character can match one of them in another case.
constexpr char16_t foldAscii(char16_t c) {
    return c >= u'a' && c <= u'z' ? static_cast<char16_t>(c - u'a' + u'A') : c;
}
constexpr bool sameName(const char16_t* a, const char16_t* b) {
    while (*a && foldAscii(*a) == foldAscii(*b)) ++a, ++b;
    return foldAscii(*a) == foldAscii(*b);
}

// A table is well formed when ids and names are unique (without regard to
// case), optional parameters come last and every parameter has a name.
consteval bool wellFormed(DispatchTable table) {
    for (std::size_t i = 0; i < table.size(); ++i) {
        bool optionalSeen = false;
        for (const Parameter& p : table[i].parameterList()) {
            if (!p.name || (optionalSeen && !p.optional)) return false;
            optionalSeen = optionalSeen || p.optional;
        }
        for (std::size_t j = i + 1; j < table.size(); ++j) {
            if (table[i].id == table[j].id || sameName(table[i].name, table[j].name)) return false;
        }
    }
    return true;
}

}  // namespace tlvx::platform::automation
