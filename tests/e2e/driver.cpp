// Drives the real Quorvane.exe from outside, as a user would: starts it,
// finds its windows by caption, reads them, ends it. One case per run:
//   e2e_driver CASE PROGRAM_FOLDER
// Every wait has a deadline; a failing case says what it saw and exits 1.
// What the cases share is in driver_support.h.
#include <windows.h>
#include <objbase.h>
#include <psapi.h>
#include <winternl.h>
#include <shellapi.h>
#include <shlobj.h>

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <fstream>
#include <initializer_list>
#include <random>
#include <string>
#include <utility>
#include <vector>

#include "core/history_rules.h"
#include "driver_support.h"
#include "version.h"
#include "win/window_text.h"

namespace {

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

// A killed copy leaves its marker behind; the next start is not refused,
// and its clean end leaves no marker.
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
    Check(!MarkerPresent(), "the killed copy's marker outlived the next copy's clean end");
    CheckNothingLeft();
}

void TenCopiesAtOnce() {
    std::vector<ChildProcess> copies(10);
    EndLikeLogoff(OneOfCopiesRuns(copies));
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

HWND LookupButton(HWND main) { return FindWindowExA(main, nullptr, "Button", "Lookup"); }

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
    const std::string local = LocalWord() + ".example";
    CommitByEnter(edit, local, 3);
    calls = RecordedCalls();
    Check(calls[2].size() == 3 && calls[2][2] == "http://tessaloon.com/whois/" + local,
          "browser got \"" + calls[2].back() + "\" among " + std::to_string(calls[2].size() - 1) + " arguments");
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

// A path as the program's failure box shows it: in the ANSI code page, with
// its nearest or default character for what that lacks.
std::string ShownPath(const std::string& path) { return ToAnsi(Wide(path)); }

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

// Queries committed by Enter are written at the close request, byte-exact,
// and offered in order after a restart.
void HistorySurvivesCloseAndRestart() {
    {
        ChildProcess process;
        Launch(process, g_exe);
        const HWND main = WaitForVisibleWindow(process, "WHOIS Lookup");
        CommitByEnter(SearchEdit(main), "b.example", 1);
        CommitByEnter(SearchEdit(main), LocalWord(), 2);
        CommitByEnter(SearchEdit(main), " a.example", 3);
        PostMessageA(main, WM_CLOSE, 0, 0);
        WaitForFile(HistoryPath(), " a.example\r\n" + LocalWord() + "\r\nb.example\r\n");
        EndLikeLogoff(process);
    }
    ChildProcess process;
    Launch(process, g_exe);
    const HWND main = WaitForVisibleWindow(process, "WHOIS Lookup");
    Check(Text(SearchBox(main)) == "Enter domain, IP address or ASN", "search box text \"" + Text(SearchBox(main)) + "\"");
    const auto entries = ListEntries(SearchBox(main));
    std::string seen;
    for (const std::string& entry : entries) seen += "[" + entry + "]";
    Check(entries == std::vector<std::string>{" a.example", LocalWord(), "b.example"},
          "entries after the restart: " + seen);
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
        : handle(CreateFileW(Wide(path).c_str(), GENERIC_READ, 0, nullptr, OPEN_EXISTING, 0, nullptr)) {
        Check(handle != INVALID_HANDLE_VALUE, "cannot hold " + path);
    }
    ~HeldFile() { CloseHandle(handle); }
};

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
    Check(StartsWith(message, "Cannot create file \"" + ShownPath(HistoryPath()) + "\". "),
          "failure box says \"" + message + "\"");
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
        Check(StartsWith(message, "Cannot open file \"" + ShownPath(HistoryPath()) + "\". "),
              "failure box says \"" + message + "\"");
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

// Posts typed characters to the search box, each as the keyboard delivers it
// to a Unicode window: one UTF-16 unit a message, whatever the code page; then
// waits until the box shows the expected state: a character handled by the
// program has no other sign to wait for.
void TypeAndExpect(HWND main, const std::string& bytes, const std::string& expected) {
    PostCharacters(SearchEdit(main), bytes);
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
    Check(Exists(HistoryPath()) && ReadAll(HistoryPath()).empty(),
          "closing the main window left no empty History.txt");

    // Twelve lines, none wrapping: the last two are normalized, not looked up.
    const std::string local = LocalWord() + ".example";
    const std::string kExamples[][2] = {
        {"http://www.Host.Example/x/y", "host.example"}, {"  www.host.example  ", "host.example"},
        {"https://www." + local + "/", local},           {"HTTP://HOST.EXAMPLE", "host.example"},
        {"WWW.HOST.EXAMPLE", "www.host.example"},        {"host.example==xyz", "host.example"},
        {"a/b==c", "a"},                                 {"192.0.2.1/24", "192.0.2.1"},
        {"AS64500", "as64500"},                          {"hthttp://tp://ab", "ab"},
        {"wwwww.w.ab", "ab"},                            {"/host.example", ""},
    };
    std::string text, normalized;
    std::vector<std::string> firstTen;
    for (const auto& [line, entry] : kExamples) {
        text += (text.empty() ? "" : "\r\n") + line;
        normalized += (normalized.empty() ? "" : "\r\n") + entry;
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

const std::string kHomeAddress = "http://tessaloon.com";

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
    // Closed from its title bar while the program is minimized (by the bulk
    // window again): the program is restored and nothing shows.
    Deliver(main, WM_COMMAND, kBulkCommand);
    Deliver(main, WM_COMMAND, kAboutCommand);
    Check(IsWindowVisible(about) && IsIconic(GetWindow(about, GW_OWNER)), "About not shown over the minimized program");
    Deliver(about, WM_SYSCOMMAND, SC_CLOSE);
    Check(!IsWindowVisible(about) && !IsWindowVisible(bulk) && !IsWindowVisible(main) &&
              !IsIconic(GetWindow(about, GW_OWNER)),
          "title-bar close of About left a window showing or the program minimized");
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
    std::wstring line = Wide(commandLine);
    STARTUPINFOW startup{};
    startup.cb = sizeof startup;
    Check(CreateProcessW(nullptr, line.data(), nullptr, nullptr, FALSE, CREATE_SUSPENDED, nullptr, nullptr, &startup,
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

// A silent install into a folder outside the profile, however spelt, stops
// with exit code 2 and writes nothing. Install silently with starting at
// sign-in on; the Startup shortcut starts the installed program in the
// notification area; one lookup. A second install over the running copy ends
// it cleanly and keeps History.txt. A silent uninstall with the program
// running ends it cleanly, keeps History.txt and removes everything else.
void InstallerRoundTrip() {
    const Installed installed;
    const std::string setup = "\"" + ProgramFolder() + "setup.exe\" /S";
    const std::string history = "installed.example\r\n";
    // A run cut short leaves an install behind: the next one starts clean.
    if (Exists(installed.uninstaller)) RunToTheEnd("\"" + installed.uninstaller + "\" /S");
    DeleteFileA(installed.history.c_str());
    RemoveDirectoryA(installed.folder.c_str());

    char profile[MAX_PATH] = {};
    Check(SHGetFolderPathA(nullptr, CSIDL_PROFILE, nullptr, 0, profile) == S_OK, "no profile folder");
    for (const std::string& outside : {std::string("C:\\Quorvane"), std::string(profile) + "\\..\\Quorvane"}) {
        Check(RunToTheEnd(setup + " /STARTUP=1 /D=" + outside) == 2, "setup did not refuse " + outside);
        Check(!Exists(outside) && !installed.KeyPresent() && !Exists(installed.menuShortcut) &&
                  !Exists(installed.startupShortcut),
              "setup refused " + outside + " but wrote something");
    }

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

long long Microseconds() {
    LARGE_INTEGER now{}, frequency{};
    QueryPerformanceCounter(&now);
    QueryPerformanceFrequency(&frequency);
    return now.QuadPart / frequency.QuadPart * 1000000 + now.QuadPart % frequency.QuadPart * 1000000 / frequency.QuadPart;
}

std::string ReplacementPath() { return HistoryPath() + ".new"; }

// `count` entries of `length` bytes, each ended as given: with line feeds, as
// another program may write the file, loading and saving gives the CR LF form.
std::string Entries(int count, size_t length, const char* lineEnd) {
    std::string bytes;
    for (int i = 0; i < count; ++i) {
        const std::string number = std::to_string(i) + ":";
        bytes += number + std::string(length - number.size(), 'x') + lineEnd;
    }
    return bytes;
}

// A save killed at a random moment leaves History.txt either as it was or as
// written, byte-exact. The moments spread over three times a close request's
// length (the median of five, timed first, each sent straight to the window):
// a posted one waits behind what the program still does after its window
// shows, so at one and a half times most kills landed before the save began
// and often none after it. A replacement file left behind shows a kill inside
// the save.
void HistoryUnderKills() {
    const int kills = Scaled(50, 1000);
    const std::string before = Entries(200, 10000, "\n"), after = Entries(200, 10000, "\r\n");
    WriteAll(HistoryPath(), before);
    long long saveUs = 0;
    {
        ChildProcess process;
        Launch(process, g_exe);
        const HWND main = WaitForVisibleWindow(process, "WHOIS Lookup");
        std::vector<long long> times;
        for (int i = 0; i < 5; ++i) {
            const long long start = Microseconds();
            Deliver(main, WM_CLOSE);
            times.push_back(Microseconds() - start);
        }
        std::sort(times.begin(), times.end());
        saveUs = times[times.size() / 2];
        Check(ReadAll(HistoryPath()) == after, "the save did not write the CR LF form");
        EndProcess(process);
    }
    std::uniform_int_distribution<long long> moment(0, saveUs * 3);
    int early = 0, inside = 0, late = 0;
    for (int k = 0; k < kills; ++k) {
        WriteAll(HistoryPath(), before);
        ChildProcess process;
        Launch(process, g_exe);
        const HWND main = WaitForVisibleWindow(process, "WHOIS Lookup");
        const long long delay = moment(Random());
        PostMessageA(main, WM_CLOSE, 0, 0);
        for (const long long start = Microseconds(); Microseconds() - start < delay;) {
        }
        EndProcess(process);
        const std::string now = ReadAll(HistoryPath());
        Check(now == before || now == after, "kill " + std::to_string(k) + " at " + std::to_string(delay) +
                                                 " us left History.txt of " + std::to_string(now.size()) +
                                                 " bytes, neither the old nor the new list");
        if (now == after) {
            ++late;
        } else if (Exists(ReplacementPath())) {
            ++inside;
        } else {
            ++early;
        }
        DeleteFileW(Wide(ReplacementPath()).c_str());
    }
    std::printf("save %lld us; %d kills: %d before the save's file, %d inside the save, %d after the replace\n",
                saveUs, kills, early, inside, late);
    Check(inside > 0 && late > 0, "no kill landed inside a save or after one: nothing was tested");
    CheckNothingLeft();
}

// The program's folder is on a small disk of its own (the runner mounts one).
// A save that finds it full says "Stream write error", keeps the old file and
// leaves no replacement behind; with room again, the next close saves.
void DiskFull() {
    ULARGE_INTEGER total{};
    Check(GetDiskFreeSpaceExW(Wide(ProgramFolder()).c_str(), nullptr, &total, nullptr) && total.QuadPart < (64u << 20),
          "the program's folder is not on a small disk");
    const std::string before = Entries(20, 10000, "\n"), after = Entries(20, 10000, "\r\n");
    WriteAll(HistoryPath(), before);
    ChildProcess process;
    Launch(process, g_exe);
    const HWND main = WaitForVisibleWindow(process, "WHOIS Lookup");
    const std::string filler = ProgramFolder() + "filler.bin";
    {
        std::ofstream fill(Wide(filler).c_str(), std::ios::binary);
        const std::string block(4096, 'f');
        while (fill.write(block.data(), block.size()) && fill.flush()) {
        }
    }
    ULARGE_INTEGER free{};
    GetDiskFreeSpaceExW(Wide(ProgramFolder()).c_str(), &free, nullptr, nullptr);
    Check(free.QuadPart < before.size(), std::to_string(free.QuadPart) + " bytes still free");
    PostMessageA(main, WM_CLOSE, 0, 0);
    const HWND box = WaitForFailureBox(process);
    Check(BoxMessage(box) == "Stream write error.", "failure box says \"" + BoxMessage(box) + "\"");
    Check(ReadAll(HistoryPath()) == before, "History.txt changed on the full disk");
    Check(!Exists(ReplacementPath()), "the replacement file is left on the full disk");
    Check(IsWindowVisible(main), "main window went away after the failed save");
    Check(DeleteFileW(Wide(filler).c_str()), "cannot delete the filler");
    PostMessageA(box, WM_COMMAND, IDOK, 0);
    WaitUntil([&] { return !IsWindow(box); }, "failure box stays after OK");
    // Posted, so that it waits for the first close request to unwind; the
    // file is read once the window hides, after the save: under Wine a reader
    // that watched the file meanwhile would make its replacement fail.
    PostMessageA(main, WM_CLOSE, 0, 0);
    WaitUntil([&] { return !IsWindowVisible(main); }, "no save once the disk had room");
    Check(ReadAll(HistoryPath()) == after, "History.txt not saved once the disk had room");
    EndLikeLogoff(process);
    CheckNothingLeft();
}

// Damaged History.txt files load by the reading rules and save again, without
// a crash, and the program's peak memory stays within a bound above an empty
// start: the read stops at 4 MiB, whatever the file's size, and the load at
// 10,000 lines.
void DamagedHistoryFiles() {
    struct Damaged {
        const char* name;
        std::string (*bytes)();
        LRESULT entries;     // -1: not counted
        LRESULT firstLength;  // -1: not checked
    };
    static const Damaged kFiles[] = {
        {"random bytes", [] {
             std::string bytes(4 * kMiB, '\0');
             std::uniform_int_distribution<int> nonZero(1, 255);  // a zero byte would end the read early
             for (char& c : bytes) c = static_cast<char>(nonZero(Random()));
             return bytes;
         }, -1, -1},
        // 100-byte lines: the first 10,000.
        {"100 MB", [] { return Entries(1000000, 98, "\r\n"); }, kHistoryLoadCap, 98},
        {"one 3 MiB line", [] { return std::string(3 * kMiB, 'L'); }, 1, 3 * kMiB},
        // No line end within the read: nothing.
        {"one 10 MB line", [] { return std::string(10 * kMiB, 'L'); }, 0, -1},
        {"NUL at the start", [] { return std::string(1, '\0') + Entries(1000, 10, "\r\n"); }, 0, -1},
        {"only CR", [] { return std::string(65536, '\r'); }, kHistoryLoadCap, 0},
        {"16 MiB of LF", [] { return std::string(16 * kMiB, '\n'); }, kHistoryLoadCap, 0},
    };
    SIZE_T empty = 0;
    {
        DeleteFileW(Wide(HistoryPath()).c_str());
        ChildProcess process;
        Launch(process, g_exe);
        WaitForVisibleWindow(process, "WHOIS Lookup");
        empty = MemoryOf(process).PeakPagefileUsage;
        EndProcess(process);
    }
    // The 4 MiB read, the list's own copy (UTF-16 in the control) and the
    // parse between them stay within 16 MiB; a whole read of the 10 MB line
    // would not.
    const SIZE_T bound = empty + 16 * kMiB;
    for (const Damaged& file : kFiles) {
        WriteAll(HistoryPath(), file.bytes());
        ChildProcess process;
        const ULONGLONG start = GetTickCount64();
        Launch(process, g_exe);
        const HWND main = WaitForVisibleWindow(process, "WHOIS Lookup");
        const HWND combo = SearchBox(main);
        const LRESULT count = SendMessageA(combo, CB_GETCOUNT, 0, 0);
        Deliver(main, WM_CLOSE);  // and what was loaded is saved again
        Check(Running(process) && !FindVisibleWindow(process.info.dwProcessId, "Error"),
              std::string(file.name) + ": the save after the load failed");
        const SIZE_T peak = MemoryOf(process).PeakPagefileUsage;
        std::printf("%-16s %7ld entries, load and save %5llu ms, peak private %4llu MiB (empty start %llu MiB)\n",
                    file.name, static_cast<long>(count), GetTickCount64() - start,
                    static_cast<unsigned long long>(peak / kMiB), static_cast<unsigned long long>(empty / kMiB));
        Check(file.entries < 0 || count == file.entries,
              std::string(file.name) + ": " + std::to_string(count) + " entries");
        Check(file.firstLength < 0 || SendMessageA(combo, CB_GETLBTEXTLEN, 0, 0) == file.firstLength,
              std::string(file.name) + ": first entry of " +
                  std::to_string(SendMessageA(combo, CB_GETLBTEXTLEN, 0, 0)) + " bytes");
        Check(peak <= bound, std::string(file.name) + ": peak private bytes " + std::to_string(peak / kMiB) +
                                 " MiB, bound " + std::to_string(bound / kMiB) + " MiB");
        EndProcess(process);
    }
    CheckNothingLeft();
}

// Many copies at once leave exactly one running. Then, in turns, the running
// copy is killed or ends cleanly: a killed one never blocks the next start,
// and after every clean end no marker is left.
void SingleInstanceUnderLoad() {
    std::vector<ChildProcess> copies(static_cast<size_t>(Scaled(20, 100)));
    ChildProcess* running = &OneOfCopiesRuns(copies);
    const int turns = Scaled(4, 40);
    std::vector<ChildProcess> next(static_cast<size_t>(turns));
    for (int turn = 0; turn < turns; ++turn) {
        if (turn % 2 == 0) {
            EndProcess(*running);
        } else {
            EndLikeLogoff(*running);
            Check(!MarkerPresent(), "marker left after a clean end that followed a kill");
        }
        Launch(next[turn], g_exe);
        WaitForVisibleWindow(next[turn], "WHOIS Lookup");
        running = &next[turn];
    }
    EndLikeLogoff(*running);
    Check(!MarkerPresent(), "marker left after the last clean end");
    std::printf("%zu copies at once: one ran; %d turns of a kill or a clean end, each followed by a start\n",
                copies.size(), turns);
    CheckNothingLeft();
}

// The Linux process behind a Wine process, found by its command line (the
// Windows path of its executable) under the host's /proc, which Wine's Z:
// drive maps. Empty outside Wine.
std::string HostProcFolder() {
    WIN32_FIND_DATAA found{};
    const HANDLE search = FindFirstFileA("Z:\\proc\\*", &found);
    if (search == INVALID_HANDLE_VALUE) return {};
    std::string folder;
    do {
        if (found.cFileName[0] < '1' || found.cFileName[0] > '9') continue;
        const std::string candidate = std::string("Z:\\proc\\") + found.cFileName + "\\";
        const std::string commandLine = ReadAll(candidate + "cmdline");
        if (_stricmp(commandLine.substr(0, commandLine.find('\0')).c_str(), g_exe.c_str()) == 0) folder = candidate;
    } while (folder.empty() && FindNextFileA(search, &found));
    FindClose(search);
    return folder;
}

// A number after `key` in a /proc file's text.
long long HostFigure(const std::string& text, const std::string& key) {
    const size_t at = text.find(key);
    return at == std::string::npos ? -1 : std::atoll(text.c_str() + at + key.size());
}

// The number of GDI objects in the process's table of GDI handles, which
// its PEB points to (an array of 24-byte entries; a used one has a type).
long long GdiObjectsInTable(const ChildProcess& process) {
    PROCESS_BASIC_INFORMATION basic{};
    if (NtQueryInformationProcess(process.info.hProcess, ProcessBasicInformation, &basic, sizeof basic, nullptr) != 0)
        return -1;
    constexpr size_t kTableInPeb = 0xF8, kEntries = 0x10000, kEntrySize = 24, kTypeAt = 14;
    UINT64 table = 0;
    if (!ReadProcessMemory(process.info.hProcess, reinterpret_cast<const BYTE*>(basic.PebBaseAddress) + kTableInPeb,
                           &table, sizeof table, nullptr) || !table)
        return -1;
    std::vector<BYTE> entries(kEntries * kEntrySize);
    if (!ReadProcessMemory(process.info.hProcess, reinterpret_cast<const void*>(table), entries.data(), entries.size(),
                           nullptr))
        return -1;
    long long used = 0;
    for (size_t i = 0; i < kEntries; ++i) used += entries[i * kEntrySize + kTypeAt] != 0;
    return used;
}

// Windows of the process, its own and their children.
struct WindowCount {
    DWORD processId;
    long long windows;
};

BOOL CALLBACK CountChild(HWND, LPARAM lParam) {
    ++reinterpret_cast<WindowCount*>(lParam)->windows;
    return TRUE;
}

BOOL CALLBACK CountTopLevel(HWND window, LPARAM lParam) {
    auto& count = *reinterpret_cast<WindowCount*>(lParam);
    DWORD owner = 0;
    GetWindowThreadProcessId(window, &owner);
    if (owner != count.processId) return TRUE;
    ++count.windows;
    EnumChildWindows(window, CountChild, lParam);
    return TRUE;
}

long long WindowsOf(const ChildProcess& process) {
    WindowCount count{process.info.dwProcessId, 0};
    EnumWindows(CountTopLevel, reinterpret_cast<LPARAM>(&count));
    return count.windows;
}

// The program's resources. Where the system does not count GUI objects of
// another process (Wine), GDI objects are counted in the process's table and
// USER objects by their largest kind, windows.
struct Usage {
    long long privateBytes, gdiObjects, userObjects;
};

Usage UsageOf(const ChildProcess& process) {
    const long long gdi = GetGuiResources(process.info.hProcess, GR_GDIOBJECTS),
                    user = GetGuiResources(process.info.hProcess, GR_USEROBJECTS);
    return {static_cast<long long>(MemoryOf(process).PagefileUsage), gdi ? gdi : GdiObjectsInTable(process),
            user ? user : WindowsOf(process)};
}

// What a repeated action may add to the program's resources: no window, no
// more GDI objects than the few that come and go (cached device contexts and
// the like), and private bytes only as much as heap growth in steps; a leak
// of a GDI object or a picture's memory per repetition passes both.
void CheckStable(const char* what, int repetitions, const Usage& from, const Usage& to) {
    const long long grown = to.privateBytes - from.privateBytes;
    std::printf("%d %s: private bytes %lld KiB, %+lld KiB; GDI objects %lld -> %lld; USER objects %lld -> %lld\n",
                repetitions, what, to.privateBytes / 1024, grown / 1024, from.gdiObjects, to.gdiObjects,
                from.userObjects, to.userObjects);
    Check(from.gdiObjects > 0 && from.userObjects > 0, "GUI objects not counted");
    Check(to.gdiObjects <= from.gdiObjects + 16 && to.userObjects <= from.userObjects,
          std::string(what) + ": the GUI object count grew");
    Check(grown <= 512 * 1024, std::string(what) + ": private bytes grew by " + std::to_string(grown / 1024) + " KiB");
}

// CPU time and the number of times any of the process's threads was switched
// in: a wait that nothing wakes leaves both where they were. Where the host's
// /proc shows the process (Wine), both are read there, the CPU time to the
// nanosecond; elsewhere the system's CPU time, to its tick, stands alone.
struct Activity {
    long long cpuNs = 0, wakeups = 0;
    bool operator==(const Activity&) const = default;
};

Activity ActivityOf(const ChildProcess& process) {
    Activity activity;
    if (const std::string proc = HostProcFolder(); !proc.empty()) {
        WIN32_FIND_DATAA task{};
        const HANDLE search = FindFirstFileA((proc + "task\\*").c_str(), &task);
        for (BOOL more = search != INVALID_HANDLE_VALUE; more; more = FindNextFileA(search, &task)) {
            if (task.cFileName[0] == '.') continue;
            const std::string folder = proc + "task\\" + task.cFileName + "\\";
            const std::string status = ReadAll(folder + "status");
            activity.wakeups += HostFigure(status, "\nvoluntary_ctxt_switches:") +
                                HostFigure(status, "nonvoluntary_ctxt_switches:");
            activity.cpuNs += std::atoll(ReadAll(folder + "schedstat").c_str());
        }
        if (search != INVALID_HANDLE_VALUE) FindClose(search);
        return activity;
    }
    FILETIME created, ended, kernel, user;
    Check(GetProcessTimes(process.info.hProcess, &created, &ended, &kernel, &user), "no process times");
    auto ns = [](FILETIME t) { return (static_cast<long long>(t.dwHighDateTime) << 32 | t.dwLowDateTime) * 100; };
    activity.cpuNs = ns(kernel) + ns(user);
    return activity;
}

// One program through many paints of the About logo and many show/hide
// cycles through the icon's callback, its resources stable; then, hidden in
// the notification area, it takes no CPU time.
void LongRun() {
    const int paints = 1000, cycles = Scaled(100, 10000);
    const DWORD idleMs = static_cast<DWORD>(Scaled(2000, 10000));
    ChildProcess process;
    Launch(process, g_exe);
    const HWND main = WaitForVisibleWindow(process, "WHOIS Lookup");
    Deliver(main, WM_COMMAND, kAboutCommand);
    const HWND about = WaitForVisibleWindowOf(process, "TFormAbout");
    // Each paint is done once the window has no update region left.
    auto paint = [&] {
        RedrawWindow(about, nullptr, nullptr, RDW_INVALIDATE | RDW_UPDATENOW | RDW_ALLCHILDREN);
        WaitUntil([&] { return !GetUpdateRect(about, nullptr, FALSE); }, "the About window was not painted");
    };
    for (int i = 0; i < 20; ++i) paint();
    Usage from = UsageOf(process);
    for (int i = 0; i < paints; ++i) paint();
    CheckStable("paints of the About window", paints, from, UsageOf(process));

    Deliver(GetDlgItem(about, kCloseWindowButton), BM_CLICK);
    auto cycle = [&] {
        ClickIcon(main, WM_LBUTTONUP);
        WaitRestored(main);
        PostMessageA(main, WM_CLOSE, 0, 0);
        WaitInTray(process, main);
    };
    for (int i = Scaled(30, 1000); i > 0; --i) cycle();  // until the heap has settled
    from = UsageOf(process);
    const Activity working = ActivityOf(process);  // the measure of idleness must see work
    const ULONGLONG start = GetTickCount64();
    for (int i = 0; i < cycles; ++i) cycle();
    std::printf("%d show/hide cycles in %llu ms\n", cycles, GetTickCount64() - start);
    CheckStable("show/hide cycles", cycles, from, UsageOf(process));
    Check(ActivityOf(process).cpuNs > working.cpuNs, "no CPU time counted for the cycles");

    // Settled once nothing changes for a while; then the measured span.
    Activity before = ActivityOf(process), after;
    for (; Sleep(100), (after = ActivityOf(process)) != before; before = after) {
    }
    Sleep(idleMs);
    after = ActivityOf(process);
    std::printf("hidden for %lu ms: %lld ns of CPU time, %lld wakeups\n", idleMs, after.cpuNs - before.cpuNs,
                after.wakeups - before.wakeups);
    Check(after == before, "the hidden program was not idle");
    EndLikeLogoff(process);
    CheckNothingLeft();
}

// A query as pasted into the search box and looked up by Enter: exactly one
// hand-off whose one argument is the escaped address, or none for a query
// that is blank once trimmed. The Enter is posted as its character, so a
// later step queues behind it.
struct Hostile {
    std::string query, escaped;  // escaped: the address's query part; none when empty and !handedOff
    bool handedOff = true;
};

std::vector<Hostile> HostileQueries() {
    std::vector<Hostile> rows = {
        {"\"quoted\"", "%22quoted%22"},
        {" lead and trail ", "%20lead%20and%20trail%20"},
        {"a\tb\x01\x1F\x7F", "a%09b%01%1F%7F"},
        {"100%", "100%"},
        {"%20%%41%", "%20%%41%"},
        {"--x", "--x"},
        {"/c calc", "/c%20calc"},
        {"x\" & calc & \"", "x%22%20&%20calc%20&%20%22"},
        {"a&b|c^d<e>f`{}", "a&b%7Cc%5Ed%3Ce%3Ef%60%7B%7D"},
        {"\\\\server\\share", "%5C%5Cserver%5Cshare"},
        {" \t\x01 ", "", false},
        {"%1 %2 %*", "%1%20%2%20%*"},
    };
    if (GetACP() == 932) {
        rows.push_back({"\x83\x5C\x83\x7C", "\x83\x5C\x83\x7C"});  // trail bytes '\' and '|' stay in their pairs
        rows.push_back({"\x82\xA0 \x82\xA2\"", "\x82\xA0%20\x82\xA2%22"});
        rows.push_back({"\xB1\xB2\xDF", "\xB1\xB2\xDF"});  // single-byte katakana
    } else {
        rows.push_back({"\x80\x81\xA0\xE9\xFF", "\x80\x81\xA0\xE9\xFF"});
    }
    std::string longQuery;
    while (longQuery.size() < 100 * 1024) longQuery += "a\" ";
    // The longest address the program hands off, and one far longer: none.
    rows.push_back({std::string(960 - std::strlen(kLookupPrefix), 'x'), std::string(960 - std::strlen(kLookupPrefix), 'x')});
    rows.push_back({longQuery, "", false});
    return rows;
}

std::string LongText(HWND window) {
    std::string text(static_cast<size_t>(SendMessageA(window, WM_GETTEXTLENGTH, 0, 0)) + 1, '\0');
    text.resize(static_cast<size_t>(SendMessageA(window, WM_GETTEXT, text.size(), reinterpret_cast<LPARAM>(text.data()))));
    return text;
}

bool NoRecorderRuns() { return CountProcesses("url_recorder.exe") == 0; }

void HostileQueriesAreHandedOffExactly() {
    std::vector<std::string> processesBefore;  // once the first hand-off has started the shell's own services
    ChildProcess process;
    Launch(process, g_exe);
    const HWND main = WaitForVisibleWindow(process, "WHOIS Lookup");
    const HWND edit = SearchEdit(main);
    size_t handOffs = 0;
    for (const Hostile& row : HostileQueries()) {
        const std::string shown = row.query.size() > 40 ? row.query.substr(0, 40) + "..." : row.query;
        SendMessageA(SearchBox(main), WM_SETTEXT, 0, reinterpret_cast<LPARAM>(row.query.c_str()));
        Check(LongText(SearchBox(main)) == row.query, "the search box does not hold \"" + shown + "\"");
        SendMessageA(edit, EM_SETSEL, 0, 0);
        PostMessageA(edit, WM_CHAR, '\r', 1);
        PostMessageA(edit, EM_SETSEL, 0, 1);  // queued behind the Enter: its sign of being handled
        WaitUntil([&] { return SendMessageA(edit, EM_GETSEL, 0, 0) == MAKELRESULT(0, 1); }, "Enter not handled");
        if (row.handedOff) ++handOffs;
        const auto calls = WaitForRecordedCalls(handOffs);
        if (!row.handedOff) continue;
        Check(calls.back().size() == 3 && calls.back()[2] == std::string(kLookupPrefix) + row.escaped,
              "\"" + shown + "\": browser got " + std::to_string(calls.back().size() - 1) + " arguments, the last \"" +
                  calls.back().back().substr(0, 80) + "\"");
        if (processesBefore.empty()) {
            WaitUntil(NoRecorderRuns, "a recorder runs on");
            processesBefore = ProcessNames();
        }
    }
    std::printf("%zu queries through Enter\n", HostileQueries().size());

    // Through the bulk window: each line normalized, then handed off the same way.
    const std::vector<std::pair<std::string, std::string>> kBulk = {
        {"A\"B", "a%22b"}, {"--x /c", "--x"}, {"100%&calc", "100%&calc"}, {"a\tb\x01^|<>", "a%09b%01%5E%7C%3C%3E"},
        {GetACP() == 932 ? "\x83\x5C\x83\x7C" : "\xC9\x80", GetACP() == 932 ? "\x83\x5C\x83\x7C" : "\xE9\x80"},
    };
    std::string lines;
    std::vector<std::string> expected;
    for (const auto& [line, escaped] : kBulk) {
        lines += (lines.empty() ? "" : "\r\n") + line;
        expected.push_back(escaped);
    }
    Deliver(main, WM_COMMAND, kBulkCommand);
    const HWND bulk = WaitForVisibleWindowOf(process, "TFormBulkWhoisLookupTool");
    SendMessageA(GetDlgItem(bulk, 102), WM_SETTEXT, 0, reinterpret_cast<LPARAM>(lines.c_str()));
    const auto queries = BulkRun(bulk, handOffs, expected.size());
    Check(queries == expected, "bulk looked up " + Joined(queries));
    WaitUntil(NoRecorderRuns, "a recorder runs on");
    const std::vector<std::string> processesAfter = ProcessNames();
    Check(processesAfter == processesBefore, "other processes: " + Joined(processesBefore) + " before, " +
                                                 Joined(processesAfter) + " after");
    EndLikeLogoff(process);
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
