#include "shell/application.h"

#include "shell/form.h"

TApplication Application;

namespace {
constexpr char kWindowClass[] = "TApplication";
}

TApplication::~TApplication() { Shutdown(); }

void TApplication::Initialize(HINSTANCE instance) {
    if (handle_) return;
    WNDCLASSEXA wc{};
    wc.cbSize = sizeof wc;
    wc.lpfnWndProc = WindowProc;
    wc.hInstance = instance;
    wc.hIcon = LoadIconA(instance, "MAINICON");
    wc.hCursor = LoadCursorA(nullptr, IDC_ARROW);
    wc.lpszClassName = kWindowClass;
    RegisterClassExA(&wc);
    // A zero-sized popup with a caption: shown, it carries the taskbar entry
    // and the minimize state without ever appearing on the screen.
    handle_ = CreateWindowExA(0, kWindowClass, title_.c_str(),
                              WS_POPUP | WS_CAPTION | WS_SYSMENU | WS_MINIMIZEBOX | WS_CLIPSIBLINGS,
                              GetSystemMetrics(SM_CXSCREEN) / 2, GetSystemMetrics(SM_CYSCREEN) / 2,
                              0, 0, nullptr, nullptr, instance, nullptr);
}

void TApplication::SetTitle(std::string title) {
    title_ = std::move(title);
    if (handle_) SetWindowTextA(handle_, title_.c_str());
}

bool TApplication::IsOwnForm(HWND window) const {
    for (const auto& form : forms_)
        if (form->Handle() == window) return true;
    return false;
}

void TApplication::Run() {
    if (Form* main = MainForm(); main && main->Handle()) {
        ShowWindow(handle_, SW_SHOWNOACTIVATE);
        main->Show();
        SetForegroundWindow(main->Handle());
    }
    MSG msg;
    while (GetMessageA(&msg, nullptr, 0, 0) > 0) {
        // Tab and Shift+Tab move between the controls of the active form.
        const HWND active = GetActiveWindow();
        if (active && IsOwnForm(active) && IsDialogMessageA(active, &msg)) continue;
        TranslateMessage(&msg);
        DispatchMessageA(&msg);
    }
    Shutdown();
}

void TApplication::Terminate() { PostQuitMessage(0); }

void TApplication::Shutdown() {
    for (const auto& form : forms_) form->Hide();
    if (handle_) ShowWindow(handle_, SW_HIDE);
    while (!forms_.empty()) {
        forms_.back()->Destroy();
        forms_.pop_back();
    }
    if (handle_) {
        DestroyWindow(handle_);
        handle_ = nullptr;
    }
}

LRESULT CALLBACK TApplication::WindowProc(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam) {
    return DefWindowProcA(hwnd, message, wParam, lParam);
}
