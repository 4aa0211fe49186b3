#include "driver_support.h"

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <fstream>
#include <iterator>
#include <utility>

#include "../shell_icon.h"

std::string g_exe;

namespace {

// An argument as the recorder logged it, with its escapes undone.
std::string Unescaped(const std::string& logged) {
    std::string text;
    for (size_t i = 0; i < logged.size(); ++i) {
        if (logged[i] != '\\' || i + 1 == logged.size()) {
            text += logged[i];
            continue;
        }
        switch (logged[++i]) {
            case 't': text += '\t'; break;
            case 'r': text += '\r'; break;
            case 'n': text += '\n'; break;
            case 'x':
                text += static_cast<char>(std::stoi(logged.substr(i + 1, 2), nullptr, 16));
                i += 2;
                break;
            default: text += logged[i];
        }
    }
    return text;
}

// The recorder stamps its own start, which lags the hand-off by a varying
// few tens of milliseconds, more on a loaded machine: a gap between two
// stamps may be well short of the pause, the run's whole span (where the lags
// do not add up) only a little.
constexpr long long kPauseMs = 1000, kRecorderStartJitterMs = 200;

// Where the prefix's http handler is, and where a case keeps it while broken.
constexpr char kHttpCommandKey[] = "http\\shell\\open\\command";
constexpr char kKeptCommand[] = "QuorvaneKept";

bool SetCommand(const char* name, const std::string& command) {
    return RegSetKeyValueA(HKEY_CLASSES_ROOT, kHttpCommandKey, name, REG_SZ, command.c_str(),
                           static_cast<DWORD>(command.size() + 1)) == ERROR_SUCCESS;
}

bool ReadCommand(const char* name, std::string& command) {
    return ReadRegText(HKEY_CLASSES_ROOT, kHttpCommandKey, name, command);
}

bool LongMode() {
    char mode[16] = {};
    GetEnvironmentVariableA("QUORVANE_STRESS", mode, sizeof mode);
    return _stricmp(mode, "long") == 0;
}

}  // namespace

std::string ProgramFolder() { return g_exe.substr(0, g_exe.find_last_of('\\') + 1); }

std::string HistoryPath() { return ProgramFolder() + "History.txt"; }

void Check(bool condition, const std::string& what) {
    if (!condition) throw DriverFailure{what};
}

void CheckNothingLeft() { Check(CountProcesses("Quorvane.exe") == 0, "a Quorvane.exe process is left"); }

void EndAndCheckNothingLeft(ChildProcess& process) {
    EndProcess(process);
    CheckNothingLeft();
}

bool MarkerPresent() { return GlobalFindAtomA("PROGRAM_RUNNING") != 0; }

int DeleteMarkerReferences() {
    int count = 0;
    for (ATOM atom; (atom = GlobalFindAtomA("PROGRAM_RUNNING")) != 0; ++count)
        Check(GlobalDeleteAtom(atom) == 0 && count < 1000, "a marker reference could not be deleted");
    return count;
}

bool Running(const ChildProcess& process) {
    return WaitForSingleObject(process.info.hProcess, 0) == WAIT_TIMEOUT;
}

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

