// Start-up of Quorvane.exe against peers, interleaved run by run: time from
// CreateProcess to the visible main window, and the peak working set then.
// The last program given is the one measured; every other one is a peer.
//   startup_bench RUNS EXE CAPTION [EXE CAPTION ...]
#include <windows.h>
#include <psapi.h>

#include <algorithm>
#include <cstdio>
#include <cstdlib>
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
    const double start = NowMs();
    Launch(process, program.exe);
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

std::string BaseName(const std::string& path) { return path.substr(path.find_last_of('\\') + 1); }

}  // namespace

int main(int argc, char** argv) {
    if (argc < 6 || argc % 2 != 0) {
        std::fprintf(stderr, "usage: startup_bench RUNS EXE CAPTION [EXE CAPTION ...]\n");
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
        for (int run = 0; run < runs; ++run)
            for (Program& p : programs) Measure(p);
    } catch (const DriverFailure& failure) {
        std::fprintf(stderr, "FAIL: %s\n", failure.what.c_str());
        return 1;
    }
    const Program& measured = programs.back();
    const double ms = Median(measured.milliseconds), mb = Median(measured.peakMegabytes);
    std::printf("%d interleaved runs each; medians\n", runs);
    std::printf("%-24s %9s %9s %12s %12s\n", "program", "start ms", "peak MB", "time ratio", "MB above");
    for (const Program& p : programs) {
        const double pms = Median(p.milliseconds), pmb = Median(p.peakMegabytes);
        std::printf("%-24s %9.1f %9.2f %12.3f %12.2f\n", BaseName(p.exe).c_str(), pms, pmb, ms / pms,
                    mb - pmb);
    }
    return 0;
}
