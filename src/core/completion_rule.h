// Completion of the search box's text from the history while typing. Each
// typed character is decided from what the box shows at that moment (text and
// selection) and the history's first entry, from the top, that begins with
// the would-be text, letter case ignored. Nothing is remembered between keys.
#pragma once

#include <cstddef>
#include <functional>
#include <optional>
#include <string>
#include <string_view>

#include "core/code_page.h"

struct CompletionKey {
    std::string_view text;
    std::size_t selectionStart = 0, selectionEnd = 0;  // byte positions; equal: the caret
    char typed = 0;
    // The byte of the character message waiting behind this one, if any: the
    // trail byte of a double-byte character typed as two messages.
    std::optional<char> trailByte;
};

struct HistoryMatch {
    int index;          // position in the list, top 0
    std::string entry;  // as stored
};

// The list's case-insensitive prefix search, first match from the top.
using PrefixSearch = std::function<std::optional<HistoryMatch>(std::string_view prefix)>;

struct CompletionResult {
    bool consumed = false;      // the text field must not see the character
    bool changed = false;       // text, selection and current entry below apply
    bool takeTrailByte = false;
    std::string text;
    std::size_t selectionStart = 0, selectionEnd = 0;
    int currentEntry = -1;      // -1: none
};

CompletionResult CompleteKey(const CompletionKey& key, const PrefixSearch& search, const LeadByteTest& isLeadByte);

inline constexpr char kBackspace = 8, kTab = 9, kEscape = 27;
