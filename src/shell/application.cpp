#include "shell/application.h"

#include <commctrl.h>

#include "shell/form.h"
#include "shell/message_boxes.h"

TApplication Application;

namespace {
constexpr char kWindowClass[] = "TApplication";
}

TApplication::~TApplication() { Shutdown(); }

void TApplication::Initialize(HINSTANCE instance) {
    if (handle_) return;
    // Loads the visual-style common controls that the manifest asks for.
    INITCOMMONCONTROLSEX controls{sizeof controls, ICC_STANDARD_CLASSES};
    InitCommonControlsEx(&controls);
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

void TApplication::Run() {
    if (!terminated_) {
        if (Form* main = MainForm(); main && main->Handle()) {
            ShowWindow(handle_, SW_SHOWNOACTIVATE);
            main->Show();
            SetForegroundWindow(main->Handle());
        }
        MSG msg;
        while (!terminated_ && GetMessageW(&msg, nullptr, 0, 0) > 0) Dispatch(msg);
        if (OnEnding) OnEnding(false);
    }
    Shutdown();
}

void TApplication::ProcessMessages() {
    MSG msg;
    while (PeekMessageW(&msg, nullptr, 0, 0, PM_REMOVE)) {
        if (msg.message == WM_QUIT) {
            PostQuitMessage(static_cast<int>(msg.wParam));  // leave it for the loop
            return;
        }
        Dispatch(msg);
    }
}

// The loop is a Unicode one: a character typed into a control arrives whole,
// where an ANSI loop would split a double-byte character into two messages
// that not every platform joins again on the way to a Unicode control.
void TApplication::Dispatch(MSG& msg) {
    // Tab and Shift+Tab move between the controls of the active form (every
    // form is owned by the application window).
    const HWND active = GetActiveWindow();
    if (active && GetWindow(active, GW_OWNER) == handle_ && IsDialogMessageW(active, &msg)) return;
    TranslateMessage(&msg);
    DispatchMessageW(&msg);
}

void TApplication::Terminate() {
    terminated_ = true;
    PostQuitMessage(0);
}

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

void TApplication::Minimize() {
    if (!handle_ || Minimized()) return;
    // The platform hides owned windows when their owner is minimized; doing it
    // explicitly makes that hold wherever the owner is not on the taskbar too.
    ShowOwnedPopups(handle_, FALSE);
    ShowWindow(handle_, SW_MINIMIZE);
    if (OnMinimize) OnMinimize();
}

void TApplication::Restore() {
    if (!Minimized()) return;
    ShowWindow(handle_, SW_RESTORE);
    ShowOwnedPopups(handle_, TRUE);
}

LRESULT TApplication::HandleMessage(UINT message, WPARAM wParam, LPARAM lParam) {
    switch (message) {
        case WM_QUERYENDSESSION:
            return TRUE;  // no objection to logging off
        case WM_ENDSESSION:
            // The process ends after this returns: shut down now, as on Exit.
            if (wParam) {
                Terminate();
                if (OnEnding) OnEnding(true);
                Shutdown();
            }
            return 0;
        case WM_SYSCOMMAND:
            // The taskbar entry's minimize and restore go through the program.
            if ((wParam & 0xFFF0) == SC_MINIMIZE) {
                Minimize();
                return 0;
            }
            if ((wParam & 0xFFF0) == SC_RESTORE) {
                Restore();
                return 0;
            }
            break;
    }
    return DefWindowProcA(handle_, message, wParam, lParam);
}

LRESULT CALLBACK TApplication::WindowProc(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam) {
    if (hwnd != Application.handle_) return DefWindowProcA(hwnd, message, wParam, lParam);
    LRESULT result = 0;
    RunReportingFailures([&] { result = Application.HandleMessage(message, wParam, lParam); });
    return result;
}
