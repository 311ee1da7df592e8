#pragma once
// The colouring of a list view's column header that APIFuns'
// SetLVHeaderColor starts and stops. One view at a time per thread: a
// second start before the stop is refused (the first view keeps its
// colours), and a stop ends the colouring of the view that was started,
// whatever handle it is given.

#include <cstdint>

namespace tlvx::library {

// `setUnset` true: the header of the view `handle` gets background
// `bgColor` and text colour `foreColor` (0x00BBGGRR). False: it gets its
// own colours back.
void setListViewHeaderColour(int32_t handle, bool setUnset, int32_t bgColor,
                             int32_t foreColor) noexcept;

}  // namespace tlvx::library
