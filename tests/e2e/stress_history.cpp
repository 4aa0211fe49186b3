// Reliability of History.txt: saves killed at random moments, a full disk,
// damaged files.
#include "chains.h"

#include <algorithm>
#include <cstdio>
#include <fstream>
#include <string>
#include <vector>

#include "core/history_rules.h"
#include "driver_support.h"

namespace {

long long Microseconds() {
    LARGE_INTEGER now{}, frequency{};
    QueryPerformanceCounter(&now);
    QueryPerformanceFrequency(&frequency);
    return now.QuadPart / frequency.QuadPart * 1000000 + now.QuadPart % frequency.QuadPart * 1000000 / frequency.QuadPart;
}

std::string ReplacementPath() { return HistoryPath() + ".new"; }

// `count` entries of `length` bytes, each ended as given: with line feeds, as
// another program may write the file, loading and saving gives the CR LF form.
std::string Entries(int count, size_t length, const char* lineEnd) {
    std::string bytes;
    for (int i = 0; i < count; ++i) {
        const std::string number = std::to_string(i) + ":";
        bytes += number + std::string(length - number.size(), 'x') + lineEnd;
    }
    return bytes;
}

}  // namespace

// A save killed at a random moment leaves History.txt either as it was or as
// written, byte-exact. The moments spread over three times a close request's
// length (the median of five, timed first, each sent straight to the window):
// a posted one waits behind what the program still does after its window
// shows, so at one and a half times most kills landed before the save began
// and often none after it. A replacement file left behind shows a kill inside
// the save.
void HistoryUnderKills() {
    const int kills = Scaled(50, 1000);
    const std::string before = Entries(200, 10000, "\n"), after = Entries(200, 10000, "\r\n");
    WriteAll(HistoryPath(), before);
    long long saveUs = 0;
    {
        ChildProcess process;
        Launch(process, g_exe);
        const HWND main = WaitForVisibleWindow(process, "WHOIS Lookup");
        std::vector<long long> times;
        for (int i = 0; i < 5; ++i) {
            const long long start = Microseconds();
            Deliver(main, WM_CLOSE);
            times.push_back(Microseconds() - start);
        }
        std::sort(times.begin(), times.end());
        saveUs = times[times.size() / 2];
        Check(ReadAll(HistoryPath()) == after, "the save did not write the CR LF form");
        EndProcess(process);
    }
    std::uniform_int_distribution<long long> moment(0, saveUs * 3);
    int early = 0, inside = 0, late = 0;
    for (int k = 0; k < kills; ++k) {
        WriteAll(HistoryPath(), before);
        ChildProcess process;
        Launch(process, g_exe);
        const HWND main = WaitForVisibleWindow(process, "WHOIS Lookup");
        const long long delay = moment(Random());
        PostMessageA(main, WM_CLOSE, 0, 0);
        for (const long long start = Microseconds(); Microseconds() - start < delay;) {
        }
        EndProcess(process);
        const std::string now = ReadAll(HistoryPath());
        Check(now == before || now == after, "kill " + std::to_string(k) + " at " + std::to_string(delay) +
                                                 " us left History.txt of " + std::to_string(now.size()) +
                                                 " bytes, neither the old nor the new list");
        if (now == after) {
            ++late;
        } else if (Exists(ReplacementPath())) {
            ++inside;
        } else {
            ++early;
        }
        DeleteFileW(Wide(ReplacementPath()).c_str());
    }
    std::printf("save %lld us; %d kills: %d before the save's file, %d inside the save, %d after the replace\n",
                saveUs, kills, early, inside, late);
    Check(inside > 0 && late > 0, "no kill landed inside a save or after one: nothing was tested");
    CheckNothingLeft();
}

// The program's folder is on a small disk of its own (the runner mounts one).
// A save that finds it full says "Stream write error", keeps the old file and
// leaves no replacement behind; with room again, the next close saves.
void DiskFull() {
    ULARGE_INTEGER total{};
    Check(GetDiskFreeSpaceExW(Wide(ProgramFolder()).c_str(), nullptr, &total, nullptr) && total.QuadPart < (64u << 20),
          "the program's folder is not on a small disk");
    const std::string before = Entries(20, 10000, "\n"), after = Entries(20, 10000, "\r\n");
    WriteAll(HistoryPath(), before);
    ChildProcess process;
    Launch(process, g_exe);
    const HWND main = WaitForVisibleWindow(process, "WHOIS Lookup");
    const std::string filler = ProgramFolder() + "filler.bin";
    {
        std::ofstream fill(Wide(filler).c_str(), std::ios::binary);
        const std::string block(4096, 'f');
        while (fill.write(block.data(), block.size()) && fill.flush()) {
        }
    }
    ULARGE_INTEGER free{};
    GetDiskFreeSpaceExW(Wide(ProgramFolder()).c_str(), &free, nullptr, nullptr);
    Check(free.QuadPart < before.size(), std::to_string(free.QuadPart) + " bytes still free");
    PostMessageA(main, WM_CLOSE, 0, 0);
    const HWND box = WaitForFailureBox(process);
    Check(BoxMessage(box) == "Stream write error.", "failure box says \"" + BoxMessage(box) + "\"");
    Check(ReadAll(HistoryPath()) == before, "History.txt changed on the full disk");
    Check(!Exists(ReplacementPath()), "the replacement file is left on the full disk");
    Check(IsWindowVisible(main), "main window went away after the failed save");
    Check(DeleteFileW(Wide(filler).c_str()), "cannot delete the filler");
    PostMessageA(box, WM_COMMAND, IDOK, 0);
    WaitUntil([&] { return !IsWindow(box); }, "failure box stays after OK");
    // Posted, so that it waits for the first close request to unwind; the
    // file is read once the window hides, after the save: under Wine a reader
    // that watched the file meanwhile would make its replacement fail.
    PostMessageA(main, WM_CLOSE, 0, 0);
    WaitUntil([&] { return !IsWindowVisible(main); }, "no save once the disk had room");
    Check(ReadAll(HistoryPath()) == after, "History.txt not saved once the disk had room");
    EndLikeLogoff(process);
    CheckNothingLeft();
}

