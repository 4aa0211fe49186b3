#include "core/completion_rule.h"

#include <algorithm>

namespace {

bool Is(std::string_view typed, char key) { return typed.size() == 1 && typed[0] == key; }

CompletionResult Backspace(const CompletionKey& key, const CodePage& codePage) {
    CompletionResult result;
    result.consumed = true;
    std::size_t from = key.selectionStart, to = key.selectionEnd;
    if (to <= from) {
        if (key.text.empty()) return result;
        // At the very start nothing is removed, but the current entry goes.
        to = key.selectionStart;
        from = to == 0 ? 0 : codePage.CharacterStart(key.text, to - 1);
    }
    result.changed = true;
    result.text = std::string(key.text.substr(0, from)).append(key.text.substr(to));
    result.selectionStart = result.selectionEnd = from;
    return result;
}

// Shows the first entry that begins with the prefix: the prefix as typed, the
// rest of the entry selected. The list compares without regard to case, which
// need not keep to the same characters; a rest that would start inside a
// character is no completion.
bool TryComplete(const std::string& prefix, const PrefixSearch& search, const CodePage& codePage,
                 CompletionResult& result) {
    const std::optional<HistoryMatch> match = search(prefix);
    if (!match || match->entry.size() < prefix.size()) return false;
    std::string text = prefix + match->entry.substr(prefix.size());
    if (!codePage.IsBoundary(text, prefix.size())) return false;
    result.consumed = result.changed = true;
    result.text = std::move(text);
    result.selectionStart = prefix.size();
    result.selectionEnd = result.text.size();
    result.currentEntry = match->index;
    return true;
}

}  // namespace

CompletionResult CompleteKey(const CompletionKey& key, const PrefixSearch& search, const CodePage& codePage) {
    std::size_t start = std::min(key.selectionStart, key.text.size());
    std::size_t end = std::clamp(key.selectionEnd, start, key.text.size());
    // A caret inside a character stands after it; a selection takes in the
    // characters it touches.
    const bool caret = start == end;
    end = codePage.BoundaryAtOrAfter(key.text, end);
    start = caret ? end : codePage.CharacterStart(key.text, start);
    const CompletionKey bounded{key.text, start, end, key.typed};
    if (Is(key.typed, kBackspace)) return Backspace(bounded, codePage);
    if (Is(key.typed, kTab) || Is(key.typed, kEscape)) return {};
    // Only a whole character completes.
    if (key.typed.empty() || codePage.CharacterLength(key.typed, 0) != key.typed.size()) return {};

    // A character typed with the caret inside the text, nothing selected,
    // completes nothing: it goes in at the caret.
    if (end == start && start != key.text.size()) return {};
    std::string prefix(key.text.substr(0, start));
    prefix += key.typed;

    CompletionResult result;
    TryComplete(prefix, search, codePage, result);
    return result;
}
