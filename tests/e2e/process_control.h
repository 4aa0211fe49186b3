// Starting Quorvane.exe (or a peer) from outside and waiting for its windows;
// shared by the end-to-end driver and the start-up benchmark.
#pragma once

#include <windows.h>

#include <string>
#include <vector>

struct ChildProcess {
    PROCESS_INFORMATION info{};
    ChildProcess() = default;
    ChildProcess(const ChildProcess&) = delete;
    ChildProcess& operator=(const ChildProcess&) = delete;
    ~ChildProcess();
};

// Thrown when a step does not happen in time or a call fails; the text says
// what was seen.
struct DriverFailure {
    std::string what;
};

constexpr DWORD kStartTimeoutMs = 30000;

// Paths are UTF-8 strings here, made wide for every call that takes one: a
// folder may be named in characters the ANSI code page lacks.
std::wstring Wide(const std::string& utf8);
std::string Utf8(const std::wstring& wide);

// With a show command, the program is handed it as the user's start-up choice;
// arguments, if any, follow the quoted path after one blank, as written.
void Launch(ChildProcess& process, const std::string& exe, int showCommand = -1, const std::wstring& arguments = {});
// The program's visible top-level window with this caption, if any.
HWND FindVisibleWindow(DWORD processId, const char* caption);
// Waits for the program's message loop, then for its visible top-level window
// with this caption.
HWND WaitForVisibleWindow(const ChildProcess& process, const char* caption);
void EndProcess(ChildProcess& process);
// Waits for the process to end by itself; returns its exit code.
DWORD WaitForExit(const ChildProcess& process);
int CountProcesses(const char* exeName);
// The executable names of every process on the desktop, sorted.
std::vector<std::string> ProcessNames();
