#include "win/application.h"

#include <commctrl.h>

#include <utility>

TApplication Application;

// The window belongs to the program's own module, whatever the instance.
void TApplication::Initialize(HINSTANCE /*instance*/) {
    if (Handle()) return;
    // A new run of the program, after the shutdown of an earlier one.
    terminated_ = sessionEnded_ = false;
    // Loads the visual-style common controls that the manifest asks for.
    INITCOMMONCONTROLSEX controls{sizeof controls, ICC_STANDARD_CLASSES | ICC_HOTKEY_CLASS};
    InitCommonControlsEx(&controls);
    // A zero-sized popup with a caption: shown, it carries the taskbar entry
    // and the minimize state without ever appearing on the screen.
    CreateHandle({.name = kApplicationWindowClass, .programIcon = true}, 0, title_.c_str(),
                 WS_POPUP | WS_CAPTION | WS_SYSMENU | WS_MINIMIZEBOX | WS_CLIPSIBLINGS,
                 {GetSystemMetrics(SM_CXSCREEN) / 2, GetSystemMetrics(SM_CYSCREEN) / 2, 0, 0}, nullptr);
}

void TApplication::SetTitle(std::string title) {
    title_ = std::move(title);
    if (Handle()) SetWindowTextA(Handle(), title_.c_str());
}

void TApplication::Run(Form& main, int showCommand) {
    if (terminated_ || !main.Handle()) return;
    if (showCommand == SW_SHOWMINNOACTIVE || showCommand == SW_SHOWMINIMIZED || showCommand == SW_MINIMIZE ||
        showCommand == SW_FORCEMINIMIZE) {
        Minimize();
    } else {
        ShowWindow(Handle(), SW_SHOWNOACTIVATE);
        main.Show();
        SetForegroundWindow(main.Handle());
    }
    MSG msg;
    while (!terminated_ && GetMessageW(&msg, nullptr, 0, 0) > 0) Dispatch(msg);
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
    // Tab and Shift+Tab move between the controls of the active form.
    const HWND active = GetActiveWindow();
    if (active && GetWindow(active, GW_OWNER) == Handle() && IsDialogMessageW(active, &msg)) return;
    TranslateMessage(&msg);
    DispatchMessageW(&msg);
}

void TApplication::Shutdown() {
    if (Handle()) ShowWindow(Handle(), SW_HIDE);
    DestroyHandle();
}

// Top-level windows come in z-order, the frontmost first.
std::vector<HWND> TApplication::VisibleForms() const {
    std::vector<HWND> forms;
    for (HWND window = GetTopWindow(nullptr); window; window = GetWindow(window, GW_HWNDNEXT))
        if (GetWindow(window, GW_OWNER) == Handle() && IsWindowVisible(window)) forms.push_back(window);
    return forms;
}

// The forms are hidden here rather than left to the platform's hiding of
// owned windows: a window the platform hid that way comes back with the owner
// even when it was hidden on purpose in between (the main window hides itself
// after every minimize), so the restore shows only what this minimize hid and
// nothing hid since.
void TApplication::Minimize() {
    if (!Handle() || Minimized()) return;
    hiddenByMinimize_ = VisibleForms();
    for (HWND window : hiddenByMinimize_) ShowWindow(window, SW_HIDE);
    ShowWindow(Handle(), SW_MINIMIZE);
    if (events_) events_->Minimized();
}

// SW_SHOWNOACTIVATE is for a caller that activates a form next (each
// activation is a round trip to the display). A window back from minimized
// is given the focus all the same, which activates it, unless it is disabled.
void TApplication::Restore(int showCommand) {
    if (!Minimized()) return;
    const bool quiet = showCommand == SW_SHOWNOACTIVATE, wasDisabled = quiet && EnableWindow(Handle(), FALSE);
    ShowWindow(Handle(), showCommand);
    if (quiet && !wasDisabled) EnableWindow(Handle(), TRUE);
    // Back to front, so the front window ends in front again.
    const std::vector<HWND> windows = std::exchange(hiddenByMinimize_, {});
    for (auto window = windows.rbegin(); window != windows.rend(); ++window)
        if (IsWindow(*window)) ShowWindow(*window, SW_SHOWNA);
    // The focus goes back from the application window to the front form.
    if (GetActiveWindow() == Handle())
        if (const HWND front = FrontWindow()) SetActiveWindow(front);
}

HWND TApplication::FrontWindow() const {
    for (HWND window : VisibleForms())
        if (IsWindowEnabled(window)) return window;
    return nullptr;
}

void TApplication::BringToFront() {
    SetForegroundWindow(Handle());
    if (const HWND front = FrontWindow()) SetForegroundWindow(front);
}

void TApplication::ShowTaskbarEntry() {
    if (Handle() && !IsWindowVisible(Handle())) ShowWindow(Handle(), SW_SHOWNA);
}

void TApplication::HideTaskbarEntry() {
    if (Handle() && IsWindowVisible(Handle())) ShowWindow(Handle(), SW_HIDE);
}

void TApplication::FormHidden(HWND hidden) {
    std::erase(hiddenByMinimize_, hidden);
    if (VisibleForms().empty()) HideTaskbarEntry();
}

LRESULT TApplication::HandleMessage(UINT message, WPARAM wParam, LPARAM lParam) {
    switch (message) {
        case WM_CLOSE:  // the taskbar entry's close, or Alt+F4 on it
            if (events_) events_->CloseRequested();
            return 0;
        case WM_QUERYENDSESSION:
            return TRUE;  // no objection to logging off
        case WM_ENDSESSION:
            // The process may end once this returns. Nothing is destroyed
            // here, whatever handler lies further up the stack (a lookup
            // waiting in the shell, a message box): the quit request unwinds
            // every loop, and the windows go after the program's.
            if (wParam && !sessionEnded_) {
                sessionEnded_ = true;
                Terminate();
                if (events_) events_->SessionEnding();
            }
            return 0;
        case WM_SYSCOMMAND:
            // The taskbar entry's minimize and restore go through the program.
            if ((wParam & 0xFFF0) == SC_MINIMIZE) Minimize();
            else if ((wParam & 0xFFF0) == SC_RESTORE) Restore();
            else break;
            return 0;
    }
    return Window::HandleMessage(message, wParam, lParam);
}
