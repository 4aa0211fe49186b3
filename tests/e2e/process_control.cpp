#include "process_control.h"

#include <commctrl.h>
#include <tlhelp32.h>

#include <algorithm>

ChildProcess::~ChildProcess() {
    if (info.hThread) CloseHandle(info.hThread);
    if (info.hProcess) CloseHandle(info.hProcess);
}

std::wstring Wide(const std::string& utf8) {
    const int size = MultiByteToWideChar(CP_UTF8, 0, utf8.data(), static_cast<int>(utf8.size()), nullptr, 0);
    std::wstring wide(static_cast<size_t>(size), L'\0');
    MultiByteToWideChar(CP_UTF8, 0, utf8.data(), static_cast<int>(utf8.size()), wide.data(), size);
    return wide;
}

std::string Utf8(const std::wstring& wide) {
    const int size =
        WideCharToMultiByte(CP_UTF8, 0, wide.data(), static_cast<int>(wide.size()), nullptr, 0, nullptr, nullptr);
    std::string utf8(static_cast<size_t>(size), '\0');
    WideCharToMultiByte(CP_UTF8, 0, wide.data(), static_cast<int>(wide.size()), utf8.data(), size, nullptr, nullptr);
    return utf8;
}

void Launch(ChildProcess& process, const std::string& exe, int showCommand, const std::wstring& arguments) {
    const std::wstring path = Wide(exe), folder = path.substr(0, path.find_last_of(L'\\'));
    std::wstring commandLine = L"\"" + path + L"\"";
    if (!arguments.empty()) commandLine += L" " + arguments;
    STARTUPINFOW startup{};
    startup.cb = sizeof startup;
    if (showCommand >= 0) {
        startup.dwFlags = STARTF_USESHOWWINDOW;
        startup.wShowWindow = static_cast<WORD>(showCommand);
    }
    if (!CreateProcessW(path.c_str(), commandLine.data(), nullptr, nullptr, FALSE, 0, nullptr,
                        folder.c_str(), &startup, &process.info))
        throw DriverFailure{"cannot start " + exe + ", error " + std::to_string(GetLastError())};
}

HWND FindVisibleWindow(DWORD processId, const char* caption) {
    for (HWND w = FindWindowExA(nullptr, nullptr, nullptr, caption); w;
         w = FindWindowExA(nullptr, w, nullptr, caption)) {
        DWORD owner = 0;
        GetWindowThreadProcessId(w, &owner);
        if (owner == processId && IsWindowVisible(w)) return w;
    }
    return nullptr;
}

HWND WaitForVisibleWindow(const ChildProcess& process, const char* caption) {
    // The program's message loop signals readiness; window states of another
    // process have no event of their own, so they are re-read after that until
    // the deadline.
    const DWORD idle = WaitForInputIdle(process.info.hProcess, kStartTimeoutMs);
    if (idle != 0)
        throw DriverFailure{"program did not reach its message loop (WaitForInputIdle " +
                            std::to_string(idle) + ")"};
    const ULONGLONG deadline = GetTickCount64() + kStartTimeoutMs;
    for (;;) {
        if (HWND window = FindVisibleWindow(process.info.dwProcessId, caption)) return window;
        if (GetTickCount64() >= deadline)
            throw DriverFailure{std::string("no visible window \"") + caption + "\""};
        Sleep(5);
    }
}

void EndProcess(ChildProcess& process) {
    TerminateProcess(process.info.hProcess, 0);
    if (WaitForSingleObject(process.info.hProcess, kStartTimeoutMs) != WAIT_OBJECT_0)
        throw DriverFailure{"program did not end after TerminateProcess"};
}

DWORD WaitForExit(const ChildProcess& process) {
    if (WaitForSingleObject(process.info.hProcess, kStartTimeoutMs) != WAIT_OBJECT_0)
        throw DriverFailure{"program did not end"};
    DWORD code = 0;
    GetExitCodeProcess(process.info.hProcess, &code);
    return code;
}

