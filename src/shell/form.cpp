#include "shell/form.h"

#include "shell/application.h"
#include "shell/message_boxes.h"

Form::~Form() { Destroy(); }

void Form::RegisterWindowClass() const {
    const HINSTANCE instance = GetModuleHandleA(nullptr);
    WNDCLASSEXA existing{};
    existing.cbSize = sizeof existing;
    if (GetClassInfoExA(instance, spec_.windowClass, &existing)) return;
    WNDCLASSEXA wc{};
    wc.cbSize = sizeof wc;
    wc.lpfnWndProc = WindowProc;
    wc.hInstance = instance;
    wc.hIcon = LoadIconA(instance, "MAINICON");
    wc.hCursor = LoadCursorA(nullptr, IDC_ARROW);
    wc.hbrBackground = reinterpret_cast<HBRUSH>(COLOR_BTNFACE + 1);
    wc.lpszClassName = spec_.windowClass;
    RegisterClassExA(&wc);
}

void Form::Create() {
    if (hwnd_) return;
    RegisterWindowClass();
    // Created at the design position with a provisional size; ApplyLayout sets
    // the real size once the window's DPI is known.
    hwnd_ = CreateWindowExA(spec_.exStyle | WS_EX_CONTROLPARENT, spec_.windowClass, spec_.caption,
                    spec_.style & ~WS_VISIBLE, spec_.left, spec_.top, spec_.clientWidth,
                    spec_.clientHeight, Application.Handle(), nullptr, GetModuleHandleA(nullptr),
                    this);
    if (!hwnd_) return;
    for (const ControlSpec& control : spec_.controls) {
        CreateWindowExA(0, control.windowClass, control.caption,
                        WS_CHILD | WS_VISIBLE | WS_TABSTOP | control.style, 0, 0, 0, 0, hwnd_,
                        reinterpret_cast<HMENU>(static_cast<INT_PTR>(control.id)),
                        GetModuleHandleA(nullptr), nullptr);
    }
    ApplyLayout(nullptr);
    RunReportingFailures([this] { ControlsCreated(); });
    RunReportingFailures([this] { FormCreate(); });
}

void Form::Destroy() {
    if (!hwnd_) return;
    RunReportingFailures([this] { FormDestroy(); });
    DestroyWindow(hwnd_);
    hwnd_ = nullptr;
}

void Form::Show() { ShowWindow(hwnd_, SW_SHOW); }

void Form::Hide() { ShowWindow(hwnd_, SW_HIDE); }

UINT Form::Dpi() const {
    const UINT dpi = hwnd_ ? GetDpiForWindow(hwnd_) : 0;
    return dpi ? dpi : 96;
}

// Sizes the frame for the scaled client area, moves the controls and gives
// them the form's font at the current DPI. With a suggested rectangle (a DPI
// change) the frame takes that rectangle's position.
void Form::ApplyLayout(const RECT* suggested) {
    const UINT dpi = Dpi();
    RECT frame{0, 0, Scale(spec_.clientWidth), Scale(spec_.clientHeight)};
    const DWORD style = static_cast<DWORD>(GetWindowLongPtrA(hwnd_, GWL_STYLE));
    const DWORD exStyle = static_cast<DWORD>(GetWindowLongPtrA(hwnd_, GWL_EXSTYLE));
    AdjustWindowRectExForDpi(&frame, style, FALSE, exStyle, dpi);
    UINT flags = SWP_NOZORDER | SWP_NOACTIVATE;
    int x = 0, y = 0;
    if (suggested) {
        x = suggested->left;
        y = suggested->top;
    } else {
        flags |= SWP_NOMOVE;
    }
    SetWindowPos(hwnd_, nullptr, x, y, frame.right - frame.left, frame.bottom - frame.top, flags);

    font_.Reset(CreateFontA(-MulDiv(spec_.fontPoints, static_cast<int>(dpi), 72), 0, 0, 0,
                            FW_NORMAL, FALSE, FALSE, FALSE, DEFAULT_CHARSET, OUT_DEFAULT_PRECIS,
                            CLIP_DEFAULT_PRECIS, DEFAULT_QUALITY, DEFAULT_PITCH | FF_DONTCARE,
                            spec_.fontFace));
    for (const ControlSpec& control : spec_.controls) {
        const HWND child = Control(control.id);
        SendMessageA(child, WM_SETFONT, reinterpret_cast<WPARAM>(font_.Get()), FALSE);
        SetWindowPos(child, nullptr, Scale(control.left), Scale(control.top),
                     Scale(control.width), Scale(control.height), SWP_NOZORDER | SWP_NOACTIVATE);
    }
}

// Like a dialog, a form gives the focus back to the control that last had it
// when it is activated again; the first time, to the first control in tab order.
void Form::RememberFocus() {
    const HWND focus = GetFocus();
    if (focus && IsChild(hwnd_, focus)) focus_ = focus;
}

void Form::RestoreFocus() {
    HWND target = focus_ && IsWindow(focus_) && IsChild(hwnd_, focus_) ? focus_ : nullptr;
    if (!target) target = GetNextDlgTabItem(hwnd_, nullptr, FALSE);
    if (target) SetFocus(target);
}

LRESULT Form::HandleMessage(UINT message, WPARAM wParam, LPARAM lParam) {
    switch (message) {
        case WM_ACTIVATE:
            if (LOWORD(wParam) == WA_INACTIVE) {
                RememberFocus();
            } else if (!HIWORD(wParam)) {  // not while minimized
                RestoreFocus();
            }
            return 0;
        case WM_COMMAND:
            // Dialog navigation turns Enter into IDOK; like a dialog, a form
            // then clicks the push button that has the focus.
            if (LOWORD(wParam) == IDOK) {
                const HWND focus = GetFocus();
                if (focus && IsChild(hwnd_, focus) &&
                    (SendMessageA(focus, WM_GETDLGCODE, 0, 0) & DLGC_UNDEFPUSHBUTTON))
                    SendMessageA(focus, BM_CLICK, 0, 0);
                return 0;
            }
            break;
        case WM_DPICHANGED:
            ApplyLayout(reinterpret_cast<const RECT*>(lParam));
            return 0;
        case WM_CLOSE:
            // Forms are hidden, never destroyed, until the program ends.
            Hide();
            return 0;
    }
    return DefWindowProcA(hwnd_, message, wParam, lParam);
}

LRESULT CALLBACK Form::WindowProc(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam) {
    Form* self = nullptr;
    if (message == WM_NCCREATE) {
        self = static_cast<Form*>(reinterpret_cast<CREATESTRUCTA*>(lParam)->lpCreateParams);
        self->hwnd_ = hwnd;
        SetWindowLongPtrA(hwnd, GWLP_USERDATA, reinterpret_cast<LONG_PTR>(self));
    } else {
        self = reinterpret_cast<Form*>(GetWindowLongPtrA(hwnd, GWLP_USERDATA));
    }
    if (!self || message == WM_NCDESTROY) {
        if (self) SetWindowLongPtrA(hwnd, GWLP_USERDATA, 0);
        return DefWindowProcA(hwnd, message, wParam, lParam);
    }
    LRESULT result = 0;
    RunReportingFailures([&] { result = self->HandleMessage(message, wParam, lParam); });
    return result;
}
