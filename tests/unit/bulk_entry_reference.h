// The normalization rules as stated, one deletion at a time, searching again
// from the start after each: quadratic, the oracle of the one-pass version in
// the tests and its peer in the benchmark.
#pragma once

#include <string>
#include <string_view>

#include "core/bulk_entry.h"

inline std::string NormalizeEntryReference(std::string s, const LowerCaseInPlace& lowerCase) {
    const auto eraseEach = [&s](std::string_view pattern) {
        for (std::size_t at; (at = s.find(pattern)) != std::string::npos;) s.erase(at, pattern.size());
    };
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
