// libFuzzer target: any bytes as History.txt. The first byte places the end of
// a partial read (the read limit's cut, scaled down); the rest is the file. Checked:
// the entries hold every byte before the first zero byte except the line ends,
// one entry per line, each a view followed by the byte that ended it; what the
// writer makes of them reads back the same; and a partial read gives exactly
// the first entries, those whose lines end within it.
#include "core/history_rules.h"
#include "require.h"

#include <algorithm>
#include <cstddef>
#include <cstdint>
#include <iterator>
#include <string>
#include <string_view>
#include <vector>

namespace {

// CR LF, a lone CR and a lone LF each end one line; a CR last ends one too.
size_t LineEnds(std::string_view bytes) {
    size_t ends = 0;
    for (size_t i = 0; i < bytes.size(); ++i)
        ends += bytes[i] == '\n' || (bytes[i] == '\r' && (i + 1 == bytes.size() || bytes[i + 1] != '\n'));
    return ends;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    if (size == 0) return 0;
    const std::string_view file(reinterpret_cast<const char*>(data) + 1, size - 1);
    const std::string_view read = file.substr(0, file.find('\0'));
    const std::vector<std::string_view> entries = ParseHistory(file);

    std::string kept, expected;
    for (const std::string_view entry : entries) {
        Require(entry.find_first_of(std::string_view("\r\n\0", 3)) == std::string_view::npos);
        const size_t end = static_cast<size_t>(entry.data() - file.data()) + entry.size();
        Require(end == file.size() || file[end] == '\r' || file[end] == '\n' || file[end] == '\0');
        kept += entry;
    }
    std::copy_if(read.begin(), read.end(), std::back_inserter(expected), [](char c) { return c != '\r' && c != '\n'; });
    Require(kept == expected);
    const bool lastLineOpen = !read.empty() && read.back() != '\r' && read.back() != '\n';
    Require(entries.size() == LineEnds(read) + lastLineOpen);

    const std::string written = SerializeHistory({entries.begin(), entries.end()});
    Require(ParseHistory(written) == entries);

    // A part that reaches past the zero byte holds all there is to read.
    const size_t cut = size_t{data[0]} * file.size() / 255;
    const std::string_view whole = CompleteLines(file.substr(0, cut));
    const std::vector<std::string_view> part = ParseHistory(whole);
    if (whole.size() > read.size()) Require(part == entries);
    else Require(part.size() == LineEnds(read.substr(0, std::min(cut, read.size()))) &&
                 std::equal(part.begin(), part.end(), entries.begin()));

    const size_t count = data[0] % 8;
    if (const auto loaded = LoadedLines(file, count)) {
        const std::vector<std::string_view> taken = ParseHistory(*loaded);
        Require(taken.size() == std::min(count, entries.size()) &&
                std::equal(taken.begin(), taken.end(), entries.begin()));
    } else {
        Require(read.size() == file.size() && LineEnds(read) < count);
    }
    return 0;
}
