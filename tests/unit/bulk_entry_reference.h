// The normalization rules as stated, one deletion at a time, searching again
// from the start after each: quadratic, the oracle of the one-pass version in
// the tests and the fuzz target, and its peer in the benchmark.
#pragma once

#include <string>
#include <string_view>

#include "core/bulk_entry.h"

// A code page's lowering, as the program's would be: ASCII and the accented
// capitals 0xC0..0xDE (0xD7 is the multiplication sign).
inline void LowerLikeCodePage(std::string& text) {
    for (char& c : text) {
        const auto b = static_cast<unsigned char>(c);
        if ((b >= 'A' && b <= 'Z') || (b >= 0xC0 && b <= 0xDE && b != 0xD7)) c = static_cast<char>(b + 0x20);
    }
}

// The same, character by character: longer characters stay as they are.
inline LowerCaseInPlace LowerInCodePage(const CodePage& codePage) {
    if (codePage.EveryByteACharacter()) return [](std::string& text) { LowerLikeCodePage(text); };
    return [codePage](std::string& text) {
        LowerEachCharacter(text, codePage, [](std::string_view character) {
            std::string lower(character);
            if (lower.size() == 1) LowerLikeCodePage(lower);
            return lower;
        });
    };
}

// Where `pattern` first occurs in `s` as whole characters, or npos; with
// `anyCase`, ASCII letters of `s` match in either case.
inline std::size_t FindWholeReference(const std::string& s, std::string_view pattern, const CodePage& codePage,
                                      bool anyCase = false) {
    for (std::size_t at = 0; at + pattern.size() <= s.size(); at += codePage.CharacterLength(s, at)) {
        bool same = true;
        for (std::size_t k = 0; k < pattern.size() && same; ++k) {
            const char c = s[at + k];
            same = (anyCase && c >= 'A' && c <= 'Z' ? static_cast<char>(c + 32) : c) == pattern[k];
        }
        std::size_t end = at;
        while (end < at + pattern.size()) end += codePage.CharacterLength(s, end);
        if (same && end == at + pattern.size()) return at;
    }
    return std::string::npos;
}

// ReplaceAll with an empty replacement, as worded: the leftmost occurrence
// deleted, then the search starts again from the start.
inline std::string EraseEachReference(std::string s, std::string_view pattern, const CodePage& codePage) {
    for (std::size_t at; !pattern.empty() && (at = FindWholeReference(s, pattern, codePage)) != std::string::npos;)
        s.erase(at, pattern.size());
    return s;
}

inline std::string NormalizeEntryReference(std::string s, const CodePage& codePage, const LowerCaseInPlace& lowerCase) {
    const auto eraseEach = [&](std::string_view pattern) { s = EraseEachReference(std::move(s), pattern, codePage); };
    eraseEach(" ");
    for (;;) {
        const std::size_t http = FindWholeReference(s, "http://", codePage, true);
        const std::size_t https = FindWholeReference(s, "https://", codePage, true);
        if (http == std::string::npos && https == std::string::npos) break;
        if (http < https) s.erase(http, 7);
        else s.erase(https, 8);
    }
    eraseEach("www.");
    s = s.substr(0, FindWholeReference(s, "==", codePage));
    s = s.substr(0, FindWholeReference(s, "/", codePage));
    lowerCase(s);
    return s;
}
