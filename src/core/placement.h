// Where the program's windows appear: just above the notification area, at
// its right end, and never outside the work area of the monitor it is on.
// Portable so the arithmetic can be tested without Windows.
#pragma once

// Screen coordinates; right and bottom are exclusive, as in a Win32 RECT.
struct ScreenRect {
    int left = 0, top = 0, right = 0, bottom = 0;
    bool operator==(const ScreenRect&) const = default;
};

struct ScreenPoint {
    int x = 0, y = 0;
    bool operator==(const ScreenPoint&) const = default;
};

// Top-left corner for a window of outer size width x height: its bottom edge
// on the top of `tray`, its right edge on the right of `tray`, then moved the
// least distance that keeps it wholly inside `workArea`. A window wider or
// taller than the work area is aligned with the work area's left or top edge.
ScreenPoint PlaceAboveNotificationArea(const ScreenRect& tray, int width, int height,
                                       const ScreenRect& workArea);

// The top-left corner `at` of a window of outer size width x height, moved
// the least distance that keeps it wholly inside `workArea`, by the same rule.
ScreenPoint KeepInsideWorkArea(ScreenPoint at, int width, int height, const ScreenRect& workArea);

// The shell reports no notification area as the zero rectangle.
bool IsZeroRect(const ScreenRect& rect);

// Stands in for a missing notification area: the empty rectangle at the
// bottom-right corner of the work area.
ScreenRect BottomRightCorner(const ScreenRect& workArea);
