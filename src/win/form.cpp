#include "win/form.h"

#include "win/failure_boundary.h"
#include "win/window_text.h"

Form::~Form() { Destroy(); }

// Made at the design position with the frame for the system's DPI: a
// top-level window's resize costs a round trip to the display, so
// ApplyLayout resizes it only when its own DPI (its monitor's) differs.
void Form::Create(FormHost& host) {
    if (Handle()) return;
    host_ = &host;
    const DWORD style = layout_.style & ~WS_VISIBLE, exStyle = layout_.exStyle | WS_EX_CONTROLPARENT;
    const UINT systemDpi = GetDpiForSystem();
    RECT frame{0, 0, ScaleForDpi(layout_.clientWidth, systemDpi), ScaleForDpi(layout_.clientHeight, systemDpi)};
    AdjustWindowRectExForDpi(&frame, style, FALSE, exStyle, systemDpi);
    if (!CreateHandle({.name = layout_.windowClass, .programIcon = layout_.captionIcon, .backgroundColor = COLOR_BTNFACE},
                      exStyle, layout_.caption, style,
                      {layout_.left, layout_.top, frame.right - frame.left, frame.bottom - frame.top},
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

// A form that shows anew starts at its first control; the program's restore
// (no show request) gives back the control that last had the focus.
void Form::Show() {
    if (!Visible()) {
        bool goOn = false;
        RunReportingFailures([&] { goOn = FormShow(); });
        if (!goOn) return;
        if (!controlsLaidOut_) LayOutControls();
        host_->FormShowing();
        focus_ = nullptr;
    }
    ShowWindow(Handle(), SW_SHOW);
}

void Form::Hide() {
    ShowWindow(Handle(), SW_HIDE);
    if (host_) host_->FormHidden(Handle());
}

// A close request that arrives while one is handled (its failure box is up,
// say) is not handled again.
bool Form::Close() {
    if (closing_ || !Handle()) return false;
    closing_ = true;
    bool hide = false;
    const bool done = RunReportingFailures([&] { hide = FormClose(); });
    closing_ = false;
    if (hide) Hide();
    return done;
}

// The frame takes the size that gives the layout's client area at the
// current DPI, whatever its own borders (a system may rescale a title bar
// later, or not at all); a DPI change also places it where suggested, on a
// monitor, and lays the controls out at once, shown or not.
void Form::ApplyLayout(const RECT* suggested) {
    for (int pass = 0; pass < 2; ++pass) {
        RECT client{}, outer{};
        GetClientRect(Handle(), &client);
        GetWindowRect(Handle(), &outer);
        const int dx = Scale(layout_.clientWidth) - client.right, dy = Scale(layout_.clientHeight) - client.bottom;
        const SIZE size{outer.right - outer.left + dx, outer.bottom - outer.top + dy};
        if (suggested && pass == 0) {
            const POINT at = PlaceOnWorkArea(*suggested, size);
            SetWindowPos(Handle(), nullptr, at.x, at.y, size.cx, size.cy, SWP_NOZORDER | SWP_NOACTIVATE);
        } else if (dx || dy) {
            SetWindowPos(Handle(), nullptr, 0, 0, size.cx, size.cy, SWP_NOMOVE | SWP_NOZORDER | SWP_NOACTIVATE);
        }
    }
    if (suggested || controlsLaidOut_) LayOutControls();
}

// Waits for the first show: most forms stay hidden long after start-up, and
// fonts and pictures are a good part of what a form costs to make.
void Form::LayOutControls() {
    controlsLaidOut_ = true;
    fonts_.clear();
    pictures_.clear();
    fonts_.push_back(MakeFont(layout_.font, dpi_));
    for (const ControlLayout& control : layout_.controls) {
        const HWND child = Control(control.id);
        if (control.font) fonts_.push_back(MakeFont(*control.font, dpi_));
        const HFONT font = (control.font ? fonts_.back() : fonts_.front()).Get();
        SendMessageA(child, WM_SETFONT, reinterpret_cast<WPARAM>(font), FALSE);
        SetWindowPos(child, nullptr, Scale(control.left), Scale(control.top), Scale(control.width),
                     Scale(control.height), SWP_NOZORDER | SWP_NOACTIVATE);
        if (control.autoSize) SizeLabelToText(child);
        if (control.picture) pictures_.push_back(SetButtonGlyph(child, control.picture, dpi_));
    }
}

// As a dialog does: the control that had the focus when the form was last
// deactivated, the first time the layout's first control.
void Form::RestoreFocus() {
    HWND target = focus_ && IsWindow(focus_) && IsChild(Handle(), focus_) ? focus_ : nullptr;
    if (!target && layout_.initialFocus) target = Control(layout_.initialFocus);
    if (!target) target = GetNextDlgTabItem(Handle(), nullptr, FALSE);
    if (target) SetFocus(target);
}

LRESULT Form::HandleMessage(UINT message, WPARAM wParam, LPARAM lParam) {
    switch (message) {
        case WM_ACTIVATE:
            if (LOWORD(wParam) == WA_INACTIVE) {
                if (const HWND focus = GetFocus(); focus && IsChild(Handle(), focus)) focus_ = focus;
            } else if (!HIWORD(wParam)) {  // not while minimized
                // A hidden form made the foreground (the owner of the icon's
                // menu) takes no focus, lest it be remembered as the user's.
                if (Visible()) RestoreFocus();
                // The focus shows whether the form came by mouse or keyboard.
                SendMessageA(Handle(), WM_CHANGEUISTATE, MAKEWPARAM(UIS_CLEAR, UISF_HIDEFOCUS), 0);
                FormActivate();
            }
            return 0;
        case WM_COMMAND:
            // Dialog navigation turns Enter into IDOK: as in a dialog, the
            // focused push button is clicked.
            if (LOWORD(wParam) != IDOK) {
                Command(LOWORD(wParam), HIWORD(wParam));
            } else if (const HWND focus = GetFocus(); focus && IsChild(Handle(), focus) &&
                                                       (SendMessageA(focus, WM_GETDLGCODE, 0, 0) & DLGC_UNDEFPUSHBUTTON)) {
                SendMessageA(focus, BM_CLICK, 0, 0);
            }
            return 0;
        case WM_SYSCOLORCHANGE:
            // Common controls keep their own copy of the colours: hand it on.
            for (HWND child = GetWindow(Handle(), GW_CHILD); child; child = GetWindow(child, GW_HWNDNEXT))
                SendMessageA(child, message, wParam, lParam);
            return 0;
        case WM_NEXTDLGCTL: {
            // A multi-line edit field takes Tab and asks its window, as it
            // would ask a dialog, to move the focus.
            const HWND next = LOWORD(lParam) ? reinterpret_cast<HWND>(wParam)
                                             : GetNextDlgTabItem(Handle(), GetFocus(), wParam != 0);
            if (next && IsChild(Handle(), next)) SetFocus(next);
            return 0;
        }
        case WM_PAINT: {
            PaintScope paint(Handle());
            FormPaint(paint.Dc());
            return 0;
        }
        case WM_DPICHANGED:
            // Any process can send one, with any numbers: the DPI is the
            // window's own (set by the time the system tells), and the
            // suggested place is kept on a monitor.
            dpi_ = WindowDpi(Handle());
            ApplyLayout(reinterpret_cast<const RECT*>(lParam));
            // What the form paints itself (the About logo) is sized by the DPI too.
            RedrawWindow(Handle(), nullptr, nullptr, RDW_INVALIDATE | RDW_ERASE | RDW_ALLCHILDREN);
            DpiChanged();
            return 0;
        case WM_CLOSE:
            Close();
            return 0;
    }
    return Window::HandleMessage(message, wParam, lParam);
}
