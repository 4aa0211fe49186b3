#include "win/window.h"

#include <algorithm>

#include "core/placement.h"
#include "win/failure_boundary.h"

bool HighContrastOn() {
    HIGHCONTRASTA contrast{};
    contrast.cbSize = sizeof contrast;
    return SystemParametersInfoA(SPI_GETHIGHCONTRAST, sizeof contrast, &contrast, 0) &&
           (contrast.dwFlags & HCF_HIGHCONTRASTON);
}

Window::~Window() { DestroyHandle(); }

bool Window::CreateHandle(const WindowClass& windowClass, DWORD exStyle, const char* caption, DWORD style,
                          const WindowPlacement& placement, HWND owner) {
    const HINSTANCE instance = GetModuleHandleA(nullptr);
    WNDCLASSEXA wc{};
    wc.cbSize = sizeof wc;
    if (!GetClassInfoExA(instance, windowClass.name, &wc)) {
        wc.lpfnWndProc = WindowProc;
        wc.hInstance = instance;
        if (windowClass.programIcon) {
            wc.hIcon = LoadIconA(instance, "MAINICON");
            // Given, not left to the system: it would load its own copy from
            // the resource for every class.
            wc.hIconSm = static_cast<HICON>(LoadImageA(instance, "MAINICON", IMAGE_ICON,
                                                       GetSystemMetrics(SM_CXSMICON),
                                                       GetSystemMetrics(SM_CYSMICON), LR_SHARED));
        }
        wc.hCursor = LoadCursorA(nullptr, IDC_ARROW);
        wc.hbrBackground = windowClass.backgroundColor >= 0
                               ? reinterpret_cast<HBRUSH>(static_cast<INT_PTR>(windowClass.backgroundColor) + 1)
                               : nullptr;
        wc.lpszClassName = windowClass.name;
        RegisterClassExA(&wc);
    }
    CreateWindowExA(exStyle, windowClass.name, caption, style, placement.left, placement.top, placement.width,
                    placement.height, owner, nullptr, instance, this);
    return hwnd_ != nullptr;
}

void Window::DestroyHandle() {
    if (!hwnd_) return;
    const HWND hwnd = hwnd_;
    DestroyWindow(hwnd);
    // A window that refused to go keeps no pointer to an object that may be gone.
    if (IsWindow(hwnd)) SetWindowLongPtrA(hwnd, GWLP_USERDATA, 0);
    hwnd_ = nullptr;
}

LRESULT Window::HandleMessage(UINT message, WPARAM wParam, LPARAM lParam) {
    return DefWindowProcA(hwnd_, message, wParam, lParam);
}

LRESULT CALLBACK Window::WindowProc(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam) {
    Window* self = nullptr;
    if (message == WM_NCCREATE) {
        self = static_cast<Window*>(reinterpret_cast<CREATESTRUCTA*>(lParam)->lpCreateParams);
        self->hwnd_ = hwnd;
        SetWindowLongPtrA(hwnd, GWLP_USERDATA, reinterpret_cast<LONG_PTR>(self));
    } else {
        self = reinterpret_cast<Window*>(GetWindowLongPtrA(hwnd, GWLP_USERDATA));
    }
    if (!self || message == WM_NCDESTROY) {
        if (self) {
            SetWindowLongPtrA(hwnd, GWLP_USERDATA, 0);
            self->hwnd_ = nullptr;
        }
        return DefWindowProcA(hwnd, message, wParam, lParam);
    }
    LRESULT result = 0;
    RunReportingFailures([&] { result = self->HandleMessage(message, wParam, lParam); });
    return result;
}

UINT WindowDpi(HWND hwnd) {
    constexpr UINT kLowest = 96, kHighest = 480;
    return std::clamp(GetDpiForWindow(hwnd), kLowest, kHighest);
}

POINT PlaceOnWorkArea(const RECT& suggested, SIZE size) {
    MONITORINFO monitor{};
    monitor.cbSize = sizeof monitor;
    if (!GetMonitorInfoA(MonitorFromRect(&suggested, MONITOR_DEFAULTTONEAREST), &monitor))
        return {suggested.left, suggested.top};
    const RECT& work = monitor.rcWork;
    const ScreenPoint at = KeepInsideWorkArea({suggested.left, suggested.top}, size.cx, size.cy,
                                              {work.left, work.top, work.right, work.bottom});
    return {at.x, at.y};
}
