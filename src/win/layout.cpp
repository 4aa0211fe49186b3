#include "win/layout.h"

#include "win/window.h"
#include "win/window_text.h"

void CreateControls(HWND parent, std::span<const ControlLayout> controls) {
    for (const ControlLayout& control : controls) {
        const HWND child = CreateWindowExA(
            control.exStyle, control.windowClass, control.caption,
            WS_CHILD | WS_VISIBLE | (control.tabStop ? WS_TABSTOP : 0) | control.style, control.left, control.top,
            control.width, control.height, parent, reinterpret_cast<HMENU>(static_cast<INT_PTR>(control.id)),
            GetModuleHandleA(nullptr), nullptr);
        if (child && (control.accessible.name || control.accessible.role)) Annotate(child, control.accessible);
    }
}

void SizeLabelToText(HWND label) {
    const std::string text = WindowText(label);
    const WindowDc dc(label);
    const SelectedObject font(dc.Get(), reinterpret_cast<HFONT>(SendMessageA(label, WM_GETFONT, 0, 0)));
    RECT box{};
    if (text.empty()) {
        TEXTMETRICA metrics{};
        GetTextMetricsA(dc.Get(), &metrics);
        box.bottom = metrics.tmHeight;
    } else {
        const bool noPrefix = GetWindowLongPtrA(label, GWL_STYLE) & SS_NOPREFIX;
        DrawTextA(dc.Get(), text.c_str(), static_cast<int>(text.size()), &box,
                  DT_CALCRECT | DT_LEFT | DT_EXPANDTABS | (noPrefix ? DT_NOPREFIX : 0));
    }
    SetWindowPos(label, nullptr, 0, 0, box.right - box.left, box.bottom - box.top,
                 SWP_NOMOVE | SWP_NOZORDER | SWP_NOACTIVATE);
}

namespace {

UniqueFont CreateFontFace(const FontLayout& font, int height, const char* face) {
    return UniqueFont(CreateFontA(height, 0, 0, 0, font.bold ? FW_BOLD : FW_NORMAL, FALSE, font.underline, FALSE,
                                  DEFAULT_CHARSET, OUT_DEFAULT_PRECIS, CLIP_DEFAULT_PRECIS, DEFAULT_QUALITY,
                                  DEFAULT_PITCH | FF_DONTCARE, face));
}

}  // namespace

// A bitmap face comes in a few sizes only ("MS Sans Serif" stops short of
// 200 %), and the system gives its nearest: where that falls more than an
// eighth short of the asked size, the dialog font, which scales, stands in.
UniqueFont MakeFont(const FontLayout& font, UINT dpi) {
    const int height = MulDiv(font.points, static_cast<int>(dpi), 72);
    UniqueFont made = CreateFontFace(font, -height, font.face);
    TEXTMETRICA metrics{};
    {
        const WindowDc screen(nullptr);
        const SelectedObject selected(screen.Get(), made.Get());
        GetTextMetricsA(screen.Get(), &metrics);
    }
    if (metrics.tmHeight - metrics.tmInternalLeading < height - height / 8)
        made = CreateFontFace(font, -height, "MS Shell Dlg");
    return made;
}

