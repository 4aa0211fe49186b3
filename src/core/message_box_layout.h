// Geometry and clipboard text of the program's own message boxes (warning,
// error, plain). Measures are in dialog units of the message font: one
// horizontal unit is cx/4 pixels, one vertical unit cy/8, where cx is the
// average width of the 52 letters A-Z a-z (integer division) and cy their
// height. Every measure is rounded to the nearest pixel.
#pragma once

#include <string>
#include <string_view>

struct BoxRect {
    int left = 0, top = 0, width = 0, height = 0;
    bool operator==(const BoxRect&) const = default;
};

struct MessageBoxGeometry {
    int clientWidth = 0, clientHeight = 0;
    BoxRect icon;  // empty when the box has no icon
    BoxRect text;
    BoxRect button;
};

struct MessageBoxMeasures {
    int cx = 0, cy = 0;          // from the message font
    int textWidth = 0;           // the laid-out text block
    int textHeight = 0;
    int buttonCaptionWidth = 0;  // the widest button caption on one line
    bool hasIcon = false;
};

constexpr int kMessageBoxIconSize = 32;

MessageBoxGeometry LayoutMessageBox(const MessageBoxMeasures& measures);

// The text Ctrl+C puts on the clipboard: dividers of 27 hyphens around the
// caption, the message and the button captions (each followed by three blanks,
// "&" removed), every line ended by CR LF.
std::string MessageBoxClipboardText(std::string_view caption, std::string_view message,
                                    std::string_view buttonCaption);