HWND WindowOf(const ChildProcess& process, const char* className, bool visibleOnly) {
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

void EndLikeLogoff(ChildProcess& process) {
    const HWND app = AppWindow(process);
    Check(SendMessageA(app, WM_QUERYENDSESSION, 0, 0) == TRUE, "program objects to ending the session");
    SendMessageA(app, WM_ENDSESSION, TRUE, 0);
    const DWORD code = WaitForExit(process);
    Check(code == 0, "exit status " + std::to_string(code));
}

void ExitFromAbout(const ChildProcess& process, HWND main) {
    Deliver(main, WM_COMMAND, kAboutCommand);
    const HWND about = WaitForVisibleWindowOf(process, "TFormAbout");
    // Posted: the program ends while handling it.
    PostMessageA(GetDlgItem(about, kExitButton), BM_CLICK, 0, 0);
    const DWORD code = WaitForExit(process);
    Check(code == 0, "exit status " + std::to_string(code));
}

void Deliver(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
    Check(SendMessageTimeoutA(window, message, wParam, lParam, SMTO_NORMAL, kStartTimeoutMs, nullptr) != 0,
          "message " + std::to_string(message) + " not handled in time");
}

HWND WaitForFailureBox(const ChildProcess& process) { return WaitForVisibleWindowOf(process, "#32770"); }

std::string BoxMessage(HWND box) {
    for (HWND child = GetWindow(box, GW_CHILD); child; child = GetWindow(child, GW_HWNDNEXT))
        if (_stricmp(ClassOf(child).c_str(), "Static") == 0 && !Text(child).empty()) return Text(child);
    return {};
}

std::string CaptionOf(HWND window) {
    char text[256] = {};
    GetWindowTextA(window, text, sizeof text);
    return text;
}

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

ChildProcess& OneOfCopiesRuns(std::vector<ChildProcess>& copies) {
    for (ChildProcess& copy : copies) Launch(copy, g_exe);
    ChildProcess* running = nullptr;
    std::vector<HWND> boxes(copies.size());
    const ULONGLONG deadline = GetTickCount64() + kStartTimeoutMs;
    for (size_t i = 0; i < copies.size(); ++i) {
        Check(WaitForInputIdle(copies[i].info.hProcess, kStartTimeoutMs) == 0, "copy not started");
        for (;;) {
            if (FindVisibleWindow(copies[i].info.dwProcessId, "WHOIS Lookup")) {
                Check(!running, "two copies run");
                running = &copies[i];
                break;
            }
            if ((boxes[i] = FindVisibleWindow(copies[i].info.dwProcessId, "Warning"))) break;
            Check(GetTickCount64() < deadline, "copy " + std::to_string(i) + " shows neither window");
            Sleep(10);
        }
    }
    Check(running != nullptr, "no copy runs");
    for (ChildProcess& copy : copies)
        if (&copy != running) PressOk(copy, CheckRefusedWithWarning(copy));
    Check(Running(*running), "the running copy ended");
    Check(MarkerPresent(), "no marker while a copy runs");
    return *running;
}

std::vector<std::vector<std::string>> RecordedCalls() {
    wchar_t path[MAX_PATH * 2];
    const DWORD n = GetEnvironmentVariableW(L"QUORVANE_RECORDER_LOG", path, MAX_PATH * 2);
    Check(n > 0 && n < MAX_PATH * 2, "QUORVANE_RECORDER_LOG is not set");
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
        for (std::string& field : fields) field = Unescaped(field);
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

HWND SearchBox(HWND main) { return FindWindowExA(main, nullptr, "ComboBox", nullptr); }

HWND SearchEdit(HWND main) { return FindWindowExA(SearchBox(main), nullptr, "Edit", nullptr); }

void PostCharacters(HWND edit, const std::string& bytes) {
    std::wstring wide(bytes.size(), L'\0');
    wide.resize(static_cast<size_t>(std::max(
        0, MultiByteToWideChar(CP_ACP, 0, bytes.data(), static_cast<int>(bytes.size()), wide.data(),
                               static_cast<int>(wide.size())))));
    for (const wchar_t unit : wide) PostMessageW(edit, WM_CHAR, unit, 1);
}

void Type(HWND edit, const std::string& text) {
    PostMessageA(edit, EM_SETSEL, 0, -1);
    PostCharacters(edit, text);
}

std::string LocalWord() {
    switch (GetACP()) {
        case 932: return "\x83\x5C\x83\x7C";  // two katakana whose trail bytes are '\' and '|'
        case CP_UTF8: return "\xC3\xA9t\xC3\xA9";
        default: return "\xE9t\xE9";
    }
}

void PressKey(HWND target, UINT key) {
    PostMessageA(target, WM_KEYDOWN, key, 1);
    PostMessageA(target, WM_KEYUP, key, 0xC0000001);
}

void CommitByEnter(HWND edit, const std::string& query, size_t lookupsSoFar) {
    Type(edit, query);
    PressKey(edit, VK_RETURN);
    WaitForRecordedCalls(lookupsSoFar);
}

bool Exists(const std::string& path) { return GetFileAttributesW(Wide(path).c_str()) != INVALID_FILE_ATTRIBUTES; }

std::string ReadAll(const std::string& path) {
    std::ifstream in(Wide(path).c_str(), std::ios::binary);
    return std::string(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
}

void WaitForFile(const std::string& path, const std::string& expected) {
    const ULONGLONG deadline = GetTickCount64() + kStartTimeoutMs;
    while (ReadAll(path) != expected && GetTickCount64() < deadline) Sleep(10);
    Check(ReadAll(path) == expected, "History.txt holds \"" + ReadAll(path) + "\"");
}

void WriteAll(const std::string& path, const std::string& bytes) {
    std::ofstream(Wide(path).c_str(), std::ios::binary) << bytes;
}

bool StartsWith(const std::string& text, const std::string& prefix) { return text.rfind(prefix, 0) == 0; }

std::string Joined(const std::vector<std::string>& parts) {
    std::string all;
    for (const std::string& part : parts) all += "[" + part + "]";
    return all;
}

bool NotifyIcon(DWORD operation, HWND main) { return NotifyShellIcon(operation, main, kTrayIconId); }

bool IconPresent(HWND main) { return NotifyIcon(NIM_MODIFY, main); }

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

bool ReadRegText(HKEY root, const char* key, const char* name, std::string& value) {
    char text[MAX_PATH * 2] = {};
    DWORD size = sizeof text;
    if (RegGetValueA(root, key, name, RRF_RT_REG_SZ, nullptr, text, &size)) return false;
    value = text;
    return true;
}

void RestoreHttpHandler() {
    std::string kept;
    if (ReadCommand(kKeptCommand, kept) && SetCommand(nullptr, kept))
        RegDeleteKeyValueA(HKEY_CLASSES_ROOT, kHttpCommandKey, kKeptCommand);
}

BrokenHttpHandler::BrokenHttpHandler() {
    std::string command;
    Check(ReadCommand(nullptr, command) && SetCommand(kKeptCommand, command) &&
              SetCommand(nullptr, "\"C:\\nowhere\\browser.exe\" \"%1\""),
          "cannot replace the http handler");
}

BrokenHttpHandler::~BrokenHttpHandler() { RestoreHttpHandler(); }

int Scaled(int bounded, int longRun) { return LongMode() ? longRun : bounded; }

std::mt19937_64& Random() {
    static std::mt19937_64 engine = [] {
        char text[32] = {};
        const unsigned long long seed = GetEnvironmentVariableA("QUORVANE_STRESS_SEED", text, sizeof text)
                                            ? std::strtoull(text, nullptr, 10)
                                            : GetTickCount64() ^ GetCurrentProcessId();
        std::printf("seed %llu (QUORVANE_STRESS_SEED repeats it)\n", seed);
        return std::mt19937_64(seed);
    }();
    return engine;
}

PROCESS_MEMORY_COUNTERS_EX MemoryOf(const ChildProcess& process) {
    PROCESS_MEMORY_COUNTERS_EX counters{};
    Check(GetProcessMemoryInfo(process.info.hProcess, reinterpret_cast<PROCESS_MEMORY_COUNTERS*>(&counters),
                               sizeof counters),
          "no memory counters");
    return counters;
}

int RunCase(std::span<const Case> cases, const char* program) {
    // The folder's name may lie outside the ANSI code page: the arguments are
    // read wide.
    int argc = 0;
    wchar_t** wideArgv = CommandLineToArgvW(GetCommandLineW(), &argc);
    std::vector<std::string> args;
    for (int i = 0; i < argc; ++i) args.push_back(Utf8(wideArgv[i]));
    LocalFree(wideArgv);
    if (argc != 3) {
        std::fprintf(stderr, "usage: %s CASE PROGRAM_FOLDER\n", program);
        return 2;
    }
    g_exe = args[2] + "\\Quorvane.exe";
    RestoreHttpHandler();
    for (const Case& c : cases) {
        if (args[1] != c.name) continue;
        try {
            c.run();
        } catch (const DriverFailure& failure) {
            std::fprintf(stderr, "FAIL: %s: %s\n", c.name, failure.what.c_str());
            return 1;
        }
        std::printf("PASS: %s\n", c.name);
        return 0;
    }
    std::fprintf(stderr, "unknown case %s\n", args[1].c_str());
    return 2;
}
