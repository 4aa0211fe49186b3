// Drives the real Quorvane.exe from outside, as a user would: starts it,
// finds its windows by caption, reads them, ends it. One case per run:
//   e2e_driver CASE PROGRAM_FOLDER
// Every wait has a deadline; a failing case says what it saw and exits 1.
// The cases live one chain to a file (chains.h); what they share, in
// driver_support.h.
#include <windows.h>
#include <objbase.h>

#include <fstream>
#include <initializer_list>

#include "chains.h"
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

constexpr Case kCases[] = {
    {"starts_and_shows_main_window", StartsAndShowsMainWindow},
    {"recorder_receives_the_exact_address", RecorderReceivesTheExactAddress},
    {"second_copy_is_refused", SecondCopyIsRefused},
    {"killed_copy_does_not_block_the_next_start", KilledCopyDoesNotBlockTheNextStart},
    {"ten_copies_at_once", TenCopiesAtOnce},
    {"enter_looks_up_the_typed_query", EnterLooksUpTheTypedQuery},
    {"main_window_layout", MainWindowLayout},
    {"history_survives_close_and_restart", HistorySurvivesCloseAndRestart},
    {"session_end_saves_new_commits", SessionEndSavesNewCommits},
    {"failed_save_keeps_the_old_file", FailedSaveKeepsTheOldFile},
    {"unreadable_history_is_reported", UnreadableHistoryIsReported},
    {"logoff_during_a_failure_box", LogoffDuringAFailureBox},
    {"completion_examples", CompletionExamples},
    {"completion_double_byte", CompletionDoubleByte},
    {"tray_chain", TrayChain},
    {"minimized_launch_starts_in_tray", MinimizedLaunchStartsInTray},
    {"bulk_lookup_chain", BulkLookupChain},
    {"about_chain", AboutChain},
    {"check_update_failure_is_reported", CheckUpdateFailureIsReported},
    {"installer_round_trip", InstallerRoundTrip},
    {"stress_history_under_kills", HistoryUnderKills},
    {"stress_disk_full", DiskFull},
    {"stress_damaged_history_files", DamagedHistoryFiles},
    {"stress_single_instance_under_load", SingleInstanceUnderLoad},
    {"stress_long_run", LongRun},
    {"stress_hostile_queries", HostileQueriesAreHandedOffExactly},
    {"show", Show},
    {"pose_main", PoseMain},
    {"pose_settings", PoseSettings},
    {"pose_bulk", PoseBulk},
    {"pose_about", PoseAbout},
    {"pose_tray_menu", PoseTrayMenu},
};

}  // namespace

int main() {
    CoInitializeEx(nullptr, COINIT_APARTMENTTHREADED);  // for reading shortcuts
    return RunCase(kCases, "e2e_driver");
}
