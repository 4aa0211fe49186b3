#include "core/placement.h"

#include <algorithm>
#include <cstdint>

namespace {

// One axis: `start` is where the plain rule puts the window's leading edge.
// Worked in 64 bits so that extreme coordinates and sizes cannot overflow;
// the result lies between low and max(low, high - size), so it fits an int.
int KeepInside(std::int64_t start, std::int64_t size, std::int64_t low, std::int64_t high) {
    if (start + size > high) start = high - size;
    if (start < low) start = low;  // too big to fit: the leading edge wins
    return static_cast<int>(start);
}

}  // namespace

ScreenPoint PlaceAboveNotificationArea(const ScreenRect& tray, int width, int height,
                                       const ScreenRect& workArea) {
    // A negative size would let the result escape the work area.
    const std::int64_t w = std::max(width, 0);
    const std::int64_t h = std::max(height, 0);
    return {KeepInside(std::int64_t{tray.right} - w, w, workArea.left, workArea.right),
            KeepInside(std::int64_t{tray.top} - h, h, workArea.top, workArea.bottom)};
}

bool IsZeroRect(const ScreenRect& rect) { return rect == ScreenRect{}; }

ScreenRect BottomRightCorner(const ScreenRect& workArea) {
    return {workArea.right, workArea.bottom, workArea.right, workArea.bottom};
}
