// The notification area: the icon, its clicks and menu, and the window's
// place above it.
#include "chains.h"

#include <windows.h>
#include <shellapi.h>

#include <string>

#include "driver_support.h"

namespace {

// Without a notification area to sit above, the window takes the bottom-right
// corner of the primary monitor's work area.
void CheckInWorkAreaCorner(HWND main) {
    RECT work{}, window{};
    SystemParametersInfoA(SPI_GETWORKAREA, 0, &work, 0);
    GetWindowRect(main, &window);
    Check(window.left >= work.left && window.top >= work.top && window.right == work.right &&
              window.bottom == work.bottom,
          "main window at " + std::to_string(window.left) + "," + std::to_string(window.top) + "-" +
              std::to_string(window.right) + "," + std::to_string(window.bottom) + ", work area ends at " +
              std::to_string(work.right) + "," + std::to_string(work.bottom));
}

}  // namespace

// Close hides the program in the notification area; the icon's clicks, a
// restarted taskbar and a close of the application window all work.
void TrayChain() {
    ChildProcess process;
    Launch(process, g_exe);
    const HWND main = WaitForVisibleWindow(process, "WHOIS Lookup");
    CheckInWorkAreaCorner(main);
    WaitUntil([&] { return IconPresent(main); }, "no icon while the main window shows");
    CommitByEnter(SearchEdit(main), "tray.example", 1);
    PostMessageA(main, WM_CLOSE, 0, 0);
    WaitForFile(HistoryPath(), "tray.example\r\n");
    WaitInTray(process, main);
    ClickIcon(main, WM_LBUTTONUP);
    WaitRestored(main);

    PostMessageA(main, WM_SYSCOMMAND, SC_CLOSE, 0);
    WaitInTray(process, main);
    ClickIcon(main, WM_LBUTTONDBLCLK);
    WaitRestored(main);

    // A restarted shell has lost the icon; the program adds it again, unseen.
    PostMessageA(main, WM_CLOSE, 0, 0);
    WaitInTray(process, main);
    // The close adds the icon after hiding; a sent message is answered only
    // once the program takes messages again.
    SendMessageTimeoutA(main, WM_NULL, 0, 0, SMTO_NORMAL, kStartTimeoutMs, nullptr);
    Check(NotifyIcon(NIM_DELETE, main), "cannot delete the icon");
    Check(!IconPresent(main), "icon still there after its deletion");
    SendMessageTimeoutA(HWND_BROADCAST, RegisterWindowMessageA("TaskbarCreated"), 0, 0, SMTO_ABORTIFHUNG,
                        kStartTimeoutMs, nullptr);
    WaitInTray(process, main);

    ClickIcon(main, WM_LBUTTONUP);
    WaitRestored(main);
    PostMessageA(AppWindow(process), WM_CLOSE, 0, 0);
    WaitInTray(process, main);
    ClickIcon(main, WM_LBUTTONUP);
    WaitRestored(main);
    CheckInWorkAreaCorner(main);
    EndLikeLogoff(process);
    CheckNothingLeft();
}

// Started minimized, the program goes straight to the notification area; the
// icon's menu brings it back. (Right after a hide, Wine's late focus event for
// the hidden window would cancel the menu at once: no hide precedes it here.)
void MinimizedLaunchStartsInTray() {
    ChildProcess process;
    Launch(process, g_exe, SW_SHOWMINNOACTIVE);
    HWND main = nullptr;
    WaitUntil([&] { return (main = WindowOf(process, "TForm1")) && IconPresent(main); }, "no main window with an icon");
    WaitInTray(process, main);
    // Menu texts do not cross processes under Wine; the first entry is chosen
    // by keys, which the menu's loop in the program takes.
    ClickIcon(main, WM_RBUTTONDOWN);
    const HWND menu = WaitForVisibleWindowOf(process, "#32768");
    PressKey(menu, VK_DOWN);
    PressKey(menu, VK_RETURN);
    WaitRestored(main);
    EndLikeLogoff(process);
    CheckNothingLeft();
}
