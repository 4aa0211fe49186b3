// The floor Quorvane's start-up is measured against: the least a program with
// the same visible result does. One always-on-top tool window with a combo box
// and a button, and a notification-area icon; nothing else. Built with
// PEER_SAME_WINDOWS it also makes, hidden, the windows Quorvane makes at
// start-up besides its main window (a taskbar-entry window and three forms
// with their controls), so the two differ only in what the program does with
// its windows.
#include <windows.h>
#include <shellapi.h>

namespace {

LRESULT CALLBACK WindowProc(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam) {
    if (message == WM_DESTROY) PostQuitMessage(0);
    return DefWindowProcA(hwnd, message, wParam, lParam);
}

#ifdef PEER_SAME_WINDOWS
struct Child {
    const char* windowClass;
    DWORD style;
};

void MakeHiddenWindow(HINSTANCE instance, HWND owner, const Child* children, int count) {
    HWND window = CreateWindowExA(WS_EX_TOOLWINDOW, "MinimalPeer", "", WS_CAPTION | WS_SYSMENU, 0, 0, 300, 150,
                                  owner, nullptr, instance, nullptr);
    for (int i = 0; i < count; ++i)
        CreateWindowExA(0, children[i].windowClass, "x", WS_CHILD | WS_VISIBLE | children[i].style, 8, 8 + 20 * i,
                        80, 18, window, nullptr, instance, nullptr);
}
#endif

}  // namespace

int WINAPI WinMain(HINSTANCE instance, HINSTANCE, LPSTR, int) {
    WNDCLASSA wc{};
    wc.lpfnWndProc = WindowProc;
    wc.hInstance = instance;
    wc.hbrBackground = reinterpret_cast<HBRUSH>(COLOR_BTNFACE + 1);
    wc.lpszClassName = "MinimalPeer";
    RegisterClassA(&wc);
#ifdef PEER_SAME_WINDOWS
    HWND application = CreateWindowExA(0, "MinimalPeer", "", WS_POPUP | WS_CAPTION, 0, 0, 0, 0, nullptr, nullptr,
                                       instance, nullptr);
#endif
    RECT frame{0, 0, 296, 35};
    AdjustWindowRectEx(&frame, WS_CAPTION | WS_SYSMENU, FALSE, WS_EX_TOOLWINDOW | WS_EX_TOPMOST);
    HWND window = CreateWindowExA(WS_EX_TOOLWINDOW | WS_EX_TOPMOST, "MinimalPeer", "Minimal Peer",
                                  WS_CAPTION | WS_SYSMENU, 573, 143, frame.right - frame.left,
                                  frame.bottom - frame.top, nullptr, nullptr, instance, nullptr);
    CreateWindowExA(0, "COMBOBOX", "", WS_CHILD | WS_VISIBLE | WS_TABSTOP | CBS_DROPDOWN, 8, 8,
                    201, 200, window, nullptr, instance, nullptr);
    CreateWindowExA(0, "BUTTON", "Lookup", WS_CHILD | WS_VISIBLE | WS_TABSTOP, 216, 5, 73, 25,
                    window, nullptr, instance, nullptr);
#ifdef PEER_SAME_WINDOWS
    // About: three buttons, three texts and the logo's box; settings: one
    // button; bulk: the memo, its button and two texts.
    constexpr Child kAbout[] = {{"BUTTON", 0}, {"BUTTON", 0}, {"BUTTON", 0}, {"STATIC", 0},
                                {"STATIC", 0}, {"STATIC", 0}, {"STATIC", SS_BITMAP}};
    constexpr Child kSettings[] = {{"BUTTON", 0}};
    constexpr Child kBulk[] = {{"EDIT", ES_MULTILINE | WS_VSCROLL}, {"BUTTON", 0}, {"STATIC", 0}, {"STATIC", 0}};
    MakeHiddenWindow(instance, application, kAbout, 7);
    MakeHiddenWindow(instance, application, kSettings, 1);
    MakeHiddenWindow(instance, application, kBulk, 4);
#endif
    NOTIFYICONDATAA icon{};
    icon.cbSize = NOTIFYICONDATAA_V1_SIZE;
    icon.hWnd = window;
    icon.uID = 1;
    icon.uFlags = NIF_ICON | NIF_TIP;
    icon.hIcon = LoadIconA(nullptr, IDI_APPLICATION);
    lstrcpyA(icon.szTip, "Minimal Peer");
    Shell_NotifyIconA(NIM_ADD, &icon);
    ShowWindow(window, SW_SHOW);
    MSG msg;
    while (GetMessageA(&msg, nullptr, 0, 0) > 0) {
        TranslateMessage(&msg);
        DispatchMessageA(&msg);
    }
    Shell_NotifyIconA(NIM_DELETE, &icon);
    return 0;
}
