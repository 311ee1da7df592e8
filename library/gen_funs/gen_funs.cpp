#include "library/gen_funs/gen_funs.h"

#include <array>
#include <filesystem>
#include <system_error>

#include "library/frame/continue_on_error.h"
#include "platform/files/shortcut_target.h"
#include "platform/registry/registry_store.h"
#include "platform/registry/system_environment.h"

namespace tlvx::library {
namespace {

constexpr std::array<const char16_t*, 7> kWeekdays = {u"Sun", u"Mon", u"Tue", u"Wed",
                                                      u"Thu", u"Fri", u"Sat"};
constexpr std::array<const char16_t*, 12> kMonths = {
    u"Jan", u"Feb", u"Mar", u"Apr", u"May", u"Jun", u"Jul", u"Aug", u"Sep", u"Oct", u"Nov", u"Dec"};

template <std::size_t N>
std::u16string entry(const std::array<const char16_t*, N>& table, int16_t number) {
    if (number < 1 || static_cast<std::size_t>(number) > N) return {};
    return table[static_cast<std::size_t>(number) - 1];
}

void appendHexByte(std::u16string& text, int32_t byte) {
    constexpr char16_t kDigits[] = u"0123456789ABCDEF";
    text += kDigits[(byte >> 4) & 0xF];
    text += kDigits[byte & 0xF];
}

// Compares `target` with each element in turn; the element type of the
// array is that of its elements, read in place.
bool holdsEqual(const VARIANT& target, SAFEARRAY* list) {
    VARTYPE type = VT_EMPTY;
    if (!list || SafeArrayGetDim(list) != 1 || FAILED(SafeArrayGetVartype(list, &type))) {
        return false;
    }
    LONG lower = 0, upper = -1;
    if (FAILED(SafeArrayGetLBound(list, 1, &lower)) || FAILED(SafeArrayGetUBound(list, 1, &upper)))
        return false;
    const ULONG size = SafeArrayGetElemsize(list);
    void* data = nullptr;
    if (upper < lower || FAILED(SafeArrayAccessData(list, &data))) return false;
    VARIANT left = target;
    bool found = false;
    for (LONG i = 0; !found && i <= upper - lower; ++i) {
        void* element = static_cast<char*>(data) + static_cast<std::size_t>(i) * size;
        VARIANT right;
        right.vt = static_cast<VARTYPE>(VT_BYREF | type);
        right.byref = element;
        found = VarCmp(&left, &right, LOCALE_USER_DEFAULT, 0) == VARCMP_EQ;
    }
    SafeArrayUnaccessData(list);
    return found;
}

}  // namespace

std::u16string GenFuns::LongToHTMLColor(int32_t color) noexcept {
    return continueOnError(std::u16string(), [&] {
        // Division truncates toward zero, as the integer division of Basic.
        std::u16string text = u"#";
        appendHexByte(text, color & 0xFF);
        appendHexByte(text, (color / 256) & 0xFF);
        appendHexByte(text, (color / 65536) & 0xFF);
        return text;
    });
}

std::u16string GenFuns::GetEnglishWeekday(int16_t weekSN) noexcept {
    return continueOnError(std::u16string(), [&] { return entry(kWeekdays, weekSN); });
}

std::u16string GenFuns::GetEnglishShortMonth(int16_t monthSN) noexcept {
    return continueOnError(std::u16string(), [&] { return entry(kMonths, monthSN); });
}

bool GenFuns::InVar(const VARIANT& target, SAFEARRAY* varList) noexcept {
    return continueOnError(false, [&] { return holdsEqual(target, varList); });
}

bool GenFuns::CheckShortcut(const std::u16string& shortcut) noexcept {
    return continueOnError(false, [&] {
        const auto target = platform::shortcuts::shortcutTarget(shortcut);
        std::error_code ec;
        return target && std::filesystem::exists(*target, ec);
    });
}

std::u16string GenFuns::GetSysTempPath() noexcept {
    return continueOnError(std::u16string(), [&] {
        const auto value = platform::RegistryStore().getValue(
            platform::regroot::LocalMachine, platform::sysenv::kEnvironmentKey, u"TMP");
        const std::u16string text = value ? value->toString().value_or(u"") : std::u16string();
        return platform::sysenv::expandStrings(text);
    });
}

}  // namespace tlvx::library
