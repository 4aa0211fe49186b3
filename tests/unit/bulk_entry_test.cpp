#include "core/bulk_entry.h"

#include <gtest/gtest.h>

#include <random>
#include <string>
#include <vector>

#include "bulk_entry_reference.h"
#include "code_pages.h"

namespace {

const CodePage k1252 = CodePage::SingleByte();

std::string Normalize(std::string_view line) { return NormalizeEntry(line, k1252, LowerLikeCodePage); }

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

// Patterns (letters in mixed case) and single characters, lead, trail and
// continuation bytes among them, each inserted at a random place, so that
// removing one occurrence often forms another, or joins the bytes around it
// into one character. ReplaceAll gets a pattern cut from such a line.
TEST(NormalizeEntry, SameAsDeletingOneAtATimeInEveryCodePage) {
    constexpr std::string_view kAlphabet = "w.htps:/ =WHTPSx\x82\x81\xE3\xC3\xA0";
    constexpr std::string_view kPatterns[] = {"http://", "https://", "www."};
    std::mt19937 random(20240601);
    const auto below = [&random](std::size_t n) { return std::uniform_int_distribution<std::size_t>(0, n - 1)(random); };
    for (const auto& [name, codePage] : TestCodePages()) {
        const LowerCaseInPlace lower = LowerInCodePage(codePage);
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
            ASSERT_EQ(NormalizeEntry(line, codePage, lower), NormalizeEntryReference(line, codePage, lower))
                << name << " '" << line << '\'';
            const std::string pattern = line.substr(below(line.size() + 1), 1 + below(3));
            ASSERT_EQ(ReplaceAll(line, pattern, "", codePage), EraseEachReference(line, pattern, codePage))
                << name << " '" << line << "' '" << pattern << '\'';
        }
    }
}

// Matches are of whole characters: a trail byte or the inside of a UTF-8
// sequence never starts one, while in 1252 every byte is a character.
TEST(NormalizeEntry, MatchesOnlyWholeCharacters) {
    const struct {
        std::string_view codePage, line, entry;
    } cases[] = {
        {"1252", "\x82\x77ww.example.com", "\x82" "example.com"},
        {"932", "\x82\x77ww.example.com", "\x82\x77ww.example.com"},  // the trail byte is a 'w'
        {"932", "www.\x82\x77www.x", "\x82\x77x"},
        {"932", "\x82 www.x", "\x82www.x"},  // without the blank, lead and 'w' are one character
        {"936", "\x81http://host/x", "\x81http:"},
        {"949", "\xB0Http://X", "\xB0Http:"},  // a trail 'H' is not lowered either
        {"950", "\xA4www.x==y", "\xA4www.x"},
        {"UTF-8", "\xE3www.x", "\xE3x"},  // a lead byte without its sequence is a character
        {"UTF-8", "\xE3\x81\x82www.Example.com/a", "\xE3\x81\x82" "example.com"},
    };
    for (const auto& c : cases) {
        const CodePage& codePage = CodePageNamed(c.codePage);
        EXPECT_EQ(NormalizeEntry(c.line, codePage, LowerInCodePage(codePage)), c.entry) << c.codePage << ' ' << c.line;
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
    for (const auto& c : cases) EXPECT_EQ(ReplaceAll(c.text, c.pattern, c.replacement, k1252), c.result) << c.text;
}

TEST(ReplaceAll, MatchesWholeCharactersOfTheTextAsItStands) {
    const struct {
        std::string_view codePage, text, pattern, replacement, result;
    } cases[] = {
        {"932", "\x82\x5C\\", "\\", "", "\x82\x5C"},      // the trail byte that looks like the pattern stays
        {"932", "\x82\x5C\\", "\\", "/", "\x82\x5C/"},
        // The deletion joins the lead byte to what follows: the second "\x82x"
        // is then inside a character.
        {"UTF-8", "\xE3\x82x\x81\x82x", "\x82x", "", "\xE3\x81\x82x"},
        {"UTF-8", "\xE3\x81\x82", "\x81", "", "\xE3\x81\x82"},
        {"UTF-8", "\xE3\x81\x82\x81", "\x81", "", "\xE3\x81\x82"},
    };
    for (const auto& c : cases)
        EXPECT_EQ(ReplaceAll(c.text, c.pattern, c.replacement, CodePageNamed(c.codePage)), c.result)
            << c.codePage << ' ' << c.text;
}

// Characters whose lower-case form has another length (or none that fits)
// stay as they are, so the text keeps its length and every character whole.
TEST(LowerEachCharacter, KeepsCharactersWhoseLowerCaseHasAnotherLength) {
    const auto lower = [](std::string_view c) -> std::string {
        if (c == "A") return "a";
        if (c == "\xC3\x89") return "\xC3\xA9";        // É: é, as long
        if (c == "\xC8\xBA") return "\xE2\xB1\xA5";    // Ⱥ: ⱥ, a byte longer
        if (c == "\xE2\x84\xAA") return "k";           // the Kelvin sign: two bytes shorter
        if (c == "\xC3") return "\xEF\xBF\xBD";        // no character: what a conversion makes of it
        return std::string(c);
    };
    std::string text = "A\xC3\x89\xC8\xBA\xE2\x84\xAA\xC3" "A";
    LowerEachCharacter(text, CodePage::Utf8(), lower);
    EXPECT_EQ(text, "a\xC3\xA9\xC8\xBA\xE2\x84\xAA\xC3" "a");
}
