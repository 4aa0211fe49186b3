// Start-up and the single-instance guard: the main window as it first
// shows, and every other copy refused while one runs.
#include "chains.h"

#include <cstring>
#include <string>
#include <vector>

#include "driver_support.h"

namespace {

HWND LookupButton(HWND main) { return FindWindowExA(main, nullptr, "Button", "Lookup"); }

RECT ClientRectOf(HWND parent, HWND child) {
    RECT r{};
    GetWindowRect(child, &r);
    MapWindowPoints(nullptr, parent, reinterpret_cast<POINT*>(&r), 2);
    return r;
}

}  // namespace

// A second copy shows only the warning box and ends with status 0 after OK;
// the first copy runs on unchanged and, ended cleanly, releases the marker.
void SecondCopyIsRefused() {
    ChildProcess first;
    Launch(first, g_exe);
    const HWND main = WaitForVisibleWindow(first, "WHOIS Lookup");
    Check(MarkerPresent(), "no marker while the first copy runs");

    ChildProcess second;
    Launch(second, g_exe);
    PressOk(second, CheckRefusedWithWarning(second));

    Check(Running(first), "first copy ended");
    Check(IsWindowVisible(main), "first copy's main window is gone");
    Check(MarkerPresent(), "marker gone while the first copy runs");
    EndLikeLogoff(first);
    Check(!MarkerPresent(), "marker left after a clean end");
    Check(!IsWindow(main), "main window left after a clean end");
    CheckNothingLeft();
}

// Another program's reference to the marker, taken before any copy starts,
// and a killed copy's, which stays behind: neither blocks the next start, and
// that copy's Exit deletes its own reference and no other.
void KilledCopyDoesNotBlockTheNextStart() {
    Check(GlobalAddAtomA("PROGRAM_RUNNING") != 0, "the driver could not add its marker reference");
    ChildProcess killed;
    Launch(killed, g_exe);
    WaitForVisibleWindow(killed, "WHOIS Lookup");
    EndProcess(killed);

    ChildProcess next;
    Launch(next, g_exe);
    const HWND main = WaitForVisibleWindow(next, "WHOIS Lookup");
    Check(!FindVisibleWindow(next.info.dwProcessId, "Warning"), "next start was refused");
    Check(MarkerPresent(), "no marker while the next copy runs");
    ExitFromAbout(next, main);
    const int left = DeleteMarkerReferences();
    Check(left == 2, std::to_string(left) + " marker references left after Exit, not the driver's and the killed copy's");
    CheckNothingLeft();
}

void TenCopiesAtOnce() {
    std::vector<ChildProcess> copies(10);
    EndLikeLogoff(OneOfCopiesRuns(copies));
    Check(!MarkerPresent(), "marker left after a clean end");
    CheckNothingLeft();
}

// The main window appears with its caption, on top, as a tool window with the
// designed client size; whatever the launcher asks short of a minimized start,
// it shows normally, becomes the active window, and no taskbar entry stays.
void StartsAndShowsMainWindow() {
    // -1: no show command in the launch at all.
    for (const int showCommand : {-1, SW_SHOWNORMAL, SW_SHOWMAXIMIZED, SW_HIDE}) {
        const std::string launch = " (show command " + std::to_string(showCommand) + ")";
        ChildProcess process;
        Launch(process, g_exe, showCommand);
        const HWND main = WaitForVisibleWindow(process, "WHOIS Lookup");
        WaitUntil([&] { return GetForegroundWindow() == main; }, "main window not active" + launch);
        Deliver(main, WM_NULL, 0, 0);  // answered once start-up is over and the loop runs
        Check(!IsWindowVisible(AppWindow(process)), "taskbar entry shows" + launch);
        Check(!IsZoomed(main) && !IsIconic(main), "main window not in its normal state" + launch);
        char className[64] = {};
        GetClassNameA(main, className, sizeof className);
        Check(std::strcmp(className, "TForm1") == 0, std::string("main window class is ") + className);
        const LONG_PTR exStyle = GetWindowLongPtrA(main, GWL_EXSTYLE);
        Check(exStyle & WS_EX_TOPMOST, "main window is not always on top");
        Check(exStyle & WS_EX_TOOLWINDOW, "main window is not a tool window");
        RECT client{};
        GetClientRect(main, &client);
        const UINT dpi = GetDpiForWindow(main);
        Check(client.right == MulDiv(296, dpi, 96) && client.bottom == MulDiv(35, dpi, 96),
              "client area is " + std::to_string(client.right) + " x " + std::to_string(client.bottom) + " at " +
                  std::to_string(dpi) + " DPI" + launch);
        EndAndCheckNothingLeft(process);
    }
}

// The window and its controls are where the layout puts them.
void MainWindowLayout() {
    ChildProcess process;
    Launch(process, g_exe);
    const HWND main = WaitForVisibleWindow(process, "WHOIS Lookup");
    const int dpi = static_cast<int>(GetDpiForWindow(main));
    auto scaled = [dpi](int v) { return MulDiv(v, dpi, 96); };
    const RECT combo = ClientRectOf(main, SearchBox(main));
    Check(combo.left == scaled(8) && combo.top == scaled(8) && combo.right - combo.left == scaled(201),
          "search box at " + std::to_string(combo.left) + "," + std::to_string(combo.top) + " width " +
              std::to_string(combo.right - combo.left));
    const RECT button = ClientRectOf(main, LookupButton(main));
    Check(button.left == scaled(216) && button.top == scaled(5) && button.right - button.left == scaled(73) &&
              button.bottom - button.top == scaled(25),
          "button at " + std::to_string(button.left) + "," + std::to_string(button.top) + " size " +
              std::to_string(button.right - button.left) + " x " + std::to_string(button.bottom - button.top));
    Check(Text(SearchBox(main)) == "Enter domain, IP address or ASN", "search box text \"" + Text(SearchBox(main)) + "\"");
    EndAndCheckNothingLeft(process);
}
