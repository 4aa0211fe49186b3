// Poses Quorvane.exe for pictures: the run command's screenshot and the
// screenshot script's picture of every window.
//   screenshot_poses POSE PROGRAM_FOLDER
// Each pose starts the folder's program, brings it to one state and leaves it
// running for the picture.
#include <fstream>
#include <initializer_list>

#include "driver_support.h"

namespace {

// For the run command's screenshot: starts the program and leaves it running
// once its main window shows.
void Show() {
    ChildProcess process;
    Launch(process, g_exe);
    const HWND main = WaitForVisibleWindow(process, "WHOIS Lookup");
    // Painted, and its icon in the notification area, before the picture is taken.
    WaitUntil([&] { return IconPresent(main); }, "no icon in the notification area");
    RedrawWindow(main, nullptr, nullptr, RDW_INVALIDATE | RDW_UPDATENOW | RDW_ALLCHILDREN);
}

// The screenshot script's poses: each brings the program to one state, leaves
// it running and writes the screen rectangle worth keeping to pose.txt.
void WritePose(RECT area, std::initializer_list<HWND> shown) {
    // Painted through before the picture is taken.
    for (HWND window : shown) {
        RedrawWindow(window, nullptr, nullptr, RDW_INVALIDATE | RDW_ERASE | RDW_UPDATENOW | RDW_ALLCHILDREN);
        Deliver(window, WM_NULL);
    }
    constexpr int kMargin = 12;
    std::ofstream(Wide(ProgramFolder() + "pose.txt").c_str())
        << area.left - kMargin << ' ' << area.top - kMargin << ' ' << area.right - area.left + 2 * kMargin << ' '
        << area.bottom - area.top + 2 * kMargin << '\n';
}

void WritePose(HWND window) {
    RECT r{};
    GetWindowRect(window, &r);
    WritePose(r, {window});
}

HWND StartForPose(ChildProcess& process) {
    WriteAll(HistoryPath(), "example.com\r\n192.0.2.1\r\nas64500\r\ntessaloon.com\r\n");
    Launch(process, g_exe);
    const HWND main = WaitForVisibleWindow(process, "WHOIS Lookup");
    WaitUntil([&] { return IconPresent(main); }, "no icon in the notification area");
    return main;
}

void PoseMain() {
    ChildProcess process;
    const HWND main = StartForPose(process);
    Deliver(SearchBox(main), CB_SHOWDROPDOWN, TRUE);
    // The list is a window of its own; its handle does not cross processes.
    const HWND list = WaitForVisibleWindowOf(process, "ComboLBox");
    RECT a{}, b{}, both{};
    GetWindowRect(main, &a);
    GetWindowRect(list, &b);
    UnionRect(&both, &a, &b);
    WritePose(both, {main, list});
}

void PoseSettings() {
    ChildProcess process;
    const HWND main = StartForPose(process);
    PostMessageA(main, WM_SYSCOMMAND, 0x0010, 0);
    WritePose(WaitForVisibleWindowOf(process, "TFormSetting"));
}

void PoseBulk() {
    ChildProcess process;
    const HWND main = StartForPose(process);
    Deliver(main, WM_COMMAND, kBulkCommand);
    const HWND bulk = WaitForVisibleWindowOf(process, "TFormBulkWhoisLookupTool");
    const HWND memo = FindWindowExA(bulk, nullptr, "Edit", nullptr);
    Deliver(memo, WM_SETTEXT, 0,
            reinterpret_cast<LPARAM>("http://www.Example.com/a\r\n  192.0.2.1  \r\nAS64500\r\nhost.example==x"));
    BulkRun(bulk, 0, 4);
    WritePose(bulk);
}

void PoseAbout() {
    ChildProcess process;
    const HWND main = StartForPose(process);
    Deliver(main, WM_COMMAND, kAboutCommand);
    WritePose(WaitForVisibleWindowOf(process, "TFormAbout"));
}

void PoseTrayMenu() {
    ChildProcess process;
    const HWND main = StartForPose(process);
    SetCursorPos(1000, 500);
    ClickIcon(main, WM_RBUTTONDOWN);
    WritePose(WaitForVisibleWindowOf(process, "#32768"));
}

constexpr Case kPoses[] = {
    {"show", Show},
    {"main", PoseMain},
    {"settings", PoseSettings},
    {"bulk", PoseBulk},
    {"about", PoseAbout},
    {"tray_menu", PoseTrayMenu},
};

}  // namespace

int main() {
    // A window of this process's own, though never shown: without one, Wine
    // draws the main window over its open list in the main pose's picture.
    CreateWindowExA(0, "STATIC", "", 0, 0, 0, 0, 0, HWND_MESSAGE, nullptr, nullptr, nullptr);
    return RunCase(kPoses, "screenshot_poses");
}
