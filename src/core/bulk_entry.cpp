#include "core/bulk_entry.h"

#include <algorithm>
#include <vector>

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

// The same pass where a byte need not be a character: an occurrence counts
// only where it starts and ends between characters of the text as it stands,
// the bytes kept followed by those not yet read. Which kept bytes start a
// character is noted as they are pushed; a character that starts at the
// byte being pushed is measured on the unread rest, which is what follows it.
// A deletion can only lengthen the character before it (a lead byte that now
// meets its trail), and only one that starts in the three bytes before it,
// since a character's length depends on its first four bytes at most: those
// are measured again. Nothing else before the deletion changes, so the pass
// still deletes what repeated leftmost deletion would.
template <class CompletedLength>
void DeleteWholeInOnePass(std::string& text, const CodePage& codePage, char lastByte,
                          CompletedLength completedLength) {
    char* const data = text.data();
    const std::size_t end = text.size();
    std::vector<bool> starts(end);  // of the kept bytes
    std::size_t size = 0, characterEnd = 0;
    for (std::size_t read = 0; read < end; ++read) {
        starts[size] = size >= characterEnd;
        if (starts[size]) characterEnd = size + codePage.CharacterLength(std::string_view(data + read, end - read), 0);
        const char c = data[read];
        data[size++] = c;
        if (c != lastByte || characterEnd != size) continue;
        const std::size_t length = completedLength(std::string_view(data, size));
        if (length == 0 || !starts[size - length]) continue;
        size -= length;
        // The kept bytes from the first character start among the last three,
        // then up to three unread bytes: enough for any character that
        // starts before the deletion.
        std::size_t from = size - std::min<std::size_t>(size, 3);
        while (from < size && !starts[from]) ++from;
        characterEnd = from;
        if (from == size) continue;
        char window[6];
        const std::size_t kept = size - from, unread = std::min<std::size_t>(end - read - 1, 3);
        std::copy(data + from, data + size, window);
        std::copy(data + read + 1, data + read + 1 + unread, window + kept);
        const std::string_view around(window, kept + unread);
        for (std::size_t at = 0; at < kept; ++at) {
            starts[from + at] = from + at >= characterEnd;
            if (starts[from + at]) characterEnd = from + at + codePage.CharacterLength(around, at);
        }
    }
    text.resize(size);
}

template <class CompletedLength>
void DeleteWhole(std::string& text, const CodePage& codePage, char lastByte, CompletedLength completedLength) {
    if (codePage.EveryByteACharacter()) DeleteInOnePass(text, lastByte, completedLength);
    else DeleteWholeInOnePass(text, codePage, lastByte, completedLength);
}

void DeleteEach(std::string& text, std::string_view pattern, const CodePage& codePage) {
    DeleteWhole(text, codePage, pattern.back(), [pattern](std::string_view kept) {
        return EndsWith(kept, pattern, [](char p, char k) { return p == k; }) ? pattern.size() : 0;
    });
}

// The leftmost occurrence of `pattern` that is whole characters of `text`.
std::size_t FindWhole(std::string_view text, std::string_view pattern, const CodePage& codePage) {
    if (codePage.EveryByteACharacter()) return text.find(pattern);
    for (std::size_t at = 0; at < text.size(); at += codePage.CharacterLength(text, at)) {
        if (text.compare(at, pattern.size(), pattern) != 0) continue;
        std::size_t next = at;
        while (next < at + pattern.size()) next += codePage.CharacterLength(text, next);
        if (next == at + pattern.size()) return at;
    }
    return std::string_view::npos;
}

}  // namespace

void LowerEachCharacter(std::string& text, const CodePage& codePage, const LowerCharacter& lowerCharacter) {
    for (std::size_t at = 0, length; at < text.size(); at += length) {
        length = codePage.CharacterLength(text, at);
        const std::string lower = lowerCharacter(std::string_view(text).substr(at, length));
        if (lower.size() == length) text.replace(at, length, lower);
    }
}

std::string ReplaceAll(std::string_view text, std::string_view pattern, std::string_view replacement,
                       const CodePage& codePage) {
    std::string result(text);
    if (pattern.empty()) return result;
    if (replacement.empty()) {
        DeleteEach(result, pattern, codePage);
        return result;
    }
    std::size_t at;
    while ((at = FindWhole(result, pattern, codePage)) != std::string::npos)
        result.replace(at, pattern.size(), replacement);
    return result;
}

std::string NormalizeEntry(std::string_view line, const CodePage& codePage, const LowerCaseInPlace& lowerCase) {
    std::string entry(line);
    // A byte below 0x40 is a character of its own in every code page, so a
    // blank, "==" and '/' are found byte by byte. Deleting a blank never
    // forms another: a plain filter.
    std::erase(entry, ' ');
    // "http://" and "https://" cannot overlap each other, whatever the letter
    // case (the only 'h' of either is its first byte), so one pass deletes
    // what repeated leftmost deletion would; so does one pass for "www.".
    DeleteWhole(entry, codePage, '/', [](std::string_view kept) -> std::size_t {
        for (const std::string_view scheme : kSchemes)
            if (EndsWith(kept, scheme, [](char s, char k) { return s == AsciiLower(k); })) return scheme.size();
        return 0;
    });
    // Cut at the first '/' before deleting "www." rather than after: a "www."
    // holds no '/' and no character reaches across one, so no deletion
    // reaches back across it and the part before it ends up the same either
    // way; a "==" cannot straddle it, and what follows it would be cut anyway.
    entry.resize(std::min(entry.find('/'), entry.size()));
    DeleteEach(entry, kWww, codePage);
    entry.resize(std::min(entry.find("=="), entry.size()));
    lowerCase(entry);
    return entry;
}
