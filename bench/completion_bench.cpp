// One keystroke's completion in the search box, with 200 and with 100,000
// history entries, against a plain character insertion into an edit control
// measured in the same run. Measured live (the program's own window and
// control, through its message handling) and for the completion rule alone.
#include <windows.h>

#include <algorithm>
#include <cctype>
#include <cstdio>
#include <fstream>
#include <functional>
#include <string>
#include <vector>

#include "core/completion_rule.h"
#include "core/history_rules.h"
#include "forms/main_window.h"
#include "forms/search_history.h"
#include "win/application.h"

namespace {

double NowUs() {
    LARGE_INTEGER now, frequency;
    QueryPerformanceCounter(&now);
    QueryPerformanceFrequency(&frequency);
    return static_cast<double>(now.QuadPart) * 1e6 / static_cast<double>(frequency.QuadPart);
}

// Median time of one call of `step`, `reset` run untimed before each.
double MedianUs(const std::function<void()>& reset, const std::function<void()>& step, int runs) {
    std::vector<double> times;
    for (int i = 0; i < runs; ++i) {
        reset();
        const double start = NowUs();
        step();
        times.push_back(NowUs() - start);
    }
    std::sort(times.begin(), times.end());
    return times[times.size() / 2];
}

// Entries "entry0..." that all begin alike, and one at the bottom that the
// typed 'q' matches: every keystroke searches the whole list.
std::vector<std::string> Entries(int count) {
    std::vector<std::string> entries;
    for (int i = 0; i < count - 1; ++i) entries.push_back("entry" + std::to_string(i) + ".example.com");
    entries.push_back("quorvane.example.com");
    return entries;
}

}  // namespace

int main() {
    Application.Initialize(GetModuleHandleA(nullptr));
    wchar_t temp[MAX_PATH];
    GetTempPathW(MAX_PATH, temp);
    const std::wstring folder =
        std::wstring(temp) + L"quorvane-completion-bench-" + std::to_wstring(GetCurrentProcessId());
    CreateDirectoryW(folder.c_str(), nullptr);
    const HWND plainOwner = CreateWindowExA(0, "STATIC", "", WS_POPUP, 0, 0, 300, 50, nullptr, nullptr, nullptr, nullptr);
    const HWND plain = CreateWindowExA(0, "EDIT", "", WS_CHILD | WS_VISIBLE | ES_AUTOHSCROLL, 0, 0, 200, 20,
                                       plainOwner, nullptr, nullptr, nullptr);

    std::printf("one keystroke, medians in microseconds; ratio to a plain insertion in the same run\n");
    std::printf("%-10s %12s %14s %8s %14s %8s\n", "entries", "plain edit", "live complete", "ratio", "rule alone", "ratio");
    for (int count : {200, static_cast<int>(kHistoryLoadCap)}) {  // the most a load takes
        const std::vector<std::string> entries = Entries(count);
        {
            std::ofstream file((folder + L"\\History.txt").c_str(), std::ios::binary);
            for (const std::string& e : entries) file << e << "\r\n";
        }
        SearchHistory history(folder);
        TForm1 form(history);
        form.Create(Application);
        const HWND edit = form.SearchEdit();
        const int runs = count > 1000 ? 31 : 301;

        const double plainUs = MedianUs([&] { SetWindowTextA(plain, ""); },
                                        [&] { SendMessageW(plain, WM_CHAR, 'q', 1); }, runs);
        const double liveUs = MedianUs([&] { SetWindowTextA(form.ComboBoxSearch(), ""); },
                                       [&] { SendMessageW(edit, WM_CHAR, 'q', 1); }, runs);
        if (form.SearchText() != "quorvane.example.com") std::printf("live completion gave \"%s\"\n", form.SearchText().c_str());

        // The rule alone, with a search over the same entries as the list does it.
        auto search = [&entries](std::string_view prefix) -> std::optional<HistoryMatch> {
            for (size_t i = 0; i < entries.size(); ++i) {
                const std::string& e = entries[i];
                if (e.size() >= prefix.size() &&
                    std::equal(prefix.begin(), prefix.end(), e.begin(), [](char a, char b) {
                        return std::tolower(static_cast<unsigned char>(a)) == std::tolower(static_cast<unsigned char>(b));
                    }))
                    return HistoryMatch{static_cast<int>(i), e};
            }
            return std::nullopt;
        };
        const CodePage singleByte = CodePage::SingleByte();
        CompletionResult sink;
        const double ruleUs = MedianUs([] {}, [&] { sink = CompleteKey({"", 0, 0, "q"}, search, singleByte); }, runs);
        std::printf("%-10d %12.2f %14.2f %8.1f %14.2f %8.2f\n", count, plainUs, liveUs, liveUs / plainUs, ruleUs,
                    ruleUs / plainUs);
        form.Destroy();
    }
    DeleteFileW((folder + L"\\History.txt").c_str());
    RemoveDirectoryW(folder.c_str());
    return 0;
}
