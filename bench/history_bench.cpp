// Loading and saving a large History.txt through the live combo box, against
// reading and writing the same bytes with plain file calls in the same run;
// the load also against the floor of any program that keeps its history in a
// combo box: the file read plainly, cut at its line ends, and the lines added
// to a combo box of its own with repainting off.
// Also the first commit after the load, which cuts a list above 200 entries.
//   history_bench [LINES]   (default and most: the lines a load takes, 10,000;
//                            also runs a quarter for linearity)
#include <windows.h>

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <functional>
#include <string>
#include <vector>

#include "core/history_rules.h"
#include "forms/search_history.h"
#include "win/application.h"

namespace {

double NowMs() {
    LARGE_INTEGER now, frequency;
    QueryPerformanceCounter(&now);
    QueryPerformanceFrequency(&frequency);
    return static_cast<double>(now.QuadPart) * 1000.0 / static_cast<double>(frequency.QuadPart);
}

// Medians of the works run in turn, round after round, so that a busy moment
// of the machine falls on all of them alike.
std::vector<double> MediansMs(const std::vector<std::function<void()>>& works, int runs = 7) {
    std::vector<std::vector<double>> times(works.size());
    for (int i = 0; i < runs; ++i) {
        for (size_t k = 0; k < works.size(); ++k) {
            const double start = NowMs();
            works[k]();
            times[k].push_back(NowMs() - start);
        }
    }
    std::vector<double> medians;
    for (std::vector<double>& t : times) {
        std::sort(t.begin(), t.end());
        medians.push_back(t[t.size() / 2]);
    }
    return medians;
}

double MedianMs(const std::function<void()>& work) { return MediansMs({work})[0]; }

std::string MakeHistory(int lines) {
    std::string bytes;
    for (int i = 0; i < lines; ++i) {
        std::string line = "host" + std::to_string(i) + ".example-domain-name-for-the-benchmark.com/";
        while (line.size() < 98) line += static_cast<char>('a' + (i + line.size()) % 26);
        bytes += line + "\r\n";
    }
    return bytes;
}

void PlainWrite(const std::wstring& path, const std::string& bytes) {
    const HANDLE file = CreateFileW(path.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, 0, nullptr);
    DWORD written = 0;
    WriteFile(file, bytes.data(), static_cast<DWORD>(bytes.size()), &written, nullptr);
    CloseHandle(file);
}

std::string PlainRead(const std::wstring& path) {
    const HANDLE file = CreateFileW(path.c_str(), GENERIC_READ, FILE_SHARE_READ, nullptr, OPEN_EXISTING, 0, nullptr);
    LARGE_INTEGER size{};
    GetFileSizeEx(file, &size);
    std::string bytes(static_cast<size_t>(size.QuadPart), '\0');
    DWORD got = 0;
    ReadFile(file, bytes.data(), static_cast<DWORD>(bytes.size()), &got, nullptr);
    CloseHandle(file);
    return bytes;
}

// The floor: nothing but what every such program has to do.
void PlainLoadIntoCombo(HWND combo, const std::wstring& path) {
    std::string bytes = PlainRead(path);
    SendMessageA(combo, WM_SETREDRAW, FALSE, 0);
    SendMessageA(combo, CB_RESETCONTENT, 0, 0);
    for (size_t start = 0, end; start < bytes.size(); start = end + 2) {
        end = std::min(bytes.find("\r\n", start), bytes.size());
        bytes[end] = '\0';
        SendMessageA(combo, CB_ADDSTRING, 0, reinterpret_cast<LPARAM>(bytes.data() + start));
    }
    SendMessageA(combo, WM_SETREDRAW, TRUE, 0);
}

struct Result {
    double plainRead, comboFloor, load, plainWrite, save, firstCommit;
};

Result Measure(HWND combo, HWND floorCombo, const std::wstring& folder, int lines) {
    const std::wstring path = folder + L"\\History.txt";
    const std::string bytes = MakeHistory(lines);
    PlainWrite(path, bytes);
    Result r{};
    SearchHistory history(folder);
    history.Attach(combo);
    const std::vector<double> loads = MediansMs({[&] { PlainRead(path); }, [&] { PlainLoadIntoCombo(floorCombo, path); },
                                                 [&] { history.Load(); }});
    r.plainRead = loads[0], r.comboFloor = loads[1], r.load = loads[2];
    if (SendMessageA(floorCombo, CB_GETCOUNT, 0, 0) != lines) std::printf("the floor gave a wrong count\n");
    if (SendMessageA(combo, CB_GETCOUNT, 0, 0) != lines) std::printf("load gave a wrong count\n");
    r.plainWrite = MedianMs([&] { PlainWrite(path, bytes); });
    r.save = MedianMs([&] { history.Save(); });
    if (PlainRead(path) != bytes) std::printf("save wrote different bytes\n");
    // The first commit after the load: the duplicate search through every
    // entry, and the cut to 200.
    std::vector<double> commits;
    for (int i = 0; i < 7; ++i) {
        history.Load();
        const double start = NowMs();
        CommitSearchText(history.List(), "first.commit.example");
        commits.push_back(NowMs() - start);
    }
    std::sort(commits.begin(), commits.end());
    r.firstCommit = commits[commits.size() / 2];
    if (history.List().Count() != std::min<size_t>(lines, kHistoryCap)) std::printf("the commit left a wrong count\n");
    return r;
}

}  // namespace

