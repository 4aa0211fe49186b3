// Start-up and the single-instance guard: the main window as it first
// shows, and every other copy refused while one runs.
#include "chains.h"

#include <string>
#include <vector>

#include "driver_support.h"

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

// Whatever the launcher asks short of a minimized start, the main window
// shows normally, becomes the active window, and no taskbar entry stays.
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
        EndAndCheckNothingLeft(process);
    }
}
