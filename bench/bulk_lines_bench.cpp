// Normalizing every line of the bulk window's box in place, against setting
// the same text into the control once, in the same run.
//   bulk_lines_bench [LINES]   (default 10000; also runs a quarter for linearity)
#include <windows.h>

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <functional>
#include <string>
#include <vector>

#include "forms/bulk_window.h"
#include "win/application.h"
#include "win/memo_lines.h"

namespace {

double MedianMs(const std::function<void()>& prepare, const std::function<void()>& work, int runs = 5) {
    std::vector<double> times;
    for (int i = 0; i < runs; ++i) {
        prepare();
        const auto start = std::chrono::steady_clock::now();
        work();
        times.push_back(std::chrono::duration<double, std::milli>(std::chrono::steady_clock::now() - start).count());
    }
    std::sort(times.begin(), times.end());
    return times[times.size() / 2];
}

// Typical pasted lines: addresses with schemes, blanks, upper case, paths.
std::string Lines(int count) {
    static const char* const kShapes[] = {"https://www.Host%d.Example/", "  host%d.example  ",
                                          "HTTP://HOST%d.EXAMPLE/", "192.0.2.%d", "AS%d", "www.host%d.example==x"};
    std::string text;
    char line[96];
    for (int i = 0; i < count; ++i) {
        std::snprintf(line, sizeof line, kShapes[i % 6], i % 250);
        text.append(line).append("\r\n");
    }
    return text;
}

struct Result {
    double set, normalize;
};

Result Measure(TFormBulkWhoisLookupTool& form, int lines) {
    const std::string text = Lines(lines);
    const HWND memo = form.Memo1();
    Result r{};

    r.set = MedianMs([&] { SetWindowTextA(memo, ""); }, [&] { SetWindowTextA(memo, text.c_str()); });
    r.normalize = MedianMs([&] { SetWindowTextA(memo, text.c_str()); }, [&] { form.NormalizeLines(); });
    if (MemoLines(memo).Count() < lines) std::printf("normalizing lost lines\n");
    return r;
}

}  // namespace

int main(int argc, char** argv) {
    const int lines = argc > 1 ? std::max(4, std::atoi(argv[1])) : 10000;
    Application.Initialize(GetModuleHandleA(nullptr));
    TFormBulkWhoisLookupTool form;
    form.Create(Application);
    const Result quarter = Measure(form, lines / 4);
    const Result full = Measure(form, lines);
    std::printf("bulk box of %d lines, medians of 5\n", lines);
    std::printf("%-32s %10s\n", "", "ms");
    std::printf("%-32s %10.1f\n", "set the text once", full.set);
    std::printf("%-32s %10.1f  (%.1f x setting it)\n", "normalize every line in place", full.normalize,
                full.normalize / full.set);
    std::printf("linearity (4x the lines): %.2fx the time\n", full.normalize / quarter.normalize);
    return 0;
}
