// Drives the real Quorvane.exe from outside, as a user would: starts it,
// finds its windows by caption, reads them, ends it. One case per run:
//   e2e_driver CASE PROGRAM_FOLDER
// Every wait has a deadline; a failing case says what it saw and exits 1.
#include <windows.h>
#include <shellapi.h>
#include <shlobj.h>

#include <cstdio>
#include <cstring>
#include <fstream>
#include <initializer_list>
#include <iterator>
#include <string>
#include <utility>
#include <vector>

#include "process_control.h"
#include "version.h"

namespace {

std::string g_exe;  // the copy of Quorvane.exe in the case's own folder

void Check(bool condition, const std::string& what) {
    if (!condition) throw DriverFailure{what};
}

// Window states of another process have no event of their own: re-read
// until they hold or the deadline passes.
template <class Condition>
void WaitUntil(Condition holds, const std::string& what) {
    const ULONGLONG deadline = GetTickCount64() + kStartTimeoutMs;
    while (!holds()) {
        Check(GetTickCount64() < deadline, what);
        Sleep(5);
    }
}

void CheckNothingLeft() { Check(CountProcesses("Quorvane.exe") == 0, "a Quorvane.exe process is left"); }

void EndAndCheckNothingLeft(ChildProcess& process) {
    EndProcess(process);
    CheckNothingLeft();
}

bool MarkerPresent() { return GlobalFindAtomA("PROGRAM_RUNNING") != 0; }

bool Running(const ChildProcess& process) {
    return WaitForSingleObject(process.info.hProcess, 0) == WAIT_TIMEOUT;
}

// A window's text as the window itself answers it (for another process's
// control GetWindowText would only read the caption the system keeps).
std::string Text(HWND window) {
    char text[512] = {};
    SendMessageA(window, WM_GETTEXT, sizeof text, reinterpret_cast<LPARAM>(text));
    return text;
}

std::string ClassOf(HWND window) {
    char name[64] = {};
    GetClassNameA(window, name, sizeof name);
    return name;
}

// The process's top-level window of this class (of any class if null).
HWND WindowOf(const ChildProcess& process, const char* className, bool visibleOnly = false) {
    for (HWND w = FindWindowExA(nullptr, nullptr, className, nullptr); w;
         w = FindWindowExA(nullptr, w, className, nullptr)) {
        DWORD owner = 0;
        GetWindowThreadProcessId(w, &owner);
        if (owner == process.info.dwProcessId && (!visibleOnly || IsWindowVisible(w))) return w;
    }
    return nullptr;
}

HWND WaitForVisibleWindowOf(const ChildProcess& process, const char* className) {
    HWND window = nullptr;
    WaitUntil([&] { return (window = WindowOf(process, className, true)) != nullptr; },
              std::string("no visible window of class ") + className);
    return window;
}

HWND AppWindow(const ChildProcess& process) {
    if (HWND app = WindowOf(process, "QuorvaneApplication")) return app;
    throw DriverFailure{"no application window"};
}

// Ends the program the way a logoff does: it must agree, shut down cleanly,
// release its marker and exit with status 0.
void EndLikeLogoff(ChildProcess& process) {
    const HWND app = AppWindow(process);
    Check(SendMessageA(app, WM_QUERYENDSESSION, 0, 0) == TRUE, "program objects to ending the session");
    SendMessageA(app, WM_ENDSESSION, TRUE, 0);
    const DWORD code = WaitForExit(process);
    Check(code == 0, "exit status " + std::to_string(code));
}

// What a refused copy shows: the warning box, exactly, and nothing else.
HWND CheckRefusedWithWarning(const ChildProcess& copy) {
    const HWND box = WaitForVisibleWindow(copy, "Warning");
    Check(ClassOf(box) == "TMessageForm", "warning window class is " + ClassOf(box));
    std::string message;
    int buttons = 0;
    for (HWND child = GetWindow(box, GW_CHILD); child; child = GetWindow(child, GW_HWNDNEXT)) {
        if (_stricmp(ClassOf(child).c_str(), "Button") == 0) {
            ++buttons;
            Check(Text(child) == "OK", "button caption \"" + Text(child) + "\"");
        } else if (!Text(child).empty()) {
            message = Text(child);
        }
    }
    Check(message == "Program is already Running! Please check in Systray",
          "warning text \"" + message + "\"");
    Check(buttons == 1, std::to_string(buttons) + " buttons in the warning box");
    Check(!FindVisibleWindow(copy.info.dwProcessId, "WHOIS Lookup"), "refused copy shows its main window");
    return box;
}

void PressOk(const ChildProcess& copy, HWND box) {
    PostMessageA(GetDlgItem(box, IDOK), BM_CLICK, 0, 0);
    const DWORD code = WaitForExit(copy);
    Check(code == 0, "refused copy exit status " + std::to_string(code));
}

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

// A killed copy leaves its marker behind; the next start is not refused.
void KilledCopyDoesNotBlockTheNextStart() {
    ChildProcess killed;
    Launch(killed, g_exe);
    WaitForVisibleWindow(killed, "WHOIS Lookup");
    EndProcess(killed);
    Check(MarkerPresent(), "a killed copy's marker should stay behind");

    ChildProcess next;
    Launch(next, g_exe);
    WaitForVisibleWindow(next, "WHOIS Lookup");
    Check(!FindVisibleWindow(next.info.dwProcessId, "Warning"), "next start was refused");
    EndLikeLogoff(next);
    CheckNothingLeft();
}

// Ten copies started at once: exactly one runs, nine show the warning box.
void TenCopiesAtOnce() {
    constexpr int kCopies = 10;
    ChildProcess copies[kCopies];
    for (ChildProcess& copy : copies) Launch(copy, g_exe);
    int runningIndex = -1;
    HWND boxes[kCopies] = {};
    const ULONGLONG deadline = GetTickCount64() + kStartTimeoutMs;
    for (int i = 0; i < kCopies; ++i) {
        Check(WaitForInputIdle(copies[i].info.hProcess, kStartTimeoutMs) == 0, "copy not started");
        for (;;) {
            if (FindVisibleWindow(copies[i].info.dwProcessId, "WHOIS Lookup")) {
                Check(runningIndex < 0, "two copies run");
                runningIndex = i;
                break;
            }
            if ((boxes[i] = FindVisibleWindow(copies[i].info.dwProcessId, "Warning"))) break;
            Check(GetTickCount64() < deadline, "copy " + std::to_string(i) + " shows neither window");
            Sleep(10);
        }
    }
    Check(runningIndex >= 0, "no copy runs");
    for (int i = 0; i < kCopies; ++i)
        if (i != runningIndex) PressOk(copies[i], CheckRefusedWithWarning(copies[i]));
    Check(Running(copies[runningIndex]), "the running copy ended");
    EndLikeLogoff(copies[runningIndex]);
    Check(!MarkerPresent(), "marker left after a clean end");
    CheckNothingLeft();
}

// The main window appears with its caption, on top, as a tool window with the
// designed client size.
void StartsAndShowsMainWindow() {
    ChildProcess process;
    Launch(process, g_exe);
    const HWND main = WaitForVisibleWindow(process, "WHOIS Lookup");
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
          "client area is " + std::to_string(client.right) + " x " + std::to_string(client.bottom) +
              " at " + std::to_string(dpi) + " DPI");
    EndAndCheckNothingLeft(process);
}

