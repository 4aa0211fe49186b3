// A long run: resources stable over many paints and show/hide cycles, and
// no CPU time while hidden.
#include "chains.h"

#include <windows.h>
#include <winternl.h>

#include <cstdio>
#include <cstdlib>
#include <string>
#include <vector>

#include "driver_support.h"

namespace {

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

}  // namespace

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
