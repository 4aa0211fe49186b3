#include "core/message_box_layout.h"

#include <gtest/gtest.h>

namespace {

// Typical message font at 96 DPI: average letter width 7, height 15.
MessageBoxMeasures Measures(int textWidth, int textHeight, bool icon) {
    MessageBoxMeasures m;
    m.cx = 7;
    m.cy = 15;
    m.textWidth = textWidth;
    m.textHeight = textHeight;
    m.buttonCaptionWidth = 15;  // "OK"
    m.hasIcon = icon;
    return m;
}

}  // namespace

TEST(MessageBoxLayout, DialogUnitsRoundToTheNearestPixel) {
    // cx = 7: 8 units = 14, 10 = 17.5 -> 18, 50 = 87.5 -> 88; cy = 15: 8 = 15, 10 = 18.75 -> 19, 14 = 26.25 -> 26.
    const MessageBoxGeometry g = LayoutMessageBox(Measures(200, 15, false));
    EXPECT_EQ(g.text, (BoxRect{14, 15, 200, 15}));
    EXPECT_EQ(g.button.width, 88);
    EXPECT_EQ(g.button.height, 26);
    EXPECT_EQ(g.button.top, 15 + 15 + 19);
    EXPECT_EQ(g.clientWidth, 200 + 2 * 14);
    EXPECT_EQ(g.clientHeight, 15 + 26 + 19 + 2 * 15);
}

TEST(MessageBoxLayout, IconTakesItsPlaceAndAtLeast32PixelsOfHeight) {
    const MessageBoxGeometry g = LayoutMessageBox(Measures(120, 15, true));
    EXPECT_EQ(g.icon, (BoxRect{14, 15, 32, 32}));
    EXPECT_EQ(g.text.left, 14 + 32 + 18);
    EXPECT_EQ(g.text.height, 15);  // the label keeps its own height
    EXPECT_EQ(g.button.top, 32 + 15 + 19);
    EXPECT_EQ(g.clientWidth, 32 + 18 + 120 + 2 * 14);
    EXPECT_EQ(g.clientHeight, 32 + 26 + 19 + 2 * 15);

    const MessageBoxGeometry tall = LayoutMessageBox(Measures(120, 60, true));
    EXPECT_EQ(tall.button.top, 60 + 15 + 19);
}

TEST(MessageBoxLayout, ShortTextGivesNoNarrowerThanTheButtonRowAndMargins) {
    const MessageBoxGeometry g = LayoutMessageBox(Measures(10, 15, false));
    EXPECT_EQ(g.clientWidth, 88 + 2 * 14);
    EXPECT_EQ(g.button.left, 14);  // centred: the row fills the width between the margins

    const MessageBoxGeometry odd = LayoutMessageBox(Measures(101, 15, false));
    EXPECT_EQ(odd.button.left, (101 + 28 - 88) / 2);
}

TEST(MessageBoxLayout, WideCaptionWidensTheButton) {
    MessageBoxMeasures m = Measures(10, 15, false);
    m.buttonCaptionWidth = 100;
    EXPECT_EQ(LayoutMessageBox(m).button.width, 108);
}

TEST(MessageBoxLayout, MeasuresScaleWithTheFont) {
    MessageBoxMeasures m = Measures(10, 20, false);
    m.cx = 14;  // a font twice as wide, as at 192 DPI
    m.cy = 30;
    const MessageBoxGeometry g = LayoutMessageBox(m);
    EXPECT_EQ(g.button.width, 175);  // 50 * 14 / 4 = 175
    EXPECT_EQ(g.button.height, 53);  // 14 * 30 / 8 = 52.5 -> 53
    EXPECT_EQ(g.text.left, 28);
}

TEST(MessageBoxClipboardText, FramesCaptionMessageAndButtons) {
    const std::string divider = "---------------------------\r\n";
    EXPECT_EQ(MessageBoxClipboardText("Warning", "Program is already Running! Please check in Systray", "OK"),
              divider + "Warning\r\n" + divider +
                  "Program is already Running! Please check in Systray\r\n" + divider + "OK   \r\n" +
                  divider);
}

TEST(MessageBoxClipboardText, RemovesAccessKeyMarksAndKeepsEmptyCaption) {
    const std::string divider = "---------------------------\r\n";
    EXPECT_EQ(MessageBoxClipboardText("", "two\r\nlines", "&O&K"),
              divider + "\r\n" + divider + "two\r\nlines\r\n" + divider + "OK   \r\n" + divider);
}
