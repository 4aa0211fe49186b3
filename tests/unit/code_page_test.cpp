#include "core/code_page.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "code_pages.h"
#include "completion_box.h"

namespace {

// Texts as each code page splits them into characters. Every position of each
// text is then checked against the split: where characters start, where the
// tip's cut falls, and what Backspace removes.
struct Split {
    std::string_view codePage;
    std::vector<std::string> characters;
};

const Split kSplits[] = {
    {"1252", {"a", "\x82", "\xA0", "\xFF"}},
    {"932", {"a", "\x82\xA0", "\x83\x5C", "b"}},                // a trail byte '\'
    {"932", {"\x82", " ", "\x82", "\x7F", "\x82"}},             // lead bytes before no trail, and at the end
    {"932", {"\xB1", "\x81\x81", "\x81"}},                       // a single-byte kana; a lead byte as a trail
    {"936", {"\xC4\xE3", "\xBA\xC3", "\x81\x7C", "\x81", "\xFF"}},  // 0xFF is no trail
    {"949", {"\xC7\xD1", "\xB1\xDB", "1"}},
    {"950", {"\xA4\xA4", "\xA5\x5C", "\xA5", "\""}},
    {"UTF-8", {"a", "\xC3\xA9", "\xE3\x81\x82", "\xF0\x9F\x98\x80", "z"}},
    {"UTF-8", {"\xC0", "\x80", "\xE0", "\x9F", "\x80", "\xE3", "\x81"}},  // overlong forms; a sequence cut short
    {"UTF-8", {"\xED", "\xA0", "\x80", "\xF4", "\x90", "\x80", "\x80"}},  // a surrogate; past U+10FFFF
    {"UTF-8", {"\x80", "\xC3\xA9", "\xBF", "\xF0", "\x9F", "\x98", "a"}},  // stray continuation bytes
};

std::string Joined(const std::vector<std::string>& characters) {
    std::string text;
    for (const std::string& c : characters) text += c;
    return text;
}

TEST(CodePage, SplitsEveryTextIntoItsCharacters) {
    for (const Split& split : kSplits) {
        const CodePage& codePage = CodePageNamed(split.codePage);
        const std::string text = Joined(split.characters);
        std::vector<std::string> found;
        for (std::size_t at = 0; at < text.size(); at += found.back().size())
            found.push_back(text.substr(at, codePage.CharacterLength(text, at)));
        EXPECT_EQ(found, split.characters) << split.codePage << ' ' << text;
    }
}

TEST(CodePage, EveryPositionFindsItsCharacterTheTipCutAndBackspace) {
    const auto noEntry = [](std::string_view) { return std::optional<HistoryMatch>(); };
    for (const Split& split : kSplits) {
        const CodePage& codePage = CodePageNamed(split.codePage);
        const std::string text = Joined(split.characters);
        // The start and end of the character that holds each byte.
        std::vector<std::size_t> starts, ends;
        for (const std::string& c : split.characters) {
            starts.insert(starts.end(), c.size(), ends.empty() ? 0 : ends.back());
            ends.insert(ends.end(), c.size(), starts.back() + c.size());
        }
        for (std::size_t at = 0; at <= text.size(); ++at) {
            SCOPED_TRACE(std::string(split.codePage) + " '" + text + "' at " + std::to_string(at));
            const std::size_t start = at < text.size() ? starts[at] : at;
            EXPECT_EQ(codePage.CharacterStart(text, at), start);
            EXPECT_EQ(codePage.IsBoundary(text, at), at == start);
            EXPECT_EQ(codePage.BoundaryAtOrAfter(text, at), at == start ? at : ends[at]);
            EXPECT_EQ(codePage.WholeCharactersWithin(text, at), start);  // the tip's cut

            // Backspace with the caret at `at` removes the character that
            // holds the byte before it, whole.
            const CompletionResult r = CompleteKey({text, at, at, "\b"}, noEntry, codePage);
            const std::size_t from = at > 0 ? starts[at - 1] : 0, to = at > 0 ? ends[at - 1] : 0;
            EXPECT_EQ(r.text, text.substr(0, from) + text.substr(to));
            EXPECT_EQ(r.selectionStart, from);
        }
    }
}

// Characters typed one by one into an empty box over a history.
TEST(CodePage, TypedCharactersCompleteFromMultiByteEntries) {
    const struct {
        std::string_view codePage;
        std::vector<std::string> entries, typed;
        std::string state;  // text [selection start, end] #current entry
    } cases[] = {
        {"1252", {"\xE9t\xE9"}, {"\xE9"}, "\xE9t\xE9 [1,3] #0"},
        {"1252", {"\x82\xA0x"}, {"\x82"}, "\x82\xA0x [1,3] #0"},  // in 1252 each byte is a character
        {"932", {"\x82\xA0x"}, {"\x82"}, "\x82 [1,1] #-1"},       // in 932 it is half of one
        {"932", {"\x82\xA0\x82\xA2", "\x83\x5C\x83\x74"}, {"\x83\x5C"}, "\x83\x5C\x83\x74 [2,4] #1"},
        {"932", {"\x82\xA0\x82\xA2"}, {"\x82\xA0", "\b", "\b"}, " [0,0] #-1"},
        {"936", {"\xC4\xE3\xBA\xC3.cn"}, {"\xC4\xE3", "\xBA\xC3"}, "\xC4\xE3\xBA\xC3.cn [4,7] #0"},
        {"949", {"\xC7\xD1\xB1\xDB.kr"}, {"\xC7\xD1"}, "\xC7\xD1\xB1\xDB.kr [2,7] #0"},
        {"950", {"\xA4\xA4\xA5\x5C"}, {"\xA4\xA4", "\xA5\x5C"}, "\xA4\xA4\xA5\x5C [4,4] #0"},
        {"UTF-8", {"\xE3\x81\x82\xE3\x81\x84", "\xF0\x9F\x98\x80.example"}, {"\xF0\x9F\x98\x80"},
         "\xF0\x9F\x98\x80.example [4,12] #1"},
        {"UTF-8", {"\xE3\x81\x82\xE3\x81\x84"}, {"\xE3\x81\x82", "\b"}, "\xE3\x81\x82 [3,3] #-1"},
        {"UTF-8", {"\xE3\x81\x82\xE3\x81\x84"}, {"\xE3\x81\x82", "\b", "\b"}, " [0,0] #-1"},
        {"UTF-8", {"\xE3\x81\x82"}, {"\xE3\x81"}, "\xE3\x81 [2,2] #-1"},  // not a character: goes on
    };
    for (const auto& c : cases) {
        Box box(c.entries, CodePageNamed(c.codePage));
        for (const std::string& typed : c.typed) box.Type(typed);
        EXPECT_EQ(box.text + " [" + std::to_string(box.start) + "," + std::to_string(box.end) + "] #" +
                      std::to_string(box.current),
                  c.state)
            << c.codePage;
    }
}

// The list's search knows no code page rule of ours: should it offer an entry
// whose rest would start inside a character, there is no completion.
TEST(CodePage, CompletionNeverSelectsFromInsideACharacter) {
    const struct {
        std::string_view codePage, typed, entry;
    } cases[] = {
        {"932", "\x82", "\x82\xA0"},
        {"UTF-8", "\xE3", "\xE3\x81\x82"},
    };
    for (const auto& c : cases) {
        const std::string entry(c.entry);
        const auto bytewise = [&entry](std::string_view) { return std::optional<HistoryMatch>({0, entry}); };
        const CompletionResult r = CompleteKey({"", 0, 0, c.typed}, bytewise, CodePageNamed(c.codePage));
        EXPECT_FALSE(r.consumed) << c.codePage;
    }
}

}  // namespace