// Lines of the address recorder's log, each split at tabs: time, then the
// recorder's argument vector.
std::vector<std::vector<std::string>> RecordedCalls() {
    char path[MAX_PATH * 2];
    const DWORD n = GetEnvironmentVariableA("QUORVANE_RECORDER_LOG", path, sizeof path);
    Check(n > 0 && n < sizeof path, "QUORVANE_RECORDER_LOG is not set");
    std::vector<std::vector<std::string>> calls;
    std::ifstream log(path, std::ios::binary);
    for (std::string line; std::getline(log, line);) {
        if (!line.empty() && line.back() == '\r') line.pop_back();
        std::vector<std::string> fields;
        for (size_t start = 0;;) {
            const size_t tab = line.find('\t', start);
            fields.push_back(line.substr(start, tab - start));
            if (tab == std::string::npos) break;
            start = tab + 1;
        }
        calls.push_back(std::move(fields));
    }
    return calls;
}

std::vector<std::vector<std::string>> WaitForRecordedCalls(size_t count) {
    std::vector<std::vector<std::string>> calls;
    const ULONGLONG deadline = GetTickCount64() + kStartTimeoutMs;
    while ((calls = RecordedCalls()).size() < count && GetTickCount64() < deadline) Sleep(10);
    Check(calls.size() == count, "recorder saw " + std::to_string(calls.size()) + " calls, not " +
                                     std::to_string(count));
    return calls;
}

// The bench itself: an address handed to the shell reaches the recorder
// unchanged, as the one argument after its own path.
void RecorderReceivesTheExactAddress() {
    const std::string address = "http://tessaloon.com/whois/a%20b?q=1&r=%22#frag";
    const auto result = reinterpret_cast<INT_PTR>(
        ShellExecuteA(nullptr, "open", address.c_str(), nullptr, nullptr, SW_SHOW));
    Check(result > 32, "ShellExecuteA failed with " + std::to_string(result));
    const auto calls = WaitForRecordedCalls(1);
    Check(calls[0].size() == 3, "recorder got " + std::to_string(calls[0].size() - 1) + " arguments");
    Check(calls[0][2] == address, "recorder got \"" + calls[0][2] + "\"");
}

HWND SearchBox(HWND main) { return FindWindowExA(main, nullptr, "ComboBox", nullptr); }
HWND SearchEdit(HWND main) { return FindWindowExA(SearchBox(main), nullptr, "Edit", nullptr); }
HWND LookupButton(HWND main) { return FindWindowExA(main, nullptr, "Button", "Lookup"); }

// Types as the keyboard would: the characters replace the whole text. Every
// step is posted, so it keeps its place after keys posted before.
void Type(HWND edit, const std::string& text) {
    PostMessageA(edit, EM_SETSEL, 0, -1);
    for (unsigned char c : text) PostMessageA(edit, WM_CHAR, c, 1);
}

void PressKey(HWND target, UINT key) {
    PostMessageA(target, WM_KEYDOWN, key, 1);
    PostMessageA(target, WM_KEYUP, key, 0xC0000001);
}

// Types a query and presses Enter, then waits until the program has handled
// it: the Enter's character reaches the queue only once the key is handled,
// so anything posted before then would overtake it.
void CommitByEnter(HWND edit, const std::string& query, size_t lookupsSoFar) {
    Type(edit, query);
    PressKey(edit, VK_RETURN);
    WaitForRecordedCalls(lookupsSoFar);
}

// Enter in the search box opens the lookup address through the real shell:
// the browser (the recorder) sees exactly the address as its one argument,
// with a pasted quote and blank escaped.
void EnterLooksUpTheTypedQuery() {
    ChildProcess process;
    Launch(process, g_exe);
    const HWND edit = SearchEdit(WaitForVisibleWindow(process, "WHOIS Lookup"));
    Check(edit != nullptr, "no search box");
    CommitByEnter(edit, "example.com", 1);
    auto calls = RecordedCalls();
    Check(calls[0].size() == 3 && calls[0][2] == "http://tessaloon.com/whois/example.com",
          "browser got \"" + calls[0].back() + "\" among " + std::to_string(calls[0].size() - 1) + " arguments");
    CommitByEnter(edit, "a\"b c", 2);
    calls = RecordedCalls();
    Check(calls[1].size() == 3 && calls[1][2] == "http://tessaloon.com/whois/a%22b%20c",
          "browser got \"" + calls[1].back() + "\" among " + std::to_string(calls[1].size() - 1) + " arguments");
    EndAndCheckNothingLeft(process);
}

