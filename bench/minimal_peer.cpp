// The floor Quorvane's start-up is measured against: the least a program with
// the same visible result does. One always-on-top tool window with a combo box
// and a button, and a notification-area icon; nothing else. Built with
// PEER_SAME_WINDOWS it also makes, hidden, the windows Quorvane makes at
// start-up besides its main window (a taskbar-entry window and three forms
// with their controls), so the two differ only in what the program does with
// its windows. That build also does, at the least, what the program does to
// come back from hiding: one copy per session (a second start with an
// argument hands it over by WM_COPYDATA and ends), a hotkey read from the
// registry (HKCU\Software\MinimalPeer, "Hotkey", the hotkey field's word),
// and on either the window shown in front with the combo box's edit field
// focused and its text selected; a close hides the window.
#include <windows.h>
#include <commctrl.h>
#include <shellapi.h>

namespace {

#ifdef PEER_SAME_WINDOWS
HWND g_edit = nullptr;

void ShowReady(HWND window) {
    ShowWindow(window, SW_SHOW);
    SetForegroundWindow(window);
    SetFocus(g_edit);
    SendMessageA(g_edit, EM_SETSEL, 0, -1);
}
#endif

LRESULT CALLBACK WindowProc(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam) {
#ifdef PEER_SAME_WINDOWS
    switch (message) {
        case WM_CLOSE:
            ShowWindow(hwnd, SW_HIDE);
            return 0;
        case WM_HOTKEY:
            if (IsWindowVisible(hwnd) && GetForegroundWindow() == hwnd) ShowWindow(hwnd, SW_HIDE);
            else ShowReady(hwnd);
            return 0;
        case WM_COPYDATA:
            ShowReady(hwnd);
            return TRUE;
    }
#endif
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

// A second start hands its argument to the running copy, which shows itself;
// without one it just ends.
bool HandedToRunningCopy() {
    if (!CreateMutexA(nullptr, FALSE, "MinimalPeerRunning") || GetLastError() != ERROR_ALREADY_EXISTS) return false;
    int count = 0;
    LPWSTR* arguments = CommandLineToArgvW(GetCommandLineW(), &count);
    const HWND running = FindWindowA("MinimalPeer", "Minimal Peer");
    if (arguments && count > 1 && running) {
        DWORD owner = 0;
        GetWindowThreadProcessId(running, &owner);
        AllowSetForegroundWindow(owner);
        COPYDATASTRUCT data{};
        data.cbData = static_cast<DWORD>(lstrlenW(arguments[1]) * sizeof(wchar_t));
        data.lpData = arguments[1];
        SendMessageTimeoutW(running, WM_COPYDATA, 0, reinterpret_cast<LPARAM>(&data), SMTO_ABORTIFHUNG | SMTO_BLOCK,
                            3000, nullptr);
    }
    LocalFree(arguments);
    return true;
}

void RegisterStoredHotkey(HWND window) {
    DWORD word = 0, size = sizeof word;
    if (RegGetValueA(HKEY_CURRENT_USER, "Software\\MinimalPeer", "Hotkey", RRF_RT_REG_DWORD, nullptr, &word,
                     &size) != ERROR_SUCCESS ||
        !(word & 0xFF))
        return;
    const unsigned flags = word >> 8;
    const UINT modifiers = MOD_NOREPEAT | (flags & HOTKEYF_SHIFT ? MOD_SHIFT : 0) |
                           (flags & HOTKEYF_CONTROL ? MOD_CONTROL : 0) | (flags & HOTKEYF_ALT ? MOD_ALT : 0);
    RegisterHotKey(window, 1, modifiers, word & 0xFF);
}
#endif

}  // namespace

int WINAPI WinMain(HINSTANCE instance, HINSTANCE, LPSTR, int) {
#ifdef PEER_SAME_WINDOWS
    if (HandedToRunningCopy()) return 0;
#endif
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
    HWND combo = CreateWindowExA(0, "COMBOBOX", "", WS_CHILD | WS_VISIBLE | WS_TABSTOP | CBS_DROPDOWN, 8, 8,
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
    g_edit = FindWindowExA(combo, nullptr, "Edit", nullptr);
    RegisterStoredHotkey(window);
#else
    (void)combo;
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
