// Drives the real Quorvane.exe from outside, as a user would: starts it,
// finds its windows by caption, reads them, ends it. One case per run:
//   e2e_driver CASE PROGRAM_FOLDER
// Every wait has a deadline; a failing case says what it saw and exits 1.
#include <windows.h>
#include <tlhelp32.h>

#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <functional>
#include <string>

namespace {

constexpr DWORD kStartTimeoutMs = 30000;
std::string g_folder;  // the case's own folder, holding a copy of Quorvane.exe

[[noreturn]] void Fail(const std::string& what) {
    std::fprintf(stderr, "FAIL: %s\n", what.c_str());
    std::fflush(stderr);
    std::exit(1);
}

void Check(bool condition, const std::string& what) {
    if (!condition) Fail(what);
}

struct Process {
    PROCESS_INFORMATION info{};
    ~Process() {
        if (info.hThread) CloseHandle(info.hThread);
        if (info.hProcess) CloseHandle(info.hProcess);
    }
};

void Launch(Process& process) {
    const std::string exe = g_folder + "\\Quorvane.exe";
    std::string commandLine = "\"" + exe + "\"";
    STARTUPINFOA startup{};
    startup.cb = sizeof startup;
    Check(CreateProcessA(exe.c_str(), commandLine.data(), nullptr, nullptr, FALSE, 0, nullptr,
                         g_folder.c_str(), &startup, &process.info),
          "cannot start " + exe + ", error " + std::to_string(GetLastError()));
}

// Waits until the condition holds, with a deadline. The program signals
// readiness through its message loop (WaitForInputIdle); window states of
// another process have no event of their own, so they are re-read after that.
bool WaitUntil(const std::function<bool()>& condition, DWORD timeoutMs) {
    const ULONGLONG deadline = GetTickCount64() + timeoutMs;
    while (!condition()) {
        if (GetTickCount64() >= deadline) return false;
        Sleep(10);
    }
    return true;
}

HWND FindVisibleWindow(DWORD processId, const char* caption) {
    HWND found = nullptr;
    for (HWND w = FindWindowExA(nullptr, nullptr, nullptr, caption); w;
         w = FindWindowExA(nullptr, w, nullptr, caption)) {
        DWORD owner = 0;
        GetWindowThreadProcessId(w, &owner);
        if (owner == processId && IsWindowVisible(w)) found = w;
    }
    return found;
}

HWND WaitForVisibleWindow(const Process& process, const char* caption) {
    const DWORD idle = WaitForInputIdle(process.info.hProcess, kStartTimeoutMs);
    Check(idle == 0, "program did not reach its message loop (WaitForInputIdle " +
                         std::to_string(idle) + ")");
    HWND window = nullptr;
    WaitUntil([&] { return (window = FindVisibleWindow(process.info.dwProcessId, caption)) != nullptr; },
              kStartTimeoutMs);
    Check(window != nullptr, std::string("no visible window \"") + caption + "\"");
    return window;
}

int CountProcesses(const char* exeName) {
    const HANDLE snapshot = CreateToolhelp32Snapshot(TH32CS_SNAPPROCESS, 0);
    if (snapshot == INVALID_HANDLE_VALUE) Fail("no process snapshot");
    PROCESSENTRY32 entry{};
    entry.dwSize = sizeof entry;
    int count = 0;
    for (BOOL more = Process32First(snapshot, &entry); more; more = Process32Next(snapshot, &entry))
        if (_stricmp(entry.szExeFile, exeName) == 0) ++count;
    CloseHandle(snapshot);
    return count;
}

void EndAndCheckNothingLeft(Process& process) {
    TerminateProcess(process.info.hProcess, 0);
    Check(WaitForSingleObject(process.info.hProcess, kStartTimeoutMs) == WAIT_OBJECT_0,
          "program did not end after TerminateProcess");
    Check(CountProcesses("Quorvane.exe") == 0, "a Quorvane.exe process is left");
}

// The main window appears with its caption, on top, as a tool window with the
// designed client size.
void StartsAndShowsMainWindow() {
    Process process;
    Launch(process);
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

struct Case {
    const char* name;
    void (*run)();
};

constexpr Case kCases[] = {
    {"starts_and_shows_main_window", StartsAndShowsMainWindow},
};

}  // namespace

int main(int argc, char** argv) {
    if (argc != 3) {
        std::fprintf(stderr, "usage: e2e_driver CASE PROGRAM_FOLDER\n");
        return 2;
    }
    g_folder = argv[2];
    for (const Case& c : kCases) {
        if (std::strcmp(c.name, argv[1]) == 0) {
            c.run();
            std::printf("PASS: %s\n", c.name);
            return 0;
        }
    }
    std::fprintf(stderr, "unknown case %s\n", argv[1]);
    return 2;
}