RECT ClientRectOf(HWND parent, HWND child) {
    RECT r{};
    GetWindowRect(child, &r);
    MapWindowPoints(nullptr, parent, reinterpret_cast<POINT*>(&r), 2);
    return r;
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

std::string HistoryPath() { return g_exe.substr(0, g_exe.find_last_of('\\') + 1) + "History.txt"; }

std::string ReadAll(const std::string& path) {
    std::ifstream in(path, std::ios::binary);
    return std::string(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
}

void WaitForFile(const std::string& path, const std::string& expected) {
    const ULONGLONG deadline = GetTickCount64() + kStartTimeoutMs;
    while (ReadAll(path) != expected && GetTickCount64() < deadline) Sleep(10);
    Check(ReadAll(path) == expected, "History.txt holds \"" + ReadAll(path) + "\"");
}

// The entries of another process's search box. Its list texts do not cross
// process boundaries intact under Wine, so each entry is selected in turn and
// read back as the box's text: this changes the text, so read it last.
std::vector<std::string> ListEntries(HWND combo) {
    std::vector<std::string> entries;
    const LRESULT count = SendMessageA(combo, CB_GETCOUNT, 0, 0);
    for (LRESULT i = 0; i < count; ++i) {
        SendMessageA(combo, CB_SETCURSEL, i, 0);
        entries.push_back(Text(combo));
    }
    return entries;
}

// The platform's message box of a process, and its message text.
HWND WaitForFailureBox(const ChildProcess& process) { return WaitForVisibleWindowOf(process, "#32770"); }

std::string BoxMessage(HWND box) {
    for (HWND child = GetWindow(box, GW_CHILD); child; child = GetWindow(child, GW_HWNDNEXT))
        if (_stricmp(ClassOf(child).c_str(), "Static") == 0 && !Text(child).empty()) return Text(child);
    return {};
}

bool StartsWith(const std::string& text, const std::string& prefix) { return text.rfind(prefix, 0) == 0; }


// Queries committed by Enter are written at the close request, byte-exact,
// and offered in order after a restart.
void HistorySurvivesCloseAndRestart() {
    {
        ChildProcess process;
        Launch(process, g_exe);
        const HWND main = WaitForVisibleWindow(process, "WHOIS Lookup");
        CommitByEnter(SearchEdit(main), "b.example", 1);
        CommitByEnter(SearchEdit(main), " a.example", 2);
        PostMessageA(main, WM_CLOSE, 0, 0);
        WaitForFile(HistoryPath(), " a.example\r\nb.example\r\n");
        EndLikeLogoff(process);
    }
    ChildProcess process;
    Launch(process, g_exe);
    const HWND main = WaitForVisibleWindow(process, "WHOIS Lookup");
    Check(Text(SearchBox(main)) == "Enter domain, IP address or ASN", "search box text \"" + Text(SearchBox(main)) + "\"");
    const auto entries = ListEntries(SearchBox(main));
    std::string seen;
    for (const std::string& entry : entries) seen += "[" + entry + "]";
    Check(entries == std::vector<std::string>{" a.example", "b.example"}, "entries after the restart: " + seen);
    EndAndCheckNothingLeft(process);
}

// Queries committed since the last close are saved when the session ends.
void SessionEndSavesNewCommits() {
    ChildProcess process;
    Launch(process, g_exe);
    const HWND main = WaitForVisibleWindow(process, "WHOIS Lookup");
    CommitByEnter(SearchEdit(main), "kept.example", 1);
    EndLikeLogoff(process);
    Check(ReadAll(HistoryPath()) == "kept.example\r\n", "History.txt holds \"" + ReadAll(HistoryPath()) + "\"");
    CheckNothingLeft();
}

// Holds History.txt open without sharing, as another program could.
struct HeldFile {
    HANDLE handle;
    explicit HeldFile(const std::string& path)
        : handle(CreateFileA(path.c_str(), GENERIC_READ, 0, nullptr, OPEN_EXISTING, 0, nullptr)) {
        Check(handle != INVALID_HANDLE_VALUE, "cannot hold " + path);
    }
    ~HeldFile() { CloseHandle(handle); }
};

void WriteAll(const std::string& path, const std::string& bytes) {
    std::ofstream(path, std::ios::binary) << bytes;
}

// Starts the program over History.txt "old", commits "new.example" and
// closes the main window while another program holds the file: the save
// fails. Returns the main window and the failure box, still up.
std::pair<HWND, HWND> StartAndFailASave(ChildProcess& process) {
    WriteAll(HistoryPath(), "old\r\n");
    Launch(process, g_exe);
    const HWND main = WaitForVisibleWindow(process, "WHOIS Lookup");
    CommitByEnter(SearchEdit(main), "new.example", 1);
    HeldFile held(HistoryPath());
    PostMessageA(main, WM_CLOSE, 0, 0);
    return {main, WaitForFailureBox(process)};
}

// A save that fails is reported with the path and leaves the old file as it was.
void FailedSaveKeepsTheOldFile() {
    ChildProcess process;
    const auto [main, box] = StartAndFailASave(process);
    const std::string message = BoxMessage(box);
    Check(StartsWith(message, "Cannot create file \"" + HistoryPath() + "\". "), "failure box says \"" + message + "\"");
    PostMessageA(box, WM_COMMAND, IDOK, 0);
    Check(ReadAll(HistoryPath()) == "old\r\n", "History.txt changed to \"" + ReadAll(HistoryPath()) + "\"");
    Check(IsWindowVisible(main), "main window went away after the failed save");
    EndLikeLogoff(process);
    Check(ReadAll(HistoryPath()) == "new.example\r\nold\r\n", "History.txt holds \"" + ReadAll(HistoryPath()) + "\"");
    CheckNothingLeft();
}

// Logoff while the failure box of a save is up: the program saves, lets the
// box's loop unwind and ends cleanly.
void LogoffDuringAFailureBox() {
    ChildProcess process;
    StartAndFailASave(process);
    EndLikeLogoff(process);
    Check(ReadAll(HistoryPath()) == "new.example\r\nold\r\n", "History.txt holds \"" + ReadAll(HistoryPath()) + "\"");
    CheckNothingLeft();
}

// A History.txt that cannot be read is reported; the program still starts.
void UnreadableHistoryIsReported() {
    WriteAll(HistoryPath(), "x\r\n");
    ChildProcess process;
    {
        HeldFile held(HistoryPath());
        Launch(process, g_exe);
        const HWND box = WaitForFailureBox(process);
        const std::string message = BoxMessage(box);
        Check(StartsWith(message, "Cannot open file \"" + HistoryPath() + "\". "), "failure box says \"" + message + "\"");
        PostMessageA(box, WM_COMMAND, IDOK, 0);
    }
    const HWND main = WaitForVisibleWindow(process, "WHOIS Lookup");
    Check(ListEntries(SearchBox(main)).empty(), "entries loaded from an unreadable file");
    EndLikeLogoff(process);
    CheckNothingLeft();
}

// The search box's text, selection and current list entry, as
// "text [start,end] #entry".
std::string SearchState(HWND main) {
    DWORD start = 0, end = 0;
    SendMessageA(SearchBox(main), CB_GETEDITSEL, reinterpret_cast<WPARAM>(&start), reinterpret_cast<LPARAM>(&end));
    return Text(SearchBox(main)) + " [" + std::to_string(start) + "," + std::to_string(end) + "] #" +
           std::to_string(SendMessageA(SearchBox(main), CB_GETCURSEL, 0, 0));
}

// Posts typed characters to the search box, a double-byte one whole as an
// input method delivers it, and waits until the box shows the expected state;
// a character handled by the program has no other sign to wait for.
void TypeAndExpect(HWND main, const std::string& bytes, const std::string& expected) {
    for (size_t k = 0; k < bytes.size(); ++k) {
        const unsigned char c = static_cast<unsigned char>(bytes[k]);
        if (IsDBCSLeadByte(c) && k + 1 < bytes.size()) {
            wchar_t wide = 0;
            MultiByteToWideChar(CP_ACP, 0, bytes.data() + k, 2, &wide, 1);
            PostMessageW(SearchEdit(main), WM_CHAR, wide, 1);
            ++k;
        } else {
            PostMessageA(SearchEdit(main), WM_CHAR, c, 1);
        }
    }
    const ULONGLONG deadline = GetTickCount64() + kStartTimeoutMs;
    while (SearchState(main) != expected && GetTickCount64() < deadline) Sleep(10);
    Check(SearchState(main) == expected, "after typing, the search box shows \"" + SearchState(main) +
                                             "\", not \"" + expected + "\"");
}

// Typing completes from the history 'Abc1', 'abc', 'xyz'; Enter looks up the
// completed text and the history gains no case-only duplicate.
void CompletionExamples() {
    WriteAll(HistoryPath(), "Abc1\r\nabc\r\nxyz\r\n");
    ChildProcess process;
    Launch(process, g_exe);
    const HWND main = WaitForVisibleWindow(process, "WHOIS Lookup");
    SendMessageA(SearchBox(main), WM_SETTEXT, 0, reinterpret_cast<LPARAM>(""));
    TypeAndExpect(main, "\b", " [0,0] #-1");
    TypeAndExpect(main, "a", "abc1 [1,4] #0");
    TypeAndExpect(main, "b", "abc1 [2,4] #0");
    TypeAndExpect(main, "c", "abc1 [3,4] #0");
    TypeAndExpect(main, "\b", "abc [3,3] #-1");
    TypeAndExpect(main, "\b", "ab [2,2] #-1");
    SendMessageA(SearchBox(main), WM_SETTEXT, 0, reinterpret_cast<LPARAM>(""));
    TypeAndExpect(main, "a", "abc1 [1,4] #0");
    TypeAndExpect(main, "q", "aq [2,2] #-1");
    SendMessageA(SearchBox(main), WM_SETTEXT, 0, reinterpret_cast<LPARAM>(""));
    TypeAndExpect(main, "X", "Xyz [1,3] #2");
    SendMessageA(SearchBox(main), WM_SETTEXT, 0, reinterpret_cast<LPARAM>(""));
    TypeAndExpect(main, "abc", "abc1 [3,4] #0");
    PressKey(SearchEdit(main), VK_RETURN);
    const auto calls = WaitForRecordedCalls(1);
    Check(calls[0].back() == "http://tessaloon.com/whois/abc1", "browser got \"" + calls[0].back() + "\"");
    PostMessageA(main, WM_CLOSE, 0, 0);
    WaitForFile(HistoryPath(), "Abc1\r\nabc\r\nxyz\r\n");
    EndLikeLogoff(process);
    CheckNothingLeft();
}

// Under a double-byte ANSI code page: a typed double-byte character completes
// from the history, and Backspace removes it whole.
void CompletionDoubleByte() {
    Check(GetACP() == 932, "the ANSI code page is " + std::to_string(GetACP()) + ", not 932");
    const std::string a = "\x82\xA0", i = "\x82\xA2", so = "\x83\x5C";  // two kana, and one whose trail byte is 0x5C
    WriteAll(HistoryPath(), a + i + "\r\n" + so + a + "\r\n");
    ChildProcess process;
    Launch(process, g_exe);
    const HWND main = WaitForVisibleWindow(process, "WHOIS Lookup");
    SendMessageA(SearchBox(main), WM_SETTEXT, 0, reinterpret_cast<LPARAM>(""));
    // The control counts its selection in characters.
    TypeAndExpect(main, a, a + i + " [1,2] #0");
    TypeAndExpect(main, "\b", a + " [1,1] #-1");
    TypeAndExpect(main, "\b", " [0,0] #-1");
    TypeAndExpect(main, so, so + a + " [1,2] #1");
    TypeAndExpect(main, "\b", so + " [1,1] #-1");
    TypeAndExpect(main, "\b", " [0,0] #-1");
    EndLikeLogoff(process);
    CheckNothingLeft();
}

constexpr UINT kTrayIconId = 123;
constexpr UINT kTrayMessage = 1357;

bool NotifyIcon(DWORD operation, HWND main) {
    NOTIFYICONDATAA icon{};
    icon.cbSize = NOTIFYICONDATAA_V1_SIZE;
    icon.hWnd = main;
    icon.uID = kTrayIconId;
    return Shell_NotifyIconA(operation, &icon);
}

// Another process's icon cannot be listed, but a change to it succeeds only
// while it exists.
bool IconPresent(HWND main) { return NotifyIcon(NIM_MODIFY, main); }

// In the notification area: no window of the program shows (so neither does
// its taskbar entry), the icon is there and the program runs on.
void WaitInTray(const ChildProcess& process, HWND main) {
    WaitUntil([&] { return !WindowOf(process, nullptr, true); }, "a window of the program still shows");
    WaitUntil([&] { return IconPresent(main); }, "no icon in the notification area");
    Check(Running(process), "program ended");
}

void ClickIcon(HWND main, UINT mouseMessage) { PostMessageA(main, kTrayMessage, kTrayIconId, mouseMessage); }

void WaitRestored(HWND main) {
    WaitUntil([&] { return IsWindowVisible(main) && GetForegroundWindow() == main; },
              "main window not restored to the foreground");
    Check(IconPresent(main), "icon gone after the restore");
}

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

constexpr char kLookupPrefix[] = "http://tessaloon.com/whois/";

std::string Joined(const std::vector<std::string>& parts) {
    std::string all;
    for (const std::string& part : parts) all += "[" + part + "]";
    return all;
}

// Another process's static text as the system keeps it: read without a
// message, so also while the program handles none.
std::string CaptionOf(HWND window) {
    char text[256] = {};
    GetWindowTextA(window, text, sizeof text);
    return text;
}

// The recorder stamps its own start, which lags the hand-off by a varying
// few tens of milliseconds, more on a loaded machine: a gap between two
// stamps may be well short of the pause, the run's whole span (where the lags
// do not add up) only a little.
constexpr long long kPauseMs = 1000, kRecorderStartJitterMs = 200;

// Clicks Bulk Lookup and follows the run until the button is enabled again:
// `count` lookups after the recorder's `before` calls, the button disabled and
// the status showing while they go, each at least the pause after the one
// before. Returns their queries.
std::vector<std::string> BulkRun(HWND bulk, size_t before, size_t count) {
    const HWND button = GetDlgItem(bulk, 101), status = GetDlgItem(bulk, 103);
    PostMessageA(button, BM_CLICK, 0, 0);
    WaitForRecordedCalls(before + 1);
    Check(!IsWindowEnabled(button) && CaptionOf(status) == "Please wait..",
          "during the run the button is enabled or the status says \"" + CaptionOf(status) + "\"");
    WaitForRecordedCalls(before + count);
    WaitUntil([&] { return IsWindowEnabled(button); }, "button not enabled after the run");
    Check(CaptionOf(status).empty(), "status after the run: \"" + CaptionOf(status) + "\"");
    const auto calls = RecordedCalls();
    Check(calls.size() == before + count, "recorder saw " + std::to_string(calls.size() - before) + " lookups");
    std::vector<std::string> queries;
    for (size_t i = before; i < calls.size(); ++i) {
        const std::string& address = calls[i].back();
        Check(calls[i].size() == 3 && StartsWith(address, kLookupPrefix), "browser got \"" + address + "\"");
        queries.push_back(address.substr(std::strlen(kLookupPrefix)));
        const long long gap = i > before ? std::stoll(calls[i][0]) - std::stoll(calls[i - 1][0]) : kPauseMs;
        // Each gap carries two recorder start lags, which vary most under
        // load; the span over the whole run carries only two in all.
        Check(gap >= kPauseMs / 2,
              "lookup " + std::to_string(i - before) + " came " + std::to_string(gap) + " ms after the one before");
    }
    const long long span = std::stoll(calls.back()[0]) - std::stoll(calls[before][0]);
    Check(span >= static_cast<long long>(count - 1) * kPauseMs - kRecorderStartJitterMs,
          "the run's lookups spanned only " + std::to_string(span) + " ms");
    return queries;
}

// The tray menu's bulk entry closes the main window and shows the bulk
// window; a run normalizes every line of the box in place and looks up the
// first ten display lines, a second apart.
void BulkLookupChain() {
    ChildProcess process;
    Launch(process, g_exe);
    const HWND main = WaitForVisibleWindow(process, "WHOIS Lookup");
    PostMessageA(main, WM_COMMAND, 202, 0);
    const HWND bulk = WaitForVisibleWindowOf(process, "TFormBulkWhoisLookupTool");
    Check(Text(bulk) == "Bulk Whois Lookup Tool", "bulk window caption \"" + Text(bulk) + "\"");
    WaitUntil([&] { return !IsWindowVisible(main); }, "main window still shows beside the bulk window");
    Check(GetFileAttributesA(HistoryPath().c_str()) != INVALID_FILE_ATTRIBUTES && ReadAll(HistoryPath()).empty(),
          "closing the main window left no empty History.txt");

    // Twelve lines, none wrapping: the last two are normalized, not looked up.
    const char* const kExamples[][2] = {
        {"http://www.Host.Example/x/y", "host.example"}, {"  www.host.example  ", "host.example"},
        {"https://www.host.example/", "host.example"},   {"HTTP://HOST.EXAMPLE", "host.example"},
        {"WWW.HOST.EXAMPLE", "www.host.example"},        {"host.example==xyz", "host.example"},
        {"a/b==c", "a"},                                 {"192.0.2.1/24", "192.0.2.1"},
        {"AS64500", "as64500"},                          {"hthttp://tp://ab", "ab"},
        {"wwwww.w.ab", "ab"},                            {"/host.example", ""},
    };
    std::string text, normalized;
    std::vector<std::string> firstTen;
    for (const auto& [line, entry] : kExamples) {
        text += (text.empty() ? "" : "\r\n") + std::string(line);
        normalized += (normalized.empty() ? "" : "\r\n") + std::string(entry);
        if (firstTen.size() < 10) firstTen.push_back(entry);
    }
    const HWND memo = GetDlgItem(bulk, 102);
    SendMessageA(memo, WM_SETTEXT, 0, reinterpret_cast<LPARAM>(text.c_str()));
    Check(SendMessageA(memo, EM_GETLINECOUNT, 0, 0) == 12, "the examples wrap in the box");
    auto queries = BulkRun(bulk, 0, 10);
    Check(queries == firstTen, "looked up " + Joined(queries));
    Check(Text(memo) == normalized, "box after the run: \"" + Text(memo) + "\"");

    // An empty box opens nothing; typed lines ending in a break have no final
    // empty entry. Posted in turn, each step waits for the one before.
    SendMessageA(memo, WM_SETTEXT, 0, reinterpret_cast<LPARAM>(""));
    PostMessageA(GetDlgItem(bulk, 101), BM_CLICK, 0, 0);
    Type(memo, "a\r\rb\r");
    queries = BulkRun(bulk, 10, 3);
    Check(queries == std::vector<std::string>{"a", "", "b"}, "looked up " + Joined(queries));
    Check(Text(memo) == "a\r\n\r\nb\r\n", "box after the run: \"" + Text(memo) + "\"");

    // A line wider than the box is several display lines, each looked up.
    const std::string longLine(120, 'a');
    SendMessageA(memo, WM_SETTEXT, 0, reinterpret_cast<LPARAM>(longLine.c_str()));
    const auto shown = static_cast<size_t>(SendMessageA(memo, EM_GETLINECOUNT, 0, 0));
    Check(shown > 1 && shown <= 10, "the long line shows as " + std::to_string(shown) + " lines");
    queries = BulkRun(bulk, 13, shown);
    std::string rejoined;
    for (const std::string& query : queries) rejoined += query.empty() ? "<empty>" : query;
    Check(rejoined == longLine, "looked up " + Joined(queries));
    EndAndCheckNothingLeft(process);
}

// The tray menu's commands and the About window's controls.
constexpr WPARAM kWhoisLookupCommand = 201, kBulkCommand = 202, kAboutCommand = 203;
constexpr int kExitButton = 101, kCloseWindowButton = 102, kCheckUpdateButton = 103, kTitleLabel = 104, kLink = 106;
const std::string kHomeAddress = "http://tessaloon.com";

// Sent, not posted: it returns once the program has handled the message.
void Deliver(HWND window, UINT message, WPARAM wParam = 0, LPARAM lParam = 0) {
    Check(SendMessageTimeoutA(window, message, wParam, lParam, SMTO_NORMAL, kStartTimeoutMs, nullptr) != 0,
          "message " + std::to_string(message) + " not handled in time");
}

// A click on the link as the mouse makes it; the static itself notifies.
void ClickLink(HWND about) {
    Deliver(GetDlgItem(about, kLink), WM_LBUTTONDOWN, MK_LBUTTON, 0);
    Deliver(GetDlgItem(about, kLink), WM_LBUTTONUP, 0, 0);
}

void CheckOpenedHome(size_t count) {
    const auto calls = WaitForRecordedCalls(count);
    Check(calls.back().size() == 3 && calls.back()[2] == kHomeAddress,
          "browser got \"" + calls.back().back() + "\" among " + std::to_string(calls.back().size() - 1) + " arguments");
}

// The prefix's http handler made unstartable for the length of a case. The
// handler's command is kept beside it, so a run killed halfway is undone by
// the next one.
constexpr char kHttpCommandKey[] = "http\\shell\\open\\command";
constexpr char kKeptCommand[] = "QuorvaneKept";

bool SetCommand(const char* name, const std::string& command) {
    return RegSetKeyValueA(HKEY_CLASSES_ROOT, kHttpCommandKey, name, REG_SZ, command.c_str(),
                           static_cast<DWORD>(command.size() + 1)) == ERROR_SUCCESS;
}

bool ReadRegText(HKEY root, const char* key, const char* name, std::string& value) {
    char text[MAX_PATH * 2] = {};
    DWORD size = sizeof text;
    if (RegGetValueA(root, key, name, RRF_RT_REG_SZ, nullptr, text, &size)) return false;
    value = text;
    return true;
}

bool ReadCommand(const char* name, std::string& command) {
    return ReadRegText(HKEY_CLASSES_ROOT, kHttpCommandKey, name, command);
}

// Also runs while a failure unwinds: reports nothing, throws nothing.
void RestoreHttpHandler() {
    std::string kept;
    if (ReadCommand(kKeptCommand, kept) && SetCommand(nullptr, kept))
        RegDeleteKeyValueA(HKEY_CLASSES_ROOT, kHttpCommandKey, kKeptCommand);
}

struct BrokenHttpHandler {
    BrokenHttpHandler() {
        std::string command;
        Check(ReadCommand(nullptr, command) && SetCommand(kKeptCommand, command) &&
                  SetCommand(nullptr, "\"C:\\nowhere\\browser.exe\" \"%1\""),
              "cannot replace the http handler");
    }
    ~BrokenHttpHandler() { RestoreHttpHandler(); }
};

// From the tray menu: About hides the main and bulk windows (no save); the
// link and Check Update open the home page; Close Window leaves the main
// window hidden; Exit saves the history and ends the program.
void AboutChain() {
    ChildProcess process;
    Launch(process, g_exe);
    const HWND main = WaitForVisibleWindow(process, "WHOIS Lookup");
    Deliver(main, WM_COMMAND, kBulkCommand);
    const HWND bulk = WaitForVisibleWindowOf(process, "TFormBulkWhoisLookupTool");
    Deliver(main, WM_COMMAND, kAboutCommand);
    const HWND about = WaitForVisibleWindowOf(process, "TFormAbout");
    Check(Text(about) == "About", "About caption \"" + Text(about) + "\"");
    // The title line names the version the build was made with.
    const std::string title = Text(GetDlgItem(about, kTitleLabel));
    Check(title == "Quorvane v " QUORVANE_VERSION, "About title \"" + title + "\"");
    Check(!IsWindowVisible(main) && !IsWindowVisible(bulk), "About left the main or bulk window showing");
    // The main window closed to the tray when the bulk window came: the
    // restore of Close Window must not bring it back.
    Deliver(GetDlgItem(about, kCloseWindowButton), BM_CLICK);
    Check(!IsWindowVisible(about) && !IsWindowVisible(bulk) && !IsWindowVisible(main),
          "a window shows after the first Close Window");
    Deliver(main, WM_COMMAND, kWhoisLookupCommand);
    WaitRestored(main);

    CommitByEnter(SearchEdit(main), "about.example", 1);
    const std::string saved = ReadAll(HistoryPath());
    Deliver(main, WM_COMMAND, kAboutCommand);
    Check(IsWindowVisible(about) && !IsWindowVisible(main), "About not shown, or the main window stays");
    ClickLink(about);
    CheckOpenedHome(2);
    Deliver(GetDlgItem(about, kCheckUpdateButton), BM_CLICK);
    CheckOpenedHome(3);
    Deliver(GetDlgItem(about, kCloseWindowButton), BM_CLICK);
    Check(!IsWindowVisible(about) && !IsWindowVisible(bulk) && !IsWindowVisible(main),
          "a window shows after Close Window");
    Check(ReadAll(HistoryPath()) == saved, "History.txt written before Exit: \"" + ReadAll(HistoryPath()) + "\"");

    Deliver(main, WM_COMMAND, kAboutCommand);
    Check(MarkerPresent() && IconPresent(main), "no marker or icon before Exit");
    PostMessageA(GetDlgItem(about, kExitButton), BM_CLICK, 0, 0);
    const DWORD code = WaitForExit(process);
    Check(code == 0, "exit status " + std::to_string(code));
    Check(!MarkerPresent(), "marker left after Exit");
    Check(!IconPresent(main), "icon left after Exit");
    Check(ReadAll(HistoryPath()) == "about.example\r\n", "History.txt holds \"" + ReadAll(HistoryPath()) + "\"");
    CheckNothingLeft();
}

// When the browser cannot be started, Check Update says so with the shell's
// code and the About window stays; the link's hand-off reports nothing.
void CheckUpdateFailureIsReported() {
    BrokenHttpHandler broken;
    SHELLEXECUTEINFOA probe{};
    probe.cbSize = sizeof probe;
    probe.fMask = SEE_MASK_FLAG_NO_UI;
    probe.lpVerb = "Open";
    probe.lpFile = kHomeAddress.c_str();
    probe.nShow = SW_SHOWNORMAL;
    ShellExecuteExA(&probe);
    const auto shellCode = reinterpret_cast<INT_PTR>(probe.hInstApp);
    Check(shellCode <= 32, "the broken handler still starts: " + std::to_string(shellCode));

    ChildProcess process;
    Launch(process, g_exe);
    const HWND main = WaitForVisibleWindow(process, "WHOIS Lookup");
    Deliver(main, WM_COMMAND, kAboutCommand);
    const HWND about = WaitForVisibleWindowOf(process, "TFormAbout");
    ClickLink(about);  // a box would hold the click until closed
    Check(!FindVisibleWindow(process.info.dwProcessId, "Error"), "the link reported its failure");

    PostMessageA(GetDlgItem(about, kCheckUpdateButton), BM_CLICK, 0, 0);
    const HWND box = WaitForVisibleWindow(process, "Error");
    Check(ClassOf(box) == "TMessageForm", "error window class is " + ClassOf(box));
    const std::string expected =
        "Unable To access URL \"" + kHomeAddress + "\", error code [" + std::to_string(shellCode) + "].";
    Check(BoxMessage(box) == expected, "error box says \"" + BoxMessage(box) + "\", not \"" + expected + "\"");
    Check(IsWindowVisible(about), "About went away behind the error box");
    PostMessageA(GetDlgItem(box, IDOK), BM_CLICK, 0, 0);
    WaitUntil([&] { return !IsWindow(box); }, "error box stays after OK");
    Check(IsWindowVisible(about) && IsWindowEnabled(about), "About not usable after the error box");
    WaitForRecordedCalls(0);
    EndLikeLogoff(process);
    CheckNothingLeft();
}

// The per-user install as the installer and the uninstaller leave it.
struct Installed {
    std::string folder, exe, uninstaller, history, menuShortcut, startupShortcut;
    static constexpr char kUninstallKey[] = "Software\\Microsoft\\Windows\\CurrentVersion\\Uninstall\\Quorvane";
    Installed() {
        char local[MAX_PATH] = {}, programs[MAX_PATH] = {}, startup[MAX_PATH] = {};
        Check(SHGetFolderPathA(nullptr, CSIDL_LOCAL_APPDATA, nullptr, 0, local) == S_OK &&
                  SHGetFolderPathA(nullptr, CSIDL_PROGRAMS, nullptr, 0, programs) == S_OK &&
                  SHGetFolderPathA(nullptr, CSIDL_STARTUP, nullptr, 0, startup) == S_OK,
              "no user folders");
        folder = std::string(local) + "\\Programs\\Quorvane";
        exe = folder + "\\Quorvane.exe";
        uninstaller = folder + "\\Uninstall.exe";
        history = folder + "\\History.txt";
        menuShortcut = std::string(programs) + "\\Quorvane.lnk";
        startupShortcut = std::string(startup) + "\\Quorvane.lnk";
    }
    std::string Value(const char* name) const {
        std::string value;
        return ReadRegText(HKEY_CURRENT_USER, kUninstallKey, name, value) ? value : "(none)";
    }
    bool KeyPresent() const {
        HKEY key = nullptr;
        if (RegOpenKeyExA(HKEY_CURRENT_USER, kUninstallKey, 0, KEY_READ, &key)) return false;
        RegCloseKey(key);
        return true;
    }
};

bool Exists(const std::string& path) { return GetFileAttributesA(path.c_str()) != INVALID_FILE_ATTRIBUTES; }

// Runs a command line until it and every process it starts have ended (an
// uninstaller hands over to a copy of itself and ends at once): they share a
// job, whose last process ending is the event. Returns the first one's exit code.
DWORD RunToTheEnd(const std::string& commandLine) {
    const HANDLE job = CreateJobObjectA(nullptr, nullptr);
    const HANDLE port = CreateIoCompletionPort(INVALID_HANDLE_VALUE, nullptr, 0, 1);
    JOBOBJECT_ASSOCIATE_COMPLETION_PORT link{job, port};
    Check(job && port && SetInformationJobObject(job, JobObjectAssociateCompletionPortInformation, &link, sizeof link),
          "cannot make a job");
    ChildProcess process;
    std::string line = commandLine;
    STARTUPINFOA startup{};
    startup.cb = sizeof startup;
    Check(CreateProcessA(nullptr, line.data(), nullptr, nullptr, FALSE, CREATE_SUSPENDED, nullptr, nullptr, &startup,
                         &process.info) &&
              AssignProcessToJobObject(job, process.info.hProcess),
          "cannot start " + commandLine);
    ResumeThread(process.info.hThread);
    DWORD message = 0;
    ULONG_PTR key = 0;
    LPOVERLAPPED detail = nullptr;
    while (GetQueuedCompletionStatus(port, &message, &key, &detail, kStartTimeoutMs) &&
           message != JOB_OBJECT_MSG_ACTIVE_PROCESS_ZERO) {
    }
    CloseHandle(port);
    CloseHandle(job);
    Check(message == JOB_OBJECT_MSG_ACTIVE_PROCESS_ZERO, commandLine + " did not end");
    return WaitForExit(process);
}

// The shortcut's target, and its show command as the shell reads it: the
// header field at byte 60 (Wine's shortcut object does not report it).
std::pair<std::string, int> ShortcutOf(const std::string& path) {
    IShellLinkA* link = nullptr;
    IPersistFile* file = nullptr;
    const std::wstring widePath(path.begin(), path.end());
    char target[MAX_PATH] = {};
    if (SUCCEEDED(CoCreateInstance(CLSID_ShellLink, nullptr, CLSCTX_INPROC_SERVER, IID_IShellLinkA,
                                   reinterpret_cast<void**>(&link))) &&
        SUCCEEDED(link->QueryInterface(IID_IPersistFile, reinterpret_cast<void**>(&file))) &&
        SUCCEEDED(file->Load(widePath.c_str(), STGM_READ)))
        link->GetPath(target, sizeof target, nullptr, 0);
    if (file) file->Release();
    if (link) link->Release();
    const std::string bytes = ReadAll(path);
    int show = -1;
    if (bytes.size() >= 64) std::memcpy(&show, bytes.data() + 60, sizeof show);
    return {target, show};
}

// Install silently with starting at sign-in on; the Startup shortcut starts
// the installed program in the notification area; one lookup. A second install
// over the running copy ends it cleanly and keeps History.txt. A silent
// uninstall with the program running ends it cleanly, keeps History.txt and
// removes everything else.
void InstallerRoundTrip() {
    const Installed installed;
    const std::string setup = "\"" + g_exe.substr(0, g_exe.find_last_of('\\') + 1) + "setup.exe\" /S";
    const std::string history = "installed.example\r\n";
    // A run cut short leaves an install behind: the next one starts clean.
    if (Exists(installed.uninstaller)) RunToTheEnd("\"" + installed.uninstaller + "\" /S");
    DeleteFileA(installed.history.c_str());
    RemoveDirectoryA(installed.folder.c_str());

    Check(RunToTheEnd(setup + " /STARTUP=1") == 0, "install failed");
    Check(Exists(installed.exe) && Exists(installed.uninstaller), "program or uninstaller not installed");
    Check(installed.Value("DisplayVersion") == QUORVANE_VERSION &&
              installed.Value("InstallLocation") == installed.folder &&
              installed.Value("QuietUninstallString") == "\"" + installed.uninstaller + "\" /S",
          "uninstall key: version " + installed.Value("DisplayVersion") + ", location " +
              installed.Value("InstallLocation") + ", quiet uninstall " + installed.Value("QuietUninstallString"));
    Check(ShortcutOf(installed.menuShortcut).first == installed.exe, "no Start-menu shortcut to the program");
    const auto [target, show] = ShortcutOf(installed.startupShortcut);
    Check(target == installed.exe && show == SW_SHOWMINNOACTIVE,
          "Startup shortcut to \"" + target + "\" with show command " + std::to_string(show));
    {
        ChildProcess process;
        Launch(process, installed.exe, show);
        HWND main = nullptr;
        WaitUntil([&] { return (main = WindowOf(process, "TForm1")) && IconPresent(main); },
                  "no main window with an icon");
        WaitInTray(process, main);
        ClickIcon(main, WM_LBUTTONUP);
        WaitRestored(main);
        CommitByEnter(SearchEdit(main), "installed.example", 1);
        Check(RecordedCalls()[0].back() == kLookupPrefix + std::string("installed.example"), "wrong address looked up");

        Check(RunToTheEnd(setup) == 0, "upgrade failed");
        Check(WaitForExit(process) == 0, "the upgrade ended the program with a failure");
    }
    Check(ReadAll(installed.history) == history,
          "History.txt after the upgrade holds \"" + ReadAll(installed.history) + "\"");
    Check(Exists(installed.exe) && Exists(installed.startupShortcut),
          "the upgrade lost the program or the sign-in choice");

    ChildProcess process;
    Launch(process, installed.exe);
    WaitForVisibleWindow(process, "WHOIS Lookup");
    Check(RunToTheEnd(installed.Value("QuietUninstallString")) == 0, "uninstall failed");
    Check(WaitForExit(process) == 0, "the uninstall ended the program with a failure");
    Check(!MarkerPresent(), "marker left after the uninstall");
    for (const std::string& path : {installed.exe, installed.uninstaller, installed.folder + "\\License.txt",
                                    installed.menuShortcut, installed.startupShortcut})
        Check(!Exists(path), path + " left after the uninstall");
    Check(!installed.KeyPresent(), "uninstall key left");
    Check(ReadAll(installed.history) == history, "History.txt holds \"" + ReadAll(installed.history) + "\"");
    DeleteFileA(installed.history.c_str());
    Check(RemoveDirectoryA(installed.folder.c_str()), "something else left in " + installed.folder);
    CheckNothingLeft();
}

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
    std::ofstream(g_exe.substr(0, g_exe.find_last_of('\\') + 1) + "pose.txt")
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

struct Case {
    const char* name;
    void (*run)();
};

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
    {"show", Show},
    {"pose_main", PoseMain},
    {"pose_settings", PoseSettings},
    {"pose_bulk", PoseBulk},
    {"pose_about", PoseAbout},
    {"pose_tray_menu", PoseTrayMenu},
};

}  // namespace

int main(int argc, char** argv) {
    if (argc != 3) {
        std::fprintf(stderr, "usage: e2e_driver CASE PROGRAM_FOLDER\n");
        return 2;
    }
    g_exe = std::string(argv[2]) + "\\Quorvane.exe";
    RestoreHttpHandler();
    CoInitializeEx(nullptr, COINIT_APARTMENTTHREADED);  // for reading shortcuts
    for (const Case& c : kCases) {
        if (std::strcmp(c.name, argv[1]) != 0) continue;
        try {
            c.run();
        } catch (const DriverFailure& failure) {
            std::fprintf(stderr, "FAIL: %s: %s\n", c.name, failure.what.c_str());
            return 1;
        }
        std::printf("PASS: %s\n", c.name);
        return 0;
    }
    std::fprintf(stderr, "unknown case %s\n", argv[1]);
    return 2;
}
