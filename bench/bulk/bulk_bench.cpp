// Entry normalization on 1 MB lines made to defeat it (each deletion forming
// the next occurrence), under 1252 and under code pages whose characters can
// be longer than a byte, against a plain copy of the same bytes, the floor any
// pass over the line pays. The rules as stated, one deletion at a time from the
// start, are timed on small lines only, for contrast: they are quadratic.
#include <algorithm>
#include <chrono>
#include <cstdio>
#include <functional>
#include <string>
#include <utility>
#include <vector>

#include "core/bulk_entry.h"
#include "unit/bulk_entry_reference.h"
#include "unit/code_pages.h"

namespace {

volatile std::size_t sink;

void LowerAscii(std::string& text) {
    for (char& c : text)
        if (c >= 'A' && c <= 'Z') c = static_cast<char>(c - 'A' + 'a');
}

double Milliseconds(const std::function<void()>& step) {
    const auto start = std::chrono::steady_clock::now();
    step();
    return std::chrono::duration<double, std::milli>(std::chrono::steady_clock::now() - start).count();
}

double Median(std::vector<double> times) {
    std::sort(times.begin(), times.end());
    return times[times.size() / 2];
}

// Medians of 11 runs of each, taken in turns so that a busy moment of the
// machine weighs on both alike.
std::pair<double, double> MediansMs(const std::function<void()>& first, const std::function<void()>& second) {
    std::vector<double> firstTimes, secondTimes;
    for (int i = 0; i < 11; ++i) {
        firstTimes.push_back(Milliseconds(first));
        secondTimes.push_back(Milliseconds(second));
    }
    return {Median(firstTimes), Median(secondTimes)};
}

std::string Repeat(std::string_view piece, std::size_t times) {
    std::string text;
    text.reserve(piece.size() * times);
    for (std::size_t i = 0; i < times; ++i) text += piece;
    return text;
}

// "www" x n then "." x n: each '.' completes a "www." with the last three w.
std::string WwwThenDots(std::size_t bytes) { return Repeat("www", bytes / 4) + std::string(bytes / 4, '.'); }

// "ht" x k, "http://", "tp://" x k: each deletion joins the next "ht" and "tp://".
std::string NestedScheme(std::size_t bytes) { return Repeat("ht", bytes / 7) + "http://" + Repeat("tp://", bytes / 7); }

}  // namespace

int main() {
    constexpr std::size_t kBytes = 1 << 20;
    const std::string url = "https://www.Host.Example/path/to/page?id=42 ";
    const CodePage& cp1252 = CodePageNamed("1252");
    const CodePage& cp932 = CodePageNamed("932");
    const CodePage& utf8 = CodePageNamed("UTF-8");
    const std::string japanese = "https://www.\x82\xA0\x82\xA2\x83\x5C.example/\x83\x79\x81\x5B\x83\x57 ";
    const struct {
        const char* name;
        const CodePage& codePage;
        std::string line;
    } inputs[] = {
        {"www x n, . x n", cp1252, WwwThenDots(kBytes)},
        {"ht x k, http://, tp:// x k", cp1252, NestedScheme(kBytes)},
        {"blanks", cp1252, std::string(kBytes, ' ')},
        {"typical address, repeated", cp1252, Repeat(url, kBytes / url.size())},
        {"932: www x n, . x n", cp932, WwwThenDots(kBytes)},
        {"932: ht x k, http://, tp:// x k", cp932, NestedScheme(kBytes)},
        {"932: address in kana, repeated", cp932, Repeat(japanese, kBytes / japanese.size())},
        {"UTF-8: www x n, . x n", utf8, WwwThenDots(kBytes)},
    };

    std::printf("1 MB lines, medians of 11 runs\n\n");
    std::printf("| line | bytes | copy ms | normalize ms | ratio |\n|---|---:|---:|---:|---:|\n");
    for (const auto& input : inputs) {
        const auto [copyMs, normalizeMs] = MediansMs(
            [&] {
                const std::string copy = input.line;
                sink = static_cast<std::size_t>(std::count(copy.begin(), copy.end(), '/'));
            },
            [&] { sink = NormalizeEntry(input.line, input.codePage, LowerAscii).size(); });
        std::printf("| %s | %zu | %.3f | %.3f | %.1fx |\n", input.name, input.line.size(), copyMs, normalizeMs,
                    normalizeMs / copyMs);
    }

    std::printf("\nsmall lines, one deletion at a time from the start\n\n");
    std::printf("| line | bytes | normalize ms | one at a time ms |\n|---|---:|---:|---:|\n");
    for (const std::size_t bytes : {10'000, 20'000}) {
        const std::string line = WwwThenDots(bytes);
        if (NormalizeEntryReference(line, cp1252, LowerAscii) != NormalizeEntry(line, cp1252, LowerAscii))
            std::printf("results differ\n");
        const auto [normalizeMs, referenceMs] =
            MediansMs([&] { sink = NormalizeEntry(line, cp1252, LowerAscii).size(); },
                      [&] { sink = NormalizeEntryReference(line, cp1252, LowerAscii).size(); });
        std::printf("| www x n, . x n | %zu | %.3f | %.1f |\n", line.size(), normalizeMs, referenceMs);
    }
}
