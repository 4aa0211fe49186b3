// Start-up of Quorvane.exe against peers, interleaved run by run: time from
// CreateProcess to the visible main window, and the peak working set then.
// The last program given is the one measured; every other one is a peer. With
// --base-first, every program is compared with the first instead. Time ratios
// come twice: of the medians, and the median of the ratios within each run.
//   startup_bench [--base-first] RUNS EXE CAPTION [EXE CAPTION ...]
#include <windows.h>
#include <psapi.h>

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <cstring>
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

void Measure(Program& program) {
    ChildProcess process;
    double start = NowMs();
    // Wine now and then fails to start a process at all (a clash in its
    // loader's address space): that start is tried again, not counted.
    for (int attempt = 1;; ++attempt) {
        try {
            Launch(process, program.exe);
            break;
        } catch (const DriverFailure&) {
            if (attempt == 3) throw;
            start = NowMs();
        }
    }
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

}  // namespace

int main(int argc, char** argv) {
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
        std::vector<double> ratios;
        for (size_t run = 0; run < p.milliseconds.size(); ++run)
            ratios.push_back(baseFirst ? p.milliseconds[run] / measured.milliseconds[run]
                                       : measured.milliseconds[run] / p.milliseconds[run]);
        return Median(ratios);
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
