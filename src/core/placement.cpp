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

// The corner (x, y) of a window of the size kept inside the work area. A
// negative size would let the result escape it.
ScreenPoint KeepCornerInside(std::int64_t x, std::int64_t y, int width, int height, const ScreenRect& workArea) {
    const std::int64_t w = std::max(width, 0);
    const std::int64_t h = std::max(height, 0);
    return {KeepInside(x, w, workArea.left, workArea.right), KeepInside(y, h, workArea.top, workArea.bottom)};
}

}  // namespace

ScreenPoint PlaceAboveNotificationArea(const ScreenRect& tray, int width, int height,
                                       const ScreenRect& workArea) {
    return KeepCornerInside(std::int64_t{tray.right} - std::max(width, 0), std::int64_t{tray.top} - std::max(height, 0),
                            width, height, workArea);
}

ScreenPoint KeepInsideWorkArea(ScreenPoint at, int width, int height, const ScreenRect& workArea) {
    return KeepCornerInside(at.x, at.y, width, height, workArea);
}

bool IsZeroRect(const ScreenRect& rect) { return rect == ScreenRect{}; }

ScreenRect BottomRightCorner(const ScreenRect& workArea) {
    return {workArea.right, workArea.bottom, workArea.right, workArea.bottom};
}
