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

// ReplaceAll with an empty replacement, as worded: the leftmost occurrence
// deleted, then the search starts again from the start.
inline std::string EraseEachReference(std::string s, std::string_view pattern) {
    for (std::size_t at; !pattern.empty() && (at = s.find(pattern)) != std::string::npos;) s.erase(at, pattern.size());
    return s;
}

inline std::string NormalizeEntryReference(std::string s, const LowerCaseInPlace& lowerCase) {
    const auto eraseEach = [&s](std::string_view pattern) { s = EraseEachReference(std::move(s), pattern); };
    eraseEach(" ");
    for (;;) {
        std::string lower = s;
        for (char& c : lower) c = (c >= 'A' && c <= 'Z') ? static_cast<char>(c + 32) : c;
        const std::size_t http = lower.find("http://"), https = lower.find("https://");
        if (http == std::string::npos && https == std::string::npos) break;
        if (http < https) s.erase(http, 7);
        else s.erase(https, 8);
    }
    eraseEach("www.");
    s = s.substr(0, s.find("=="));
    s = s.substr(0, s.find('/'));
    lowerCase(s);
    return s;
}