std::vector<std::string> ProcessNames() {
    const HANDLE snapshot = CreateToolhelp32Snapshot(TH32CS_SNAPPROCESS, 0);
    if (snapshot == INVALID_HANDLE_VALUE) throw DriverFailure{"no process snapshot"};
    PROCESSENTRY32 entry{};
    entry.dwSize = sizeof entry;
    std::vector<std::string> names;
    for (BOOL more = Process32First(snapshot, &entry); more; more = Process32Next(snapshot, &entry))
        names.push_back(entry.szExeFile);
    CloseHandle(snapshot);
    std::sort(names.begin(), names.end());
    return names;
}

int CountProcesses(const char* exeName) {
    int count = 0;
    for (const std::string& name : ProcessNames())
        if (_stricmp(name.c_str(), exeName) == 0) ++count;
    return count;
}

HWND FocusOf(HWND window) {
    GUITHREADINFO info{};
    info.cbSize = sizeof info;
    return GetGUIThreadInfo(GetWindowThreadProcessId(window, nullptr), &info) ? info.hwndFocus : nullptr;
}

namespace {

struct StandInStart {
    HWND window = nullptr;
    HANDLE made = nullptr;
};

DWORD WINAPI RunStandIn(void* parameter) {
    auto* start = static_cast<StandInStart*>(parameter);
    start->window = CreateWindowExA(WS_EX_TOPMOST, "STATIC", "driver", WS_POPUP | WS_BORDER, 0, 0, 120,
                                    40, nullptr, nullptr, GetModuleHandleA(nullptr), nullptr);
    SetEvent(start->made);
    MSG msg;
    while (GetMessageA(&msg, nullptr, 0, 0) > 0) DispatchMessageA(&msg);
    return 0;  // the window goes with the thread
}

void PressKeyCombination(unsigned word) {
    const unsigned flags = word >> 8 & 0xFF;
    std::vector<WORD> keys;
    if (flags & HOTKEYF_CONTROL) keys.push_back(VK_CONTROL);
    if (flags & HOTKEYF_SHIFT) keys.push_back(VK_SHIFT);
    if (flags & HOTKEYF_ALT) keys.push_back(VK_MENU);
    keys.push_back(static_cast<WORD>(word & 0xFF));
    std::vector<INPUT> inputs;
    for (auto up : {false, true})
        for (size_t i = 0; i < keys.size(); ++i) {
            INPUT input{};
            input.type = INPUT_KEYBOARD;
            input.ki.wVk = up ? keys[keys.size() - 1 - i] : keys[i];  // released in reverse
            input.ki.wScan = static_cast<WORD>(MapVirtualKeyA(input.ki.wVk, MAPVK_VK_TO_VSC));
            input.ki.dwFlags = up ? KEYEVENTF_KEYUP : 0;
            inputs.push_back(input);
        }
    if (SendInput(static_cast<UINT>(inputs.size()), inputs.data(), sizeof(INPUT)) != inputs.size())
        throw DriverFailure{"SendInput refused the key presses, error " + std::to_string(GetLastError())};
}

}  // namespace

ForegroundStandIn::ForegroundStandIn() {
    StandInStart start{nullptr, CreateEventA(nullptr, TRUE, FALSE, nullptr)};
    thread_ = CreateThread(nullptr, 0, RunStandIn, &start, 0, &threadId_);
    if (thread_) WaitForSingleObject(start.made, kStartTimeoutMs);
    CloseHandle(start.made);
    window_ = start.window;
    if (!window_) throw DriverFailure{"cannot make a window of the driver's own"};
}

ForegroundStandIn::~ForegroundStandIn() {
    PostThreadMessageA(threadId_, WM_QUIT, 0, 0);
    WaitForSingleObject(thread_, kStartTimeoutMs);
    CloseHandle(thread_);
}

void ForegroundStandIn::BringToFront() const {
    const ULONGLONG deadline = GetTickCount64() + kStartTimeoutMs;
    while (GetForegroundWindow() != window_) {
        SetForegroundWindow(window_);
        if (GetTickCount64() >= deadline) throw DriverFailure{"the driver's window did not become the foreground"};
        Sleep(1);
    }
}

void ForegroundStandIn::Press(unsigned word) const { PressKeyCombination(word); }
