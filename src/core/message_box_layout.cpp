#include "core/message_box_layout.h"

#include <algorithm>

namespace {

// n units of size (unitPixels / divisor), to the nearest pixel; halves round up.
int Units(int n, int unitPixels, int divisor) {
    return (2 * n * unitPixels + divisor) / (2 * divisor);
}

}  // namespace

MessageBoxGeometry LayoutMessageBox(const MessageBoxMeasures& m) {
    auto horizontal = [&](int n) { return Units(n, m.cx, 4); };
    auto vertical = [&](int n) { return Units(n, m.cy, 8); };
    const int marginX = horizontal(8), marginY = vertical(8);
    const int iconGap = horizontal(10), textToButtons = vertical(10);
    const int buttonWidth = std::max(horizontal(50), m.buttonCaptionWidth + 8);
    const int buttonHeight = vertical(14);

    const int textHeight = m.hasIcon ? std::max(m.textHeight, kMessageBoxIconSize) : m.textHeight;
    const int textLeft = marginX + (m.hasIcon ? kMessageBoxIconSize + iconGap : 0);
    const int contentWidth = std::max(textLeft - marginX + m.textWidth, buttonWidth);

    MessageBoxGeometry g;
    g.clientWidth = contentWidth + 2 * marginX;
    g.clientHeight = textHeight + buttonHeight + textToButtons + 2 * marginY;
    if (m.hasIcon) g.icon = {marginX, marginY, kMessageBoxIconSize, kMessageBoxIconSize};
    g.text = {textLeft, marginY, m.textWidth, m.textHeight};
    g.button = {(g.clientWidth - buttonWidth) / 2, textHeight + marginY + textToButtons, buttonWidth,
                buttonHeight};
    return g;
}

std::string MessageBoxClipboardText(std::string_view caption, std::string_view message,
                                    std::string_view buttonCaption) {
    const std::string divider(27, '-');
    std::string buttons;
    for (char c : buttonCaption)
        if (c != '&') buttons += c;
    buttons += "   ";
    std::string text;
    for (std::string_view line : {std::string_view(divider), caption, std::string_view(divider),
                                  message, std::string_view(divider), std::string_view(buttons),
                                  std::string_view(divider)}) {
        text += line;
        text += "\r\n";
    }
    return text;
}
