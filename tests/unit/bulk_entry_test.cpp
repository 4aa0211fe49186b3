#include "core/bulk_entry.h"

#include <gtest/gtest.h>

#include <random>
#include <string>
#include <vector>

#include "bulk_entry_reference.h"

namespace {

std::string Normalize(std::string_view line) { return NormalizeEntry(line, LowerLikeCodePage); }

}  // namespace

TEST(NormalizeEntry, Examples) {
    const std::vector<std::pair<std::string, std::string>> cases = {
        {"http://www.Host.Example/x/y", "host.example"},
        {"  www.host.example  ", "host.example"},
        {"https://www.host.example/", "host.example"},
        {"HTTP://HOST.EXAMPLE", "host.example"},
        {"hTtPs://host.example", "host.example"},
        {"WWW.HOST.EXAMPLE", "www.host.example"},  // "www." is matched before lowering
        {"host.example==xyz", "host.example"},
        {"a/b==c", "a"},
        {"192.0.2.1/24", "192.0.2.1"},
        {"AS64500", "as64500"},
        {"wwwww.w.ab", "ab"},  // a deletion forms a new "www."
        {"hthttp://tp://ab", "ab"},
        {"htwww.tp://x", "http:"},  // "www." goes after the schemes
        {"/host.example", ""},
        {"http://", ""},
        {"   ", ""},
        {"", ""},
        {"host .example", "host.example"},
        {"http: //x", "x"},  // blanks go first
        {"x= =y", "x"},
        {"ab\tc", "ab\tc"},  // only the blank is removed
        {"\xC9" "COLE.EXAMPLE", "\xE9" "cole.example"},  // the conversion passed in
    };
    for (const auto& [line, entry] : cases) EXPECT_EQ(Normalize(line), entry) << '\'' << line << '\'';
}

// Patterns (letters in mixed case) and single characters, each inserted at a
// random place, so that removing one occurrence often forms another.
TEST(NormalizeEntry, SameAsDeletingOneAtATime) {
    constexpr std::string_view kAlphabet = "w.htps:/ =WHTPSx";
    constexpr std::string_view kPatterns[] = {"http://", "https://", "www."};
    std::mt19937 random(20240601);
    const auto below = [&random](std::size_t n) { return std::uniform_int_distribution<std::size_t>(0, n - 1)(random); };
    for (int i = 0; i < 20000; ++i) {
        std::string line;
        const std::size_t length = below(41);
        while (line.size() < length) {
            std::string piece(1, kAlphabet[below(kAlphabet.size())]);
            if (below(3) != 0) {
                piece = kPatterns[below(3)];
                for (char& c : piece)
                    if (c >= 'a' && c <= 'z' && below(4) == 0) c = static_cast<char>(c - 32);
            }
            line.insert(below(line.size() + 1), piece);
        }
        line.resize(length);
        ASSERT_EQ(Normalize(line), NormalizeEntryReference(line, LowerLikeCodePage)) << '\'' << line << '\'';
    }
}

TEST(ReplaceAll, SearchesAgainFromTheStartUntilNoneIsLeft) {
    const struct {
        std::string_view text, pattern, replacement, result;
    } cases[] = {
        {"abc", "", "", "abc"},
        {"abc", "", "x", "abc"},
        {"aabb", "ab", "", ""},
        {"ababa", "aba", "", "ba"},  // overlapping occurrences: the leftmost goes
        {"aab", "ab", "b", "b"},     // the replacement forms the next one
    };
    for (const auto& c : cases) EXPECT_EQ(ReplaceAll(c.text, c.pattern, c.replacement), c.result) << c.text;
}
