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
    // The typed character whole: one byte, or every byte of a longer one.
    std::string_view typed;
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
    std::string text;
    std::size_t selectionStart = 0, selectionEnd = 0;
    int currentEntry = -1;      // -1: none
};

// Positions are snapped to whole characters first: a caret inside a character
// stands after it, a selection grows to whole characters. A completion that
// would start its selection inside a character is not made.
CompletionResult CompleteKey(const CompletionKey& key, const PrefixSearch& search, const CodePage& codePage);

inline constexpr char kBackspace = 8, kTab = 9, kEscape = 27;
