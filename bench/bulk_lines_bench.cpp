// Normalizing every line of the bulk window's box in place, against setting
// the same text into the control once, in the same run; then the time per
// byte of one long pasted line, and of lines apart by LF alone, at two sizes.
//   bulk_lines_bench [LINES [SMALL_KB LARGE_KB]]
//   (defaults 10000, 100, 1024; LINES 0 skips the box of lines)
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
#include "win/window_text.h"

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
const char* const kShapes[] = {"https://www.Host%d.Example/", "  host%d.example  ", "HTTP://HOST%d.EXAMPLE/",
                               "192.0.2.%d", "AS%d", "www.host%d.example==x"};

std::string Lines(int count) {
    std::string text;
    char line[96];
    for (int i = 0; i < count; ++i) {
        std::snprintf(line, sizeof line, kShapes[i % 6], i % 250);
        text.append(line).append("\r\n");
    }
    return text;
}

// The same shapes run together into `bytes` bytes, each followed by
// `separator`: a blank makes one long line that wraps at the box's width.
std::string Run(size_t bytes, const char* separator) {
    std::string text;
    char part[96];
    for (int i = 0; text.size() < bytes; ++i) {
        std::snprintf(part, sizeof part, kShapes[i % 6], i % 250);
        text.append(part).append(separator);
    }
    text.resize(bytes);
    return text;
}

struct Result {
    double set, normalize;
};

// A long line is set in pieces: set at once, the box takes time quadratic in
// its length.
Result Measure(TFormBulkWhoisLookupTool& form, const std::string& text, bool inPieces, int runs = 5) {
    const HWND memo = form.Memo1();
    const std::wstring wide = FromAnsi(text);
    const auto set = [&] {
        if (inPieces) SetMemoText(memo, wide);
        else SetWindowTextA(memo, text.c_str());
    };
    Result r{};
    r.set = MedianMs([&] { SetWindowTextA(memo, ""); }, set, runs);
    r.normalize = MedianMs(set, [&] { form.NormalizeLines(); }, runs);
    return r;
}

}  // namespace

int main(int argc, char** argv) {
    const int lines = argc > 1 ? std::max(0, std::atoi(argv[1])) : 10000;
    const size_t smallKb = argc > 3 ? std::max(1, std::atoi(argv[2])) : 100;
    const size_t largeKb = argc > 3 ? std::max(1, std::atoi(argv[3])) : 1024;
    Application.Initialize(GetModuleHandleA(nullptr));
    TFormBulkWhoisLookupTool form;
    form.Create(Application);
    if (lines >= 4) {
        const Result quarter = Measure(form, Lines(lines / 4), false);
        const Result full = Measure(form, Lines(lines), false);
        if (MemoLines(form.Memo1()).Count() < lines) std::printf("normalizing lost lines\n");
        std::printf("bulk box of %d lines, medians of 5\n", lines);
        std::printf("%-32s %10s\n", "", "ms");
        std::printf("%-32s %10.1f\n", "set the text once", full.set);
        std::printf("%-32s %10.1f  (%.1f x setting it)\n", "normalize every line in place", full.normalize,
                    full.normalize / full.set);
        std::printf("linearity (4x the lines): %.2fx the time\n\n", full.normalize / quarter.normalize);
    }
    std::printf("%-22s %9s %10s %12s %10s\n", "one text of", "KB", "set ms", "normalize ms", "ns/byte");
    for (const auto& [name, separator] : {std::pair{"one line, blanks", " "}, std::pair{"lines apart by LF", "\n"}}) {
        double perByte[2]{};
        for (int i = 0; i < 2; ++i) {
            const size_t bytes = (i == 0 ? smallKb : largeKb) * 1024;
            const Result r = Measure(form, Run(bytes, separator), true, 3);
            perByte[i] = r.normalize * 1e6 / static_cast<double>(bytes);
            std::printf("%-22s %9zu %10.1f %12.1f %10.1f\n", name, bytes / 1024, r.set, r.normalize, perByte[i]);
            std::fflush(stdout);
        }
        std::printf("%-22s per byte, large against small: %.2fx\n", name, perByte[1] / perByte[0]);
    }
    return 0;
}
