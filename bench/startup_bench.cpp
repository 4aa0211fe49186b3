// Start-up of Quorvane.exe against peers, interleaved run by run: time from
// CreateProcess to the visible main window, and the peak working set then.
// The last program given is the one measured; every other one is a peer. With
// --base-first, every program is compared with the first instead. Time ratios
// come twice: of the medians, and the median of the ratios within each run.
//   startup_bench [--base-first] RUNS EXE CAPTION [EXE CAPTION ...]
// With --reach, the way back from hiding instead (see Reach below):
//   startup_bench --reach RUNS EXE CAPTION KEY [EXE CAPTION KEY ...]
#include <windows.h>
#include <commctrl.h>
#include <psapi.h>

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <deque>
#include <string>
#include <vector>

#include "process_control.h"

namespace {

struct Program {
    std::string exe;
    const char* caption;
    std::vector<double> milliseconds, peakMegabytes;
};

double NowMs() {
    LARGE_INTEGER now, frequency;
    QueryPerformanceCounter(&now);
    QueryPerformanceFrequency(&frequency);
    return static_cast<double>(now.QuadPart) * 1000.0 / static_cast<double>(frequency.QuadPart);
}

// Starts the program; returns when the start that succeeded began. Wine now
// and then fails to start a process at all (a clash in its loader's address
// space): that start is tried again, not counted.
double LaunchTimed(ChildProcess& process, const std::string& exe, const std::wstring& arguments = {}) {
    for (int attempt = 1;; ++attempt) {
        const double start = NowMs();
        try {
            Launch(process, exe, -1, arguments);
            return start;
        } catch (const DriverFailure&) {
            if (attempt == 3) throw;
        }
    }
}

void Measure(Program& program) {
    ChildProcess process;
    const double start = LaunchTimed(process, program.exe);
    WaitForVisibleWindow(process, program.caption);
    program.milliseconds.push_back(NowMs() - start);
    PROCESS_MEMORY_COUNTERS counters{};
    counters.cb = sizeof counters;
    GetProcessMemoryInfo(process.info.hProcess, &counters, sizeof counters);
    program.peakMegabytes.push_back(static_cast<double>(counters.PeakWorkingSetSize) / (1024.0 * 1024.0));
    EndProcess(process);
}

double Median(std::vector<double> values) {
    std::sort(values.begin(), values.end());
    const size_t n = values.size();
    return n % 2 ? values[n / 2] : (values[n / 2 - 1] + values[n / 2]) / 2;
}

// The executable's name, or its folder's, which tells copies of one program apart.
std::string Label(const std::string& path, bool byFolder) {
    const size_t file = path.find_last_of('\\');
    if (!byFolder || file == std::string::npos || file == 0) return path.substr(file + 1);
    const size_t folder = path.find_last_of('\\', file - 1);
    return path.substr(folder + 1, file - folder - 1);
}

// A program's label: its name, or with --base-first its folder's; a name that
// two programs share (a build before a change beside the current one) gets
// its folder's in front.
std::string Label(const std::vector<Program>& programs, const Program& program, bool baseFirst) {
    if (baseFirst) return Label(program.exe, true);
    const std::string name = Label(program.exe, false);
    for (const Program& other : programs)
        if (&other != &program && Label(other.exe, false) == name) return Label(program.exe, true) + "\\" + name;
    return name;
}

double MedianRatio(const std::vector<double>& measured, const std::vector<double>& base) {
    std::vector<double> ratios;
    for (size_t run = 0; run < measured.size() && run < base.size(); ++run) ratios.push_back(measured[run] / base[run]);
    return Median(ratios);
}

// A running copy of a program whose way back from hiding is measured. Its
// hotkey is stored where the program reads it at start (HKCU\KEY, "Hotkey").
struct Reacher {
    std::string exe;
    const char* caption = nullptr;
    std::string key;
    DWORD word = 0;
    ChildProcess process;
    HWND main = nullptr, edit = nullptr;
    std::vector<double> hotkeyMs, handOffMs, secondEndMs;
};

// The prefix's http handler, which the program's hand-off starts for its
// lookup (bench/startup.py --reach registers it): a round starts once it has ended.
constexpr char kHttpHandler[] = "url_recorder.exe";

// Read every millisecond, the figures' resolution.
template <class Condition>
void AwaitClosely(Condition holds, const char* what) {
    Await(holds, what, 1);
}

// Ready for typing: the main window in front, its search box's edit field focused.
bool Ready(const Reacher& r) { return GetForegroundWindow() == r.main && FocusOf(r.main) == r.edit; }

// Hidden by a close and idle, its lookup's http handler ended, with the
// bench's own window in front (Wine hands a hotkey on only while one of its
// windows is active). Each measurement ends so, so that none disturbs the next.
void HideAndSettle(Reacher& r, const ForegroundStandIn& standIn) {
    PostMessageA(r.main, WM_CLOSE, 0, 0);
    AwaitClosely([&] { return !IsWindowVisible(r.main); }, "the main window did not hide");
    SendMessageTimeoutA(r.main, WM_NULL, 0, 0, SMTO_NORMAL, kStartTimeoutMs, nullptr);
    AwaitClosely([] { return CountProcesses(kHttpHandler) == 0; }, "the http handler did not end");
    standIn.BringToFront();
}

void MeasureHotkey(Reacher& r, const ForegroundStandIn& standIn) {
    const double start = NowMs();
    standIn.Press(r.word);
    AwaitClosely([&] { return Ready(r); }, "the hotkey did not bring the search box up");
    r.hotkeyMs.push_back(NowMs() - start);
    HideAndSettle(r, standIn);
}

// A second start with a query, which hands it to the running copy and ends;
// when it ends is timed too, which tells the second start's part apart.
void MeasureHandOff(Reacher& r, const ForegroundStandIn& standIn) {
    ChildProcess second;
    const double start = LaunchTimed(second, r.exe, L"example.com");
    double ready = 0, ended = 0;
    AwaitClosely(
        [&] {
            if (!ready && Ready(r)) ready = NowMs() - start;
            if (!ended && WaitForSingleObject(second.info.hProcess, 0) == WAIT_OBJECT_0) ended = NowMs() - start;
            return ready && ended;
        },
        "the hand-off did not bring the search box up");
    r.handOffMs.push_back(ready);
    r.secondEndMs.push_back(ended);
    if (WaitForExit(second) != 0) throw DriverFailure{"the second start failed"};
    HideAndSettle(r, standIn);
}

// Where a measurement stopped: the program, the round, what its window showed.
DriverFailure Located(const DriverFailure& failure, const Reacher& r, int run) {
    char state[160];
    std::snprintf(state, sizeof state, " (round %d; visible %d, in front %d, focus on the search box %d)", run,
                  IsWindowVisible(r.main) ? 1 : 0, GetForegroundWindow() == r.main ? 1 : 0,
                  FocusOf(r.main) == r.edit ? 1 : 0);
    return {Label(r.exe, false) + ": " + failure.what + state};
}

struct StoredHotkeys {
    std::deque<Reacher>& reachers;
    ~StoredHotkeys() {
        for (const Reacher& r : reachers) RegDeleteKeyValueA(HKEY_CURRENT_USER, r.key.c_str(), "Hotkey");
    }
};

void PrintReach(const char* trigger, const Reacher& peer, const std::vector<double>& peerMs, const Reacher& measured,
                const std::vector<double>& measuredMs) {
    std::printf("%-10s %-28s %9.1f %-28s %9.1f %12.3f %12.3f\n", trigger, Label(measured.exe, false).c_str(),
                Median(measuredMs), Label(peer.exe, false).c_str(), Median(peerMs), Median(measuredMs) / Median(peerMs),
                MedianRatio(measuredMs, peerMs));
}

// From hidden to the search box ready for typing, by the hotkey and by a
// second start's hand-off, for each program in turn, run after run; the last
// program is the one measured, against each other one.
int Reach(int argc, char** argv) {
    if (argc < 8 || (argc - 2) % 3 != 0) {
        std::fprintf(stderr, "usage: startup_bench --reach RUNS EXE CAPTION KEY [EXE CAPTION KEY ...]\n");
        return 2;
    }
    const int runs = std::max(1, std::atoi(argv[1]));
    std::deque<Reacher> reachers;
    for (int i = 2; i < argc; i += 3) {
        Reacher& r = reachers.emplace_back();
        r.exe = argv[i];
        r.caption = argv[i + 1];
        r.key = argv[i + 2];
        // Ctrl+Shift and a letter of its own for each.
        r.word = (HOTKEYF_CONTROL | HOTKEYF_SHIFT) << 8 | static_cast<DWORD>('Q' - (reachers.size() - 1));
    }
    StoredHotkeys stored{reachers};
    try {
        for (Reacher& r : reachers) {
            if (RegSetKeyValueA(HKEY_CURRENT_USER, r.key.c_str(), "Hotkey", REG_DWORD, &r.word, sizeof r.word))
                throw DriverFailure{"cannot store the hotkey under " + r.key};
            Launch(r.process, r.exe);
            r.main = WaitForVisibleWindow(r.process, r.caption);
            r.edit = FindWindowExA(FindWindowExA(r.main, nullptr, "ComboBox", nullptr), nullptr, "Edit", nullptr);
        }
        const ForegroundStandIn standIn;
        for (Reacher& r : reachers) HideAndSettle(r, standIn);
        for (int run = -1; run < runs; ++run) {  // the first round warms up, and is not counted
            for (size_t i = 0; i < reachers.size(); ++i) {
                Reacher& r = reachers[(static_cast<size_t>(run + 1) + i) % reachers.size()];
                try {
                    MeasureHotkey(r, standIn);
                    MeasureHandOff(r, standIn);
                } catch (const DriverFailure& failure) {
                    throw Located(failure, r, run);
                }
            }
            if (run < 0)
                for (Reacher& r : reachers) r.hotkeyMs.clear(), r.handOffMs.clear(), r.secondEndMs.clear();
        }
        for (Reacher& r : reachers) EndProcess(r.process);
    } catch (const DriverFailure& failure) {
        std::fprintf(stderr, "FAIL: %s\n", failure.what.c_str());
        for (Reacher& r : reachers)
            if (r.process.info.hProcess) TerminateProcess(r.process.info.hProcess, 1);
        return 1;
    }
    const Reacher& measured = reachers.back();
    std::printf("%d interleaved runs each; hidden to the search box focused in front; medians; ratios of the "
                "measured program to the peer, of the medians and the median of the runs' ratios\n",
                runs);
    std::printf("%-10s %-28s %9s %-28s %9s %12s %12s\n", "trigger", "program", "ms", "peer", "ms", "ratio",
                "run ratio");
    for (size_t i = 0; i + 1 < reachers.size(); ++i) {
        PrintReach("hotkey", reachers[i], reachers[i].hotkeyMs, measured, measured.hotkeyMs);
        PrintReach("hand-off", reachers[i], reachers[i].handOffMs, measured, measured.handOffMs);
        PrintReach("2nd ends", reachers[i], reachers[i].secondEndMs, measured, measured.secondEndMs);
    }
    return 0;
}

}  // namespace

