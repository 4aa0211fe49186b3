#include "core/placement.h"

#include <gtest/gtest.h>

#include <climits>

namespace {

// A 1920x1080 primary monitor with a 40-pixel taskbar; windows are 300x200.
constexpr ScreenRect kWorkBelowTaskbarTop{0, 40, 1920, 1080};
constexpr ScreenRect kWorkAboveTaskbarBottom{0, 0, 1920, 1040};

struct Case {
    const char* name;
    ScreenRect tray;
    int width, height;
    ScreenRect workArea;
    ScreenPoint expected;
};

const Case kCases[] = {
    {"taskbar at the bottom: the plain rule", {1700, 1040, 1880, 1080}, 300, 200, kWorkAboveTaskbarBottom, {1580, 840}},
    {"notification area inset below the work area: lifted onto it", {1700, 1042, 1880, 1078}, 300, 200,
     kWorkAboveTaskbarBottom, {1580, 840}},
    {"taskbar at the top: pushed down into the work area", {1700, 2, 1880, 38}, 300, 200, kWorkBelowTaskbarTop, {1580, 40}},
    {"taskbar on the left: pushed right", {2, 900, 58, 1070}, 300, 200, {60, 0, 1920, 1080}, {60, 700}},
    {"taskbar on the right: pushed left", {1862, 900, 1918, 1070}, 300, 200, {0, 0, 1860, 1080}, {1560, 700}},
    {"no notification area: bottom-right corner", BottomRightCorner(kWorkAboveTaskbarBottom), 300, 200,
     kWorkAboveTaskbarBottom, {1620, 840}},
    {"no notification area, taskbar at the top", BottomRightCorner(kWorkBelowTaskbarTop), 300, 200,
     kWorkBelowTaskbarTop, {1620, 880}},
    {"larger than the work area: left and top edges aligned", {1700, 1040, 1880, 1080}, 2000, 1200,
     kWorkAboveTaskbarBottom, {0, 0}},
    {"monitor left of the primary, taskbar at the bottom", {-220, 984, -20, 1024}, 300, 200, {-1280, 0, 0, 984},
     {-320, 784}},
    {"monitor left of the primary, taskbar on the right", {-58, 800, -2, 1020}, 300, 200, {-1280, 0, -60, 1024},
     {-360, 600}},
    {"extreme coordinates do not overflow", {0, INT_MIN, INT_MAX, INT_MIN}, INT_MAX, INT_MAX,
     {INT_MIN, INT_MIN, INT_MAX, INT_MAX}, {0, INT_MIN}},
};

}  // namespace

TEST(Placement, AboveTheNotificationAreaInsideTheWorkArea) {
    for (const Case& c : kCases) {
        SCOPED_TRACE(c.name);
        EXPECT_EQ(PlaceAboveNotificationArea(c.tray, c.width, c.height, c.workArea), c.expected);
    }
}

TEST(Placement, OnlyTheZeroRectangleMeansNoNotificationArea) {
    EXPECT_TRUE(IsZeroRect({}));
    EXPECT_FALSE(IsZeroRect(BottomRightCorner(kWorkAboveTaskbarBottom)));  // empty, yet a real place
    EXPECT_FALSE(IsZeroRect({0, 0, 0, 1}));
}

TEST(Placement, AnyCornerIsKeptInsideTheWorkArea) {
    EXPECT_EQ(KeepInsideWorkArea({100, 100}, 300, 200, kWorkAboveTaskbarBottom), (ScreenPoint{100, 100}));
    EXPECT_EQ(KeepInsideWorkArea({1800, -50}, 300, 200, kWorkAboveTaskbarBottom), (ScreenPoint{1620, 0}));
    EXPECT_EQ(KeepInsideWorkArea({INT_MAX, INT_MIN}, INT_MAX, -5, kWorkBelowTaskbarTop), (ScreenPoint{0, 40}));
}
