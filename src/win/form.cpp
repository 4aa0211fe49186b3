#include "win/form.h"

#include "win/button_glyph.h"
#include "win/failure_boundary.h"
#include "win/window_text.h"

namespace {

// Gives the frame `size`, and with a suggested rectangle (a DPI change) the
// place on a monitor that the rectangle asks for.
void SetFrame(HWND hwnd, const RECT* suggested, SIZE size) {
    if (suggested) {
        const POINT at = PlaceOnWorkArea(*suggested, size);
        SetWindowPos(hwnd, nullptr, at.x, at.y, size.cx, size.cy, SWP_NOZORDER | SWP_NOACTIVATE);
    } else {
        SetWindowPos(hwnd, nullptr, 0, 0, size.cx, size.cy, SWP_NOMOVE | SWP_NOZORDER | SWP_NOACTIVATE);
    }
}

}  // namespace

Form::~Form() { Destroy(); }

void Form::Create(FormHost& host) {
    if (Handle()) return;
    host_ = &host;
    // Created at the design position, sized for the system's DPI: resizing a
    // top-level window costs a round trip to the display, so ApplyLayout
    // resizes it only when its own DPI (its monitor's) differs.
    const WindowClass windowClass{
        .name = layout_.windowClass, .programIcon = layout_.captionIcon, .backgroundColor = COLOR_BTNFACE};
    const DWORD style = layout_.style & ~WS_VISIBLE, exStyle = layout_.exStyle | WS_EX_CONTROLPARENT;
    const SIZE frame = FrameSize(style, exStyle, GetDpiForSystem());
    if (!CreateHandle(windowClass, exStyle, layout_.caption, style, {layout_.left, layout_.top, frame.cx, frame.cy},
                      host.OwnerWindow()))
        return;
    dpi_ = WindowDpi(Handle());
    CreateControls(Handle(), layout_.controls);
    ApplyLayout(nullptr);
    RunReportingFailures([this] { ControlsCreated(); });
    RunReportingFailures([this] { FormCreate(); });
}

void Form::Destroy() {
    if (!Handle()) return;
    RunReportingFailures([this] { FormDestroy(); });
    DestroyHandle();
}

// The show hook runs for a show request of a hidden form, before it appears;
// the program's restore shows forms again without one (only forms that were
// shown before, so their controls are laid out). A form that shows anew
// starts at its first control, as when first shown; the restore gives back
// the control that last had the focus.
void Form::Show() {
    if (!Visible()) {
        bool goOn = false;
        RunReportingFailures([&] { goOn = FormShow(); });
        if (!goOn) return;
        if (!controlsLaidOut_) LayOutControls();
        if (host_) host_->FormShowing();
        focus_ = nullptr;
    }
    ShowWindow(Handle(), SW_SHOW);
}

void Form::Hide() {
    ShowWindow(Handle(), SW_HIDE);
    if (host_) host_->FormHidden(Handle());
}

// Forms are hidden, never destroyed, until the program ends. A close request
// that arrives while one is handled (its failure box is up, say) is not
// handled again.
bool Form::Close() {
    if (closing_ || !Handle()) return false;
    closing_ = true;
    bool hide = false;
    const bool done = RunReportingFailures([&] { hide = FormClose(); });
    closing_ = false;
    if (hide) Hide();
    return done;
}

HFONT Form::FontFor(const ControlLayout& control) const {
    if (!control.font) return fonts_.front().Get();
    size_t index = 1;
    for (const ControlLayout& other : layout_.controls) {
        if (&other == &control) break;
        if (other.font) ++index;
    }
    return fonts_[index].Get();
}

SIZE Form::FrameSize(DWORD style, DWORD exStyle, UINT dpi) const {
    RECT frame{0, 0, ScaleForDpi(layout_.clientWidth, dpi), ScaleForDpi(layout_.clientHeight, dpi)};
    AdjustWindowRectExForDpi(&frame, style, FALSE, exStyle, dpi);
    return {frame.right - frame.left, frame.bottom - frame.top};
}

// Sizes the frame for the scaled client area at the current DPI, and lays out
// the controls again if they have been. With a suggested rectangle (a DPI
// change) the frame takes that rectangle's position, kept on a monitor's work
// area, and the controls are laid out in any case.
void Form::ApplyLayout(const RECT* suggested) {
    const HWND hwnd = Handle();
    const UINT dpi = Dpi();
    const SIZE frame = FrameSize(static_cast<DWORD>(GetWindowLongPtrA(hwnd, GWL_STYLE)),
                                 static_cast<DWORD>(GetWindowLongPtrA(hwnd, GWL_EXSTYLE)), dpi);
    RECT now{};
    GetWindowRect(hwnd, &now);
    if (suggested || now.right - now.left != frame.cx || now.bottom - now.top != frame.cy)
        SetFrame(hwnd, suggested, frame);
    // The client area is what the layout fixes. A frame whose title bar and
    // borders are not yet the new DPI's (a system that rescales them later,
    // or not at all) would take its share from it: the frame grows or
    // shrinks by the difference.
    RECT client{}, outer{};
    GetClientRect(hwnd, &client);
    GetWindowRect(hwnd, &outer);
    const int dx = Scale(layout_.clientWidth) - client.right, dy = Scale(layout_.clientHeight) - client.bottom;
    if (dx || dy) SetFrame(hwnd, suggested, {outer.right - outer.left + dx, outer.bottom - outer.top + dy});
    // A DPI change lays the controls out at once, shown or not: a form moved
    // to another monitor is meant to be ready for it.
    if (suggested || controlsLaidOut_) LayOutControls();
}

