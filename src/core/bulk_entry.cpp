#include "core/bulk_entry.h"

#include <algorithm>

namespace {

constexpr std::string_view kSchemes[] = {"http://", "https://"};
constexpr std::string_view kWww = "www.";

char AsciiLower(char c) { return c >= 'A' && c <= 'Z' ? static_cast<char>(c - 'A' + 'a') : c; }

// Compared byte by byte: the suffixes are a few bytes long, too short for a
// call to memcmp to pay.
template <class SameByte>
bool EndsWith(std::string_view text, std::string_view suffix, SameByte same) {
    return text.size() >= suffix.size() &&
           std::equal(suffix.begin(), suffix.end(), text.end() - suffix.size(), same);
}

// Deletes occurrences in one left-to-right pass, in place: each byte is pushed
// onto what is kept, and an occurrence is popped as soon as it is complete on
// top. `completedLength(kept)` is the length of the occurrence ending `kept`,
// or 0; only `lastByte`, the last byte of every pattern, can complete one.
// This deletes what deleting the leftmost occurrence and searching again from
// the start would, provided the leftmost occurrence is always the first to
// end: true of a single pattern (its occurrences are equally long) and of
// patterns that cannot overlap. Nothing before that occurrence is then ever
// deleted.
template <class CompletedLength>
void DeleteInOnePass(std::string& text, char lastByte, CompletedLength completedLength) {
    // Up to the first byte that can complete an occurrence, nothing moves.
    std::size_t size = std::min(text.find(lastByte), text.size());
    // Through a local pointer: a store through the string's own could change
    // its size and data as far as the compiler knows, reloaded on every byte.
    char* const data = text.data();
    for (std::size_t read = size, end = text.size(); read < end; ++read) {
        const char c = data[read];
        data[size++] = c;  // size <= read: no byte is overwritten before it is read
        if (c == lastByte) size -= completedLength(std::string_view(data, size));
    }
    text.resize(size);
}

void DeleteEach(std::string& text, std::string_view pattern) {
    DeleteInOnePass(text, pattern.back(), [pattern](std::string_view kept) {
        return EndsWith(kept, pattern, [](char p, char k) { return p == k; }) ? pattern.size() : 0;
    });
}

}  // namespace

std::string ReplaceAll(std::string_view text, std::string_view pattern, std::string_view replacement) {
    std::string result(text);
    if (pattern.empty()) return result;
    if (replacement.empty()) {
        DeleteEach(result, pattern);
        return result;
    }
    std::size_t at;
    while ((at = result.find(pattern)) != std::string::npos) result.replace(at, pattern.size(), replacement);
    return result;
}

std::string NormalizeEntry(std::string_view line, const LowerCaseInPlace& lowerCase) {
    std::string entry(line);
    std::erase(entry, ' ');  // deleting one byte never forms another: a plain filter
    // "http://" and "https://" cannot overlap each other, whatever the letter
    // case (the only 'h' of either is its first byte), so one pass deletes
    // what repeated leftmost deletion would; so does one pass for "www.".
    DeleteInOnePass(entry, '/', [](std::string_view kept) -> std::size_t {
        for (const std::string_view scheme : kSchemes)
            if (EndsWith(kept, scheme, [](char s, char k) { return s == AsciiLower(k); })) return scheme.size();
        return 0;
    });
    // Cut at the first '/' before deleting "www." rather than after: a "www."
    // holds no '/', so no deletion reaches back across it and the part before
    // it ends up the same either way; a "==" cannot straddle it, and what
    // follows it would be cut anyway.
    entry.resize(std::min(entry.find('/'), entry.size()));
    DeleteEach(entry, kWww);
    entry.resize(std::min(entry.find("=="), entry.size()));
    lowerCase(entry);
    return entry;
}
