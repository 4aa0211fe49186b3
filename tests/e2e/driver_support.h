// What the end-to-end chains and the screenshot poses share: the program
// under test and its folder, waits with deadlines, its windows, typing, the
// address recorder's log, files, the notification-area icon, the bulk run, the
// http handler, the stress runs' modes, and the runner of one named case.
// Every wait has a deadline; a step that fails throws DriverFailure.
#pragma once

#include <windows.h>
#include <psapi.h>

#include <random>
#include <span>
#include <string>
#include <vector>

#include "process_control.h"

extern std::string g_exe;  // the copy of Quorvane.exe in the case's own folder
std::string ProgramFolder();
std::string HistoryPath();

void Check(bool condition, const std::string& what);

template <class Condition>
void WaitUntil(Condition holds, const std::string& what) {
    Await(holds, what);
}

void CheckNothingLeft();
void EndAndCheckNothingLeft(ChildProcess& process);
bool MarkerPresent();
// The global atom's references are counted, and a count cannot be read: each
// reference left is deleted, and their number returned.
int DeleteMarkerReferences();
bool Running(const ChildProcess& process);

// A window's text as the window itself answers it (for another process's
// control GetWindowText would only read the caption the system keeps).
std::string Text(HWND window);
std::string ClassOf(HWND window);

// The process's top-level window of this class (of any class if null).
HWND WindowOf(const ChildProcess& process, const char* className, bool visibleOnly = false);
HWND WaitForVisibleWindowOf(const ChildProcess& process, const char* className);
HWND AppWindow(const ChildProcess& process);

// Ends the program the way a logoff does: it must agree, shut down cleanly,
// release its marker and exit with status 0.
void EndLikeLogoff(ChildProcess& process);
// Ends the program the way its user does: About from the tray menu, then its
// Exit; the program must exit with status 0.
void ExitFromAbout(const ChildProcess& process, HWND main);

// Sent, not posted: it returns once the program has handled the message.
void Deliver(HWND window, UINT message, WPARAM wParam = 0, LPARAM lParam = 0);

// The platform's message box of a process, and its message text.
HWND WaitForFailureBox(const ChildProcess& process);
std::string BoxMessage(HWND box);

// Another process's static text as the system keeps it: read without a
// message, so also while the program handles none.
std::string CaptionOf(HWND window);

// What a refused copy shows: the warning box, exactly, and nothing else.
HWND CheckRefusedWithWarning(const ChildProcess& copy);
void PressOk(const ChildProcess& copy, HWND box);

// Copies started at once: exactly one runs, every other one shows the
// warning box and ends with status 0 after OK. Returns the running one.
ChildProcess& OneOfCopiesRuns(std::vector<ChildProcess>& copies);

// Lines of the address recorder's log, each split at tabs: time, then the
// recorder's argument vector.
std::vector<std::vector<std::string>> RecordedCalls();
std::vector<std::vector<std::string>> WaitForRecordedCalls(size_t count);

HWND SearchBox(HWND main);
HWND SearchEdit(HWND main);

// Characters typed as the keyboard sends them: UTF-16 units, whatever the
// code page (a double-byte character posted as two ANSI bytes is not joined
// again on every platform).
void PostCharacters(HWND edit, const std::string& bytes);

// Types as the keyboard would: the characters replace the whole text. Every
// step is posted, so it keeps its place after keys posted before.
void Type(HWND edit, const std::string& text);

// A word in letters of the running code page beyond ASCII, so that typing,
// the lookup address, the bulk box and History.txt carry characters of more
// than one byte where the code page has them.
std::string LocalWord();

void PressKey(HWND target, UINT key);

// Types a query and presses Enter, then waits until the program has handled
// it: the Enter's character reaches the queue only once the key is handled,
// so anything posted before then would overtake it.
void CommitByEnter(HWND edit, const std::string& query, size_t lookupsSoFar);

bool Exists(const std::string& path);
std::string ReadAll(const std::string& path);
void WaitForFile(const std::string& path, const std::string& expected);
void WriteAll(const std::string& path, const std::string& bytes);
bool StartsWith(const std::string& text, const std::string& prefix);
std::string Joined(const std::vector<std::string>& parts);

constexpr UINT kTrayIconId = 123;
constexpr UINT kTrayMessage = 1357;

bool NotifyIcon(DWORD operation, HWND main);

// Another process's icon cannot be listed, but a change to it succeeds only
// while it exists.
bool IconPresent(HWND main);

// In the notification area: no window of the program shows (so neither does
// its taskbar entry), the icon is there and the program runs on.
void WaitInTray(const ChildProcess& process, HWND main);

void ClickIcon(HWND main, UINT mouseMessage);
void WaitRestored(HWND main);

// The tray menu's commands and the About window's controls.
constexpr WPARAM kWhoisLookupCommand = 201, kBulkCommand = 202, kAboutCommand = 203;
// The main window's window-menu command that shows the settings window, and
// the settings window's field that says where the history is kept.
constexpr WPARAM kSettingsCommand = 0x0010;
constexpr int kHistoryPlaceField = 103;
constexpr int kExitButton = 101, kCloseWindowButton = 102, kCheckUpdateButton = 103, kTitleLabel = 104, kLink = 106;

constexpr char kLookupPrefix[] = "http://tessaloon.com/whois/";

// Clicks Bulk Lookup and follows the run until the button is enabled again:
// `count` lookups after the recorder's `before` calls, the button disabled and
// the status showing while they go, each at least the pause after the one
// before. Returns their queries.
std::vector<std::string> BulkRun(HWND bulk, size_t before, size_t count);

bool ReadRegText(HKEY root, const char* key, const char* name, std::string& value);

// The prefix's http handler made unstartable for the length of a case. The
// handler's command is kept beside it, so a run killed halfway is undone by
// the next one: every run restores it first.
struct BrokenHttpHandler {
    BrokenHttpHandler();
    ~BrokenHttpHandler();
};

// Also runs while a failure unwinds: reports nothing, throws nothing.
void RestoreHttpHandler();

// Reliability scenarios. Bounded by default; QUORVANE_STRESS=long runs the
// long mode. Every random choice comes from one seed, printed, and taken from
// QUORVANE_STRESS_SEED when set, so a failing run can be repeated.
int Scaled(int bounded, int longRun);
std::mt19937_64& Random();

PROCESS_MEMORY_COUNTERS_EX MemoryOf(const ChildProcess& process);
constexpr SIZE_T kMiB = 1 << 20;

// One case of a program: its name on the command line, and its steps.
struct Case {
    const char* name;
    void (*run)();
};

// Runs the case the command line names ("CASE PROGRAM_FOLDER") against the
// folder's Quorvane.exe: 0 when it passes, 1 when it fails, 2 for a wrong
// command line.
int RunCase(std::span<const Case> cases, const char* program);
