// History.txt: written at a close and at the session's end, loaded at the
// start, and the failures of both reported.
#include "chains.h"

#include <string>
#include <utility>
#include <vector>

#include "driver_support.h"
#include "win/window_text.h"

namespace {

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

}  // namespace

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

// Another program holds History.txt. For a moment, at a close: the save
// waits it out, with no box. For long, at Exit: the failure box waits for
// OK, the program stays, and Exit once the file is free saves and ends it.
void HeldHistoryAtCloseAndExit() {
    WriteAll(HistoryPath(), "old\r\n");
    ChildProcess process;
    Launch(process, g_exe);
    const HWND main = WaitForVisibleWindow(process, "WHOIS Lookup");
    CommitByEnter(SearchEdit(main), "moment.example", 1);
    {
        HeldFile held(HistoryPath());
        PostMessageA(main, WM_CLOSE, 0, 0);
        Sleep(250);  // as long as an indexer or a virus scanner holds a file
    }
    WaitForFile(HistoryPath(), "moment.example\r\nold\r\n");
    Check(!WindowOf(process, "#32770"), "a failure box for a file held for a moment");

    Deliver(main, WM_COMMAND, kWhoisLookupCommand);
    WaitRestored(main);
    CommitByEnter(SearchEdit(main), "exit.example", 2);
    Deliver(main, WM_COMMAND, kAboutCommand);
    const HWND about = WaitForVisibleWindowOf(process, "TFormAbout");
    {
        HeldFile held(HistoryPath());
        PostMessageA(GetDlgItem(about, kExitButton), BM_CLICK, 0, 0);
        const HWND box = WaitForFailureBox(process);
        const std::string message = BoxMessage(box);
        Check(StartsWith(message, "Cannot create file \"" + ShownPath(HistoryPath()) + "\". "),
              "failure box says \"" + message + "\"");
        PostMessageA(box, WM_COMMAND, IDOK, 0);
        WaitUntil([&] { return !IsWindow(box); }, "the failure box to close");
    }
    Check(Running(process) && IsWindowVisible(about), "the program ended after the failed save at Exit");
    Check(ReadAll(HistoryPath()) == "moment.example\r\nold\r\n", "History.txt changed to \"" + ReadAll(HistoryPath()) + "\"");
    PostMessageA(GetDlgItem(about, kExitButton), BM_CLICK, 0, 0);
    const DWORD code = WaitForExit(process);
    Check(code == 0, "exit status " + std::to_string(code));
    Check(ReadAll(HistoryPath()) == "exit.example\r\nmoment.example\r\nold\r\n",
          "History.txt holds \"" + ReadAll(HistoryPath()) + "\"");
    CheckNothingLeft();
}

// The program's folder refuses writes (the runner mounts it read-only, with
// History.txt "beside"): the history is kept in the user's local application
// data, starting from the file beside the program, which stays as it was;
// the settings window says where.
void ReadOnlyProgramFolder() {
    wchar_t local[MAX_PATH] = {};
    Check(GetEnvironmentVariableW(L"LOCALAPPDATA", local, MAX_PATH) > 0, "LOCALAPPDATA is not set");
    const std::string folder = Utf8(local) + "\\Quorvane", kept = folder + "\\History.txt";
    // Everything in the user's folder goes, so that the next run starts as
    // the first (Wine's ReplaceFileW may leave a temporary file there).
    const auto forget = [&] {
        WIN32_FIND_DATAW found{};
        const HANDLE search = FindFirstFileW(Wide(folder + "\\*").c_str(), &found);
        for (BOOL more = search != INVALID_HANDLE_VALUE; more; more = FindNextFileW(search, &found))
            DeleteFileW((Wide(folder + "\\") + found.cFileName).c_str());
        if (search != INVALID_HANDLE_VALUE) FindClose(search);
        RemoveDirectoryW(Wide(folder).c_str());
        Check(!Exists(folder), "the user's folder for the history could not be emptied");
    };
    forget();
    ChildProcess process;
    Launch(process, g_exe);
    const HWND main = WaitForVisibleWindow(process, "WHOIS Lookup");
    CommitByEnter(SearchEdit(main), "new.example", 1);
    PostMessageA(main, WM_CLOSE, 0, 0);
    WaitForFile(kept, "new.example\r\nbeside\r\n");
    Check(ReadAll(HistoryPath()) == "beside\r\n", "History.txt beside the program changed");
    Deliver(main, WM_SYSCOMMAND, kSettingsCommand);
    const HWND settings = WaitForVisibleWindowOf(process, "TFormSetting");
    const std::string shown = Text(GetDlgItem(settings, kHistoryPlaceField));
    Check(shown == ShownPath(kept), "the settings window says \"" + shown + "\"");
    EndAndCheckNothingLeft(process);
    forget();
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
