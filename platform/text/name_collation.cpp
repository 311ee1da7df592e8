#include "platform/text/name_collation.h"

#include <unicode/ucol.h>

#include <climits>
#include <cstdint>
#include <memory>

#include "platform/text/unicode_text.h"

namespace tlvx::platform::collation {
namespace {

struct CollatorCloser {
    void operator()(UCollator* collator) const { ucol_close(collator); }
};
using Collator = std::unique_ptr<UCollator, CollatorCloser>;

Collator openRootCollator() {
    UErrorCode status = U_ZERO_ERROR;
    Collator collator(ucol_open("", &status));
    if (U_FAILURE(status)) return nullptr;
    ucol_setStrength(collator.get(), UCOL_SECONDARY);
    return collator;
}

// One collator per thread: comparing never waits for another thread.
UCollator* threadCollator() {
    thread_local Collator collator = openRootCollator();
    return collator.get();
}

// Used only when the collation data cannot be opened: the texts' code
// points, letter case ignored.
int fallbackCompare(std::string_view a, std::string_view b) {
    return unicode::compareIgnoringCase(a, b);
}

}  // namespace

int compareNames(std::string_view utf8a, std::string_view utf8b) {
    UCollator* collator = threadCollator();
    if (!collator || utf8a.size() > INT32_MAX || utf8b.size() > INT32_MAX)
        return fallbackCompare(utf8a, utf8b);
    UErrorCode status = U_ZERO_ERROR;
    const UCollationResult result =
        ucol_strcollUTF8(collator, utf8a.data(), static_cast<int32_t>(utf8a.size()), utf8b.data(),
                         static_cast<int32_t>(utf8b.size()), &status);
    if (U_FAILURE(status)) return fallbackCompare(utf8a, utf8b);
    return result == UCOL_LESS ? -1 : result == UCOL_GREATER ? 1 : 0;
}

}  // namespace tlvx::platform::collation