// Any process can send a DPI change, with any numbers: the DPI is the
// window's own (the system has set it by the time it tells), and the
// suggested rectangle is kept on a monitor.
void Form::FollowDpiChange(const RECT* suggested) {
    dpi_ = WindowDpi(Handle());
    ApplyLayout(suggested);
    // What the form paints itself (the About logo) is sized by the DPI too.
    RedrawWindow(Handle(), nullptr, nullptr, RDW_INVALIDATE | RDW_ERASE | RDW_ALLCHILDREN);
    DpiChanged();
}

// Moves the controls to their scaled places and gives them their fonts and
// pictures at the current DPI. This waits for the form's first show: most
// forms stay hidden long after start-up, and fonts and pictures are a good
// part of what a form costs to make.
void Form::LayOutControls() {
    controlsLaidOut_ = true;
    const UINT dpi = Dpi();
    fonts_.clear();
    fonts_.push_back(MakeFont(layout_.font, dpi));
    for (const ControlLayout& control : layout_.controls)
        if (control.font) fonts_.push_back(MakeFont(*control.font, dpi));
    pictures_.clear();
    for (const ControlLayout& control : layout_.controls) {
        const HWND child = Control(control.id);
        SendMessageA(child, WM_SETFONT, reinterpret_cast<WPARAM>(FontFor(control)), FALSE);
        SetWindowPos(child, nullptr, Scale(control.left), Scale(control.top), Scale(control.width),
                     Scale(control.height), SWP_NOZORDER | SWP_NOACTIVATE);
        if (control.autoSize) SizeLabelToText(child);
        if (control.picture) pictures_.push_back(SetButtonGlyph(child, control.picture, dpi));
    }
}

// Like a dialog, a form gives the focus back to the control that last had it
// when it is activated again; the first time, to the first control in tab order.
void Form::RememberFocus() {
    const HWND focus = GetFocus();
    if (focus && IsChild(Handle(), focus)) focus_ = focus;
}

void Form::RestoreFocus() {
    HWND target = focus_ && IsWindow(focus_) && IsChild(Handle(), focus_) ? focus_ : nullptr;
    if (!target && layout_.initialFocus) target = Control(layout_.initialFocus);
    if (!target) target = GetNextDlgTabItem(Handle(), nullptr, FALSE);
    if (target) SetFocus(target);
}

// As a dialog does: to the given control, or the next or previous tab stop.
void Form::MoveFocus(WPARAM target, bool isControl) {
    const HWND next = isControl ? reinterpret_cast<HWND>(target) : GetNextDlgTabItem(Handle(), GetFocus(), target != 0);
    if (next && IsChild(Handle(), next)) SetFocus(next);
}

// Dialog navigation turns Enter into IDOK; like a dialog, a form then clicks
// the push button that has the focus.
void Form::ClickFocusedButton() {
    const HWND focus = GetFocus();
    if (focus && IsChild(Handle(), focus) && (SendMessageA(focus, WM_GETDLGCODE, 0, 0) & DLGC_UNDEFPUSHBUTTON))
        SendMessageA(focus, BM_CLICK, 0, 0);
}

LRESULT Form::HandleMessage(UINT message, WPARAM wParam, LPARAM lParam) {
    switch (message) {
        case WM_ACTIVATE:
            if (LOWORD(wParam) == WA_INACTIVE) {
                RememberFocus();
            } else if (!HIWORD(wParam)) {  // not while minimized
                // A hidden form made the foreground (the owner of a menu
                // that opens from the notification area) takes no focus, lest
                // it be remembered as the user's.
                if (Visible()) RestoreFocus();
                // The focus shows whether the form came by mouse or keyboard.
                SendMessageA(Handle(), WM_CHANGEUISTATE, MAKEWPARAM(UIS_CLEAR, UISF_HIDEFOCUS), 0);
                FormActivate();
            }
            return 0;
        case WM_COMMAND:
            if (LOWORD(wParam) == IDOK) {
                ClickFocusedButton();
            } else {
                Command(LOWORD(wParam), HIWORD(wParam));
            }
            return 0;
        case WM_NEXTDLGCTL:
            // A multi-line edit field takes Tab and asks its window to move
            // the focus, as it would ask a dialog.
            MoveFocus(wParam, LOWORD(lParam) != 0);
            return 0;
        case WM_PAINT: {
            PaintScope paint(Handle());
            FormPaint(paint.Dc());
            return 0;
        }
        case WM_DPICHANGED:
            FollowDpiChange(reinterpret_cast<const RECT*>(lParam));
            return 0;
        case WM_CLOSE:
            Close();
            return 0;
    }
    return Window::HandleMessage(message, wParam, lParam);
}
