#include "win/tray_icon.h"

#include <cstddef>
#include <utility>

#include "core/placement.h"

// The oldest layout ends after the first 64 bytes of szTip.
static_assert(NOTIFYICONDATAA_V1_SIZE == (sizeof(void*) == 8 ? 104 : 88));

namespace {

constexpr std::size_t kTipSize = 64;

void NotifyIcon(DWORD action, const NOTIFYICONDATAA& data) {
    if (data.hWnd == nullptr) return;
    NOTIFYICONDATAA copy = data;  // the shell's signature is not const
    Shell_NotifyIconA(action, &copy);
}

ScreenRect ToScreenRect(const RECT& r) {
    return {static_cast<int>(r.left), static_cast<int>(r.top), static_cast<int>(r.right),
            static_cast<int>(r.bottom)};
}

}  // namespace

UniqueIcon SmallProgramIcon(UINT dpi) {
    return UniqueIcon(static_cast<HICON>(LoadImageA(GetModuleHandleA(nullptr), "MAINICON", IMAGE_ICON,
                                                    GetSystemMetricsForDpi(SM_CXSMICON, dpi),
                                                    GetSystemMetricsForDpi(SM_CYSMICON, dpi), LR_DEFAULTCOLOR)));
}

bool PhysicalKeyDown(int key) { return GetAsyncKeyState(key) < 0; }

// A swapped mouse has its logical right button on the physical left.
bool RightPressCameFromEnterOrSpace(bool (*keyDown)(int key)) {
    const int rightButton = GetSystemMetrics(SM_SWAPBUTTON) ? VK_LBUTTON : VK_RBUTTON;
    return !keyDown(rightButton) && (keyDown(VK_RETURN) || keyDown(VK_SPACE));
}

NOTIFYICONDATAA MakeTrayIconData(HWND window, HICON icon, std::string_view tip, const CodePage& codePage) {
    NOTIFYICONDATAA data{};
    data.cbSize = NOTIFYICONDATAA_V1_SIZE;
    data.hWnd = window;
    data.uID = kTrayIconId;
    data.uFlags = NIF_MESSAGE | NIF_ICON | NIF_TIP;
    data.uCallbackMessage = kTrayCallbackMessage;
    data.hIcon = icon;
    const std::size_t length = codePage.WholeCharactersWithin(tip, kTipSize - 1);
    for (std::size_t i = 0; i < length; ++i) data.szTip[i] = tip[i];  // the rest stays zero
    return data;
}

void TrayIcon::Add() {
    if (added_) return;
    added_ = data_.hWnd != nullptr;
    NotifyIcon(NIM_ADD, data_);
}

void TrayIcon::AddAgain() {
    added_ = false;
    Add();
}

void TrayIcon::SetImage(UniqueIcon image) {
    data_.hIcon = image.Get();
    if (added_) NotifyIcon(NIM_MODIFY, data_);
    image_ = std::move(image);  // the shell has let go of the one before
}

void TrayIcon::Remove() {
    if (!added_) return;
    added_ = false;
    NotifyIcon(NIM_DELETE, data_);
}

UINT TaskbarCreatedMessage() {
    static const UINT message = RegisterWindowMessageA("TaskbarCreated");
    return message;
}

void TrackTrayMenu(HWND owner, HMENU menu, POINT at) {
    // Unless the owner is the foreground window the menu stays open when the
    // user clicks elsewhere; the posted message makes the switch take effect
    // so the next click on the icon opens the menu again.
    SetForegroundWindow(owner);
    TrackPopupMenu(menu, TPM_LEFTALIGN | TPM_TOPALIGN | TPM_RIGHTBUTTON, at.x, at.y, 0, owner, nullptr);
    PostMessageA(owner, WM_NULL, 0, 0);
}

RECT GetTrayNotifyRect() {
    RECT rect{};
    const HWND taskbar = FindWindowA("Shell_TrayWnd", nullptr);
    if (taskbar == nullptr) return rect;
    const HWND notify = FindWindowExA(taskbar, nullptr, "TrayNotifyWnd", nullptr);
    if (notify == nullptr) return rect;
    if (!GetWindowRect(notify, &rect)) rect = RECT{};
    return rect;
}

void PlaceAboveNotificationArea(HWND window) {
    RECT outer{};
    if (!GetWindowRect(window, &outer)) return;
    const RECT notifyRect = GetTrayNotifyRect();
    ScreenRect tray = ToScreenRect(notifyRect);
    const bool noTray = IsZeroRect(tray);
    const HMONITOR monitor = noTray ? MonitorFromPoint(POINT{0, 0}, MONITOR_DEFAULTTOPRIMARY)
                                    : MonitorFromRect(&notifyRect, MONITOR_DEFAULTTONEAREST);
    MONITORINFO info{};
    info.cbSize = sizeof(info);
    if (!GetMonitorInfoA(monitor, &info)) return;  // leave the window where it is
    const ScreenRect workArea = ToScreenRect(info.rcWork);
    if (noTray) tray = BottomRightCorner(workArea);
    const ScreenPoint at = PlaceAboveNotificationArea(tray, static_cast<int>(outer.right - outer.left),
                                                      static_cast<int>(outer.bottom - outer.top), workArea);
    SetWindowPos(window, nullptr, at.x, at.y, 0, 0, SWP_NOSIZE | SWP_NOZORDER | SWP_NOACTIVATE);
}
