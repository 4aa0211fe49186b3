// Drives the real Quorvane.exe from outside, as a user would: starts it,
// finds its windows by caption, reads them, ends it. One case per run:
//   e2e_driver CASE PROGRAM_FOLDER
// Every wait has a deadline; a failing case says what it saw and exits 1.
#include <windows.h>

#include <cstdio>
#include <cstring>
#include <string>

#include "process_control.h"

namespace {

std::string g_exe;  // the copy of Quorvane.exe in the case's own folder

void Check(bool condition, const std::string& what) {
    if (!condition) throw DriverFailure{what};
}

void EndAndCheckNothingLeft(ChildProcess& process) {
    EndProcess(process);
    Check(CountProcesses("Quorvane.exe") == 0, "a Quorvane.exe process is left");
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

// For the run command's screenshot: starts the program and leaves it running
// once its main window shows.
void Show() {
    ChildProcess process;
    Launch(process, g_exe);
    WaitForVisibleWindow(process, "WHOIS Lookup");
}

struct Case {
    const char* name;
    void (*run)();
};

constexpr Case kCases[] = {
    {"starts_and_shows_main_window", StartsAndShowsMainWindow},
    {"show", Show},
};

}  // namespace

int main(int argc, char** argv) {
    if (argc != 3) {
        std::fprintf(stderr, "usage: e2e_driver CASE PROGRAM_FOLDER\n");
        return 2;
    }
    g_exe = std::string(argv[2]) + "\\Quorvane.exe";
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
