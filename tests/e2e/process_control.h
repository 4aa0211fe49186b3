// Starting Quorvane.exe (or a peer) from outside, waiting for its windows and
// pressing keys as the keyboard does; shared by the end-to-end driver and the
// benchmarks.
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

// Window states of another process have no event of their own: re-read
// until they hold, pausing between reads, or the deadline passes.
template <class Condition>
void Await(Condition holds, const std::string& what, DWORD pauseMs = 5) {
    const ULONGLONG deadline = GetTickCount64() + kStartTimeoutMs;
    while (!holds()) {
        if (GetTickCount64() >= deadline) throw DriverFailure{what};
        Sleep(pauseMs);
    }
}

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

// The control that has the focus in the window's thread, of any process.
HWND FocusOf(HWND window);

// A window of the driver's own, on a thread that answers its messages. Wine
// hands a key, and so a hotkey, on only while one of its windows is active;
// with every window of the program hidden, this one is. It stays hidden: a
// shown one would take the X server's focus, and whenever its thread handles
// the focus events Wine sets the modifiers back to the server's state, where
// no key is down (in the middle of a press, that undid the combination), or
// takes the foreground back from the program just brought up.
class ForegroundStandIn {
public:
    ForegroundStandIn();
    ~ForegroundStandIn();
    ForegroundStandIn(const ForegroundStandIn&) = delete;
    ForegroundStandIn& operator=(const ForegroundStandIn&) = delete;
    // Makes it the foreground window, and waits until it is.
    void BringToFront() const;
    // Presses the hotkey field's word (virtual key in the low byte, HOTKEYF_
    // flags in the high byte) through the input queue, modifiers first, and
    // releases it.
    void Press(unsigned word) const;

private:
    HANDLE thread_ = nullptr;
    DWORD threadId_ = 0;
    HWND window_ = nullptr;
};
