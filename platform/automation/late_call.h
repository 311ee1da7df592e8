#pragma once
// Calls on an automation object by member name, as a script or a Visual
// Basic client calls an object it knows only by its programmatic
// identifier: each call looks the name up (GetIDsOfNames) and invokes it.
// Also the conversions between bytes and byte arrays that such calls pass.

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "include/tallyvex/ole_types.h"

namespace tlvx::platform::automation {

// A variant that owns what it holds.
class OwnedVariant {
public:
    OwnedVariant() noexcept { VariantInit(&v_); }
    ~OwnedVariant() { VariantClear(&v_); }
    OwnedVariant(OwnedVariant&& other) noexcept : v_(other.v_) { VariantInit(&other.v_); }
    OwnedVariant& operator=(OwnedVariant&& other) noexcept {
        if (this != &other) {
            VariantClear(&v_);
            v_ = other.v_;
            VariantInit(&other.v_);
        }
        return *this;
    }
    OwnedVariant(const OwnedVariant&) = delete;

    static OwnedVariant text(std::u16string_view value);
    static OwnedVariant number(int32_t value);
    static OwnedVariant bytes(std::string_view value);
    static OwnedVariant boolean(bool value);

    VARIANT& get() noexcept { return v_; }
    const VARIANT& get() const noexcept { return v_; }

private:
    VARIANT v_;
};

// An argument list in call order: arguments(OwnedVariant::text(u"a"), ...).
template <class... Values>
std::vector<OwnedVariant> arguments(Values&&... values) {
    std::vector<OwnedVariant> list;
    list.reserve(sizeof...(values));
    (list.push_back(std::move(values)), ...);
    return list;
}

// The text of a String result (nullopt for any other type).
std::optional<std::u16string> textOf(const VARIANT& value);
// (A result as text or as a number: coercion.h.)
// The bytes of a byte array result (also behind a reference); an empty
// result for VT_NULL and VT_EMPTY; nullopt for any other type.
std::optional<std::string> bytesOf(const VARIANT& value);
// A new one-dimensional byte array, zero-based; null when memory runs out.
SAFEARRAY* byteArray(std::string_view bytes) noexcept;

class LateObject {
public:
    LateObject() = default;
    ~LateObject();
    LateObject(LateObject&& other) noexcept : object_(other.object_) { other.object_ = nullptr; }
    LateObject& operator=(LateObject&& other) noexcept;
    LateObject(const LateObject&) = delete;
    LateObject& operator=(const LateObject&) = delete;

    // A new object of the class with that programmatic identifier; empty
    // when it cannot be created.
    static LateObject create(std::u16string_view progId) noexcept;
    // Another reference to `object` (which may be null).
    static LateObject share(IDispatch* object) noexcept;
    // The object a result holds (also behind a reference); empty for any
    // other value.
    static LateObject of(const VARIANT& value) noexcept;

    explicit operator bool() const noexcept { return object_ != nullptr; }

    // A method call with arguments in call order; `result` receives what it
    // returns when given.
    HRESULT call(const char16_t* name, std::vector<OwnedVariant> arguments = {},
                 OwnedVariant* result = nullptr) noexcept;
    HRESULT put(const char16_t* name, OwnedVariant value) noexcept;
    HRESULT get(const char16_t* name, OwnedVariant& result) noexcept;
    // A property read with arguments ("Item", 1).
    HRESULT get(const char16_t* name, std::vector<OwnedVariant> arguments,
                OwnedVariant& result) noexcept;
    // Whether the object answers the interface `iid` (Basic's TypeOf).
    bool isA(REFIID iid) const noexcept;

private:
    HRESULT invoke(const char16_t* name, WORD flags, std::vector<OwnedVariant>& arguments,
                   OwnedVariant* result) noexcept;

    IDispatch* object_ = nullptr;
};

}  // namespace tlvx::platform::automation