// Damaged History.txt files load by the reading rules and save again, without
// a crash, and the program's peak memory stays within a bound above an empty
// start: the read stops at 4 MiB, whatever the file's size, and the load at
// 10,000 lines.
void DamagedHistoryFiles() {
    struct Damaged {
        const char* name;
        std::string (*bytes)();
        LRESULT entries;     // -1: not counted
        LRESULT firstLength;  // -1: not checked
    };
    static const Damaged kFiles[] = {
        {"random bytes", [] {
             std::string bytes(4 * kMiB, '\0');
             std::uniform_int_distribution<int> nonZero(1, 255);  // a zero byte would end the read early
             for (char& c : bytes) c = static_cast<char>(nonZero(Random()));
             return bytes;
         }, -1, -1},
        // 100-byte lines: the first 10,000.
        {"100 MB", [] { return Entries(1000000, 98, "\r\n"); }, kHistoryLoadCap, 98},
        {"one 3 MiB line", [] { return std::string(3 * kMiB, 'L'); }, 1, 3 * kMiB},
        // No line end within the read: nothing.
        {"one 10 MB line", [] { return std::string(10 * kMiB, 'L'); }, 0, -1},
        {"NUL at the start", [] { return std::string(1, '\0') + Entries(1000, 10, "\r\n"); }, 0, -1},
        {"only CR", [] { return std::string(65536, '\r'); }, kHistoryLoadCap, 0},
        {"16 MiB of LF", [] { return std::string(16 * kMiB, '\n'); }, kHistoryLoadCap, 0},
    };
    SIZE_T empty = 0;
    {
        DeleteFileW(Wide(HistoryPath()).c_str());
        ChildProcess process;
        Launch(process, g_exe);
        WaitForVisibleWindow(process, "WHOIS Lookup");
        empty = MemoryOf(process).PeakPagefileUsage;
        EndProcess(process);
    }
    // The 4 MiB read, the list's own copy (UTF-16 in the control) and the
    // parse between them stay within 16 MiB; a whole read of the 10 MB line
    // would not.
    const SIZE_T bound = empty + 16 * kMiB;
    for (const Damaged& file : kFiles) {
        WriteAll(HistoryPath(), file.bytes());
        ChildProcess process;
        const ULONGLONG start = GetTickCount64();
        Launch(process, g_exe);
        const HWND main = WaitForVisibleWindow(process, "WHOIS Lookup");
        const HWND combo = SearchBox(main);
        const LRESULT count = SendMessageA(combo, CB_GETCOUNT, 0, 0);
        Deliver(main, WM_CLOSE);  // and what was loaded is saved again
        Check(Running(process) && !FindVisibleWindow(process.info.dwProcessId, "Error"),
              std::string(file.name) + ": the save after the load failed");
        const SIZE_T peak = MemoryOf(process).PeakPagefileUsage;
        std::printf("%-16s %7ld entries, load and save %5llu ms, peak private %4llu MiB (empty start %llu MiB)\n",
                    file.name, static_cast<long>(count), GetTickCount64() - start,
                    static_cast<unsigned long long>(peak / kMiB), static_cast<unsigned long long>(empty / kMiB));
        Check(file.entries < 0 || count == file.entries,
              std::string(file.name) + ": " + std::to_string(count) + " entries");
        Check(file.firstLength < 0 || SendMessageA(combo, CB_GETLBTEXTLEN, 0, 0) == file.firstLength,
              std::string(file.name) + ": first entry of " +
                  std::to_string(SendMessageA(combo, CB_GETLBTEXTLEN, 0, 0)) + " bytes");
        Check(peak <= bound, std::string(file.name) + ": peak private bytes " + std::to_string(peak / kMiB) +
                                 " MiB, bound " + std::to_string(bound / kMiB) + " MiB");
        EndProcess(process);
    }
    CheckNothingLeft();
}