int main(int argc, char** argv) {
    const int cap = static_cast<int>(kHistoryLoadCap);
    const int lines = argc > 1 ? std::clamp(std::atoi(argv[1]), 4, cap) : cap;
    Application.Initialize(GetModuleHandleA(nullptr));
    const HWND owner = CreateWindowExA(0, "STATIC", "", WS_POPUP, 0, 0, 300, 100, nullptr, nullptr, nullptr, nullptr);
    const auto makeCombo = [owner] {
        return CreateWindowExA(0, "COMBOBOX", "", WS_CHILD | WS_VISIBLE | CBS_DROPDOWN | CBS_AUTOHSCROLL | WS_VSCROLL,
                               0, 0, 200, 200, owner, nullptr, nullptr, nullptr);
    };
    const HWND combo = makeCombo(), floorCombo = makeCombo();
    wchar_t temp[MAX_PATH];
    GetTempPathW(MAX_PATH, temp);
    const std::wstring folder = std::wstring(temp) + L"quorvane-history-bench-" + std::to_wstring(GetCurrentProcessId());
    CreateDirectoryW(folder.c_str(), nullptr);

    const Result quarter = Measure(combo, floorCombo, folder, lines / 4);
    const Result full = Measure(combo, floorCombo, folder, lines);
    std::printf("History.txt of %d lines (%.1f MB), medians of 7\n", lines, lines * 100 / 1e6);
    std::printf("%-28s %10s %10s %8s\n", "", "plain ms", "ours ms", "ratio");
    std::printf("%-28s %10.1f %10.1f %8.2f\n", "load into the combo box", full.plainRead, full.load, full.load / full.plainRead);
    std::printf("%-28s %10.1f %10.1f %8.2f\n", "  against a plain combo fill", full.comboFloor, full.load,
                full.load / full.comboFloor);
    std::printf("%-28s %10.1f %10.1f %8.2f\n", "save from the combo box", full.plainWrite, full.save, full.save / full.plainWrite);
    std::printf("%-28s %10s %10.1f\n", "first commit after the load", "", full.firstCommit);
    std::printf("linearity (4x the lines): load %.2fx, save %.2fx, first commit %.2fx the time\n",
                full.load / quarter.load, full.save / quarter.save, full.firstCommit / quarter.firstCommit);
    DeleteFileW((folder + L"\\History.txt").c_str());
    RemoveDirectoryW(folder.c_str());
    return 0;
}
