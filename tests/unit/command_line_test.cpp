#include "core/command_line.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace {

using Kind = CommandLineRequest::Kind;

struct ArgumentsCase {
    std::vector<std::wstring> arguments;
    Kind kind;
    std::wstring query;
};

}  // namespace

TEST(ParseArguments, Table) {
    const std::wstring longQuery(5000, L'a');
    const ArgumentsCase cases[] = {
        {{}, Kind::kNothing, L""},
        {{L""}, Kind::kNothing, L""},
        {{L" ", L"\t", L""}, Kind::kNothing, L""},  // joined: blanks only
        {{L"/?"}, Kind::kUsage, L""},
        {{L"/?", L"x"}, Kind::kQuery, L"/? x"},  // usage only alone
        {{L"x", L"/?"}, Kind::kQuery, L"x /?"},
        {{L"-?"}, Kind::kQuery, L"-?"},
        {{L"/? "}, Kind::kQuery, L"/? "},
        {{L"example.com"}, Kind::kQuery, L"example.com"},
        {{L"a", L"b", L"c"}, Kind::kQuery, L"a b c"},  // one blank between arguments
        {{L" a b "}, Kind::kQuery, L" a b "},          // a quoted argument as given
        {{L"", L"a"}, Kind::kQuery, L" a"},
        {{L"a\"b", L"&", L"c|d"}, Kind::kQuery, L"a\"b & c|d"},
        {{L"\u4F8B\u5B50.example", L"\U0001F600"}, Kind::kQuery, L"\u4F8B\u5B50.example \U0001F600"},
        {{longQuery}, Kind::kQuery, longQuery},  // refused later, by the window layer's caps
    };
    for (const ArgumentsCase& c : cases) {
        const CommandLineRequest request = ParseArguments(c.arguments);
        std::string shown;
        for (const std::wstring& a : c.arguments) shown += "[" + std::string(a.begin(), a.end()) + "]";
        EXPECT_EQ(request.kind, c.kind) << shown;
        EXPECT_EQ(request.query, c.query) << shown;
    }
}

TEST(ShortenedForMessage, CutsWholeCharactersOnly) {
    EXPECT_EQ(ShortenedForMessage(L"abc", 3), L"abc");
    EXPECT_EQ(ShortenedForMessage(L"abcd", 3), L"abc...");
    // Surrogates written as units, so the case means the same where wchar_t
    // has 32 bits.
    const std::wstring pair{L'a', L'b', wchar_t(0xD83D), wchar_t(0xDE00), L'c'};
    EXPECT_EQ(ShortenedForMessage(pair, 3), L"ab...");
    EXPECT_EQ(ShortenedForMessage(pair, 4), pair.substr(0, 4) + L"...");
}