int main(int argc, char** argv) {
    if (argc > 1 && std::strcmp(argv[1], "--reach") == 0) return Reach(argc - 1, argv + 1);
    const bool baseFirst = argc > 1 && std::strcmp(argv[1], "--base-first") == 0;
    if (baseFirst) --argc, ++argv;
    if (argc < 6 || argc % 2 != 0) {
        std::fprintf(stderr, "usage: startup_bench [--base-first] RUNS EXE CAPTION [EXE CAPTION ...]\n");
        return 2;
    }
    const int runs = std::max(1, std::atoi(argv[1]));
    std::vector<Program> programs;
    for (int i = 2; i < argc; i += 2) programs.push_back({argv[i], argv[i + 1], {}, {}});
    try {
        for (Program& p : programs) {  // warm the file cache and the wineserver
            Measure(p);
            p.milliseconds.clear();
            p.peakMegabytes.clear();
        }
        // Each run starts one program further on, so that none always
        // follows the same one (the end of a process goes on after it is
        // gone, and slows whichever starts next).
        for (int run = 0; run < runs; ++run)
            for (size_t i = 0; i < programs.size(); ++i) Measure(programs[(run + i) % programs.size()]);
    } catch (const DriverFailure& failure) {
        std::fprintf(stderr, "FAIL: %s\n", failure.what.c_str());
        return 1;
    }
    const Program& measured = baseFirst ? programs.front() : programs.back();
    const double ms = Median(measured.milliseconds), mb = Median(measured.peakMegabytes);
    // The machine's load changes from second to second; the programs of one
    // run start within about a second of each other, so the ratio within each
    // run, its median over the runs, is the steadier figure.
    auto runRatio = [&](const Program& p) {
        return baseFirst ? MedianRatio(p.milliseconds, measured.milliseconds)
                         : MedianRatio(measured.milliseconds, p.milliseconds);
    };
    std::printf("%d interleaved runs each; medians; ratios %s\n", runs,
                baseFirst ? "of each program to the first" : "of the last program to each");
    std::printf("%-40s %9s %9s %12s %12s %12s\n", "program", "start ms", "peak MB", "time ratio", "run ratio",
                "MB above");
    for (const Program& p : programs) {
        const double pms = Median(p.milliseconds), pmb = Median(p.peakMegabytes);
        std::printf("%-40s %9.1f %9.2f %12.3f %12.3f %12.2f\n", Label(programs, p, baseFirst).c_str(), pms, pmb,
                    baseFirst ? pms / ms : ms / pms, runRatio(p), baseFirst ? pmb - mb : mb - pmb);
    }
    return 0;
}
