#include "core/completion_rule.h"

#include <algorithm>

namespace {

// Where the character that ends at `end` begins: double-byte characters are
// found by walking from the start, since a trail byte can look like anything.
std::size_t CharacterStartBefore(std::string_view text, std::size_t end, const LeadByteTest& isLeadByte) {
    std::size_t position = 0, start = 0;
    while (position < end) {
        start = position;
        const bool pair = isLeadByte(static_cast<unsigned char>(text[position])) && position + 1 < text.size();
        position += pair ? 2 : 1;
    }
    return start;
}

CompletionResult Backspace(const CompletionKey& key, const LeadByteTest& isLeadByte) {
    CompletionResult result;
    result.consumed = true;
    std::size_t from = key.selectionStart, to = key.selectionEnd;
    if (to <= from) {
        if (key.text.empty()) return result;
        // At the very start nothing is removed, but the current entry goes.
        to = key.selectionStart;
        from = to == 0 ? 0 : CharacterStartBefore(key.text, to, isLeadByte);
    }
    result.changed = true;
    result.text = std::string(key.text.substr(0, from)).append(key.text.substr(to));
    result.selectionStart = result.selectionEnd = from;
    return result;
}

// Shows the first entry that begins with the prefix: the prefix as typed, the
// rest of the entry selected.
bool TryComplete(const std::string& prefix, const PrefixSearch& search, CompletionResult& result) {
    const std::optional<HistoryMatch> match = search(prefix);
    if (!match || match->entry.size() < prefix.size()) return false;
    result.consumed = result.changed = true;
    result.text = prefix + match->entry.substr(prefix.size());
    result.selectionStart = prefix.size();
    result.selectionEnd = result.text.size();
    result.currentEntry = match->index;
    return true;
}

}  // namespace

CompletionResult CompleteKey(const CompletionKey& key, const PrefixSearch& search, const LeadByteTest& isLeadByte) {
    const std::size_t start = std::min(key.selectionStart, key.text.size());
    const std::size_t end = std::clamp(key.selectionEnd, start, key.text.size());
    const CompletionKey bounded{key.text, start, end, key.typed, key.trailByte};
    if (key.typed == kBackspace) return Backspace(bounded, isLeadByte);
    if (key.typed == kTab || key.typed == kEscape) return {};

    // A character typed with the caret inside the text, nothing selected,
    // completes nothing: it goes in at the caret.
    if (end == start && start != key.text.size()) return {};
    std::string prefix(key.text.substr(0, start));
    prefix += key.typed;

    CompletionResult result;
    if (isLeadByte(static_cast<unsigned char>(key.typed))) {
        if (!key.trailByte) return {};
        prefix += *key.trailByte;
        if (TryComplete(prefix, search, result)) result.takeTrailByte = true;
        return result;
    }
    TryComplete(prefix, search, result);
    return result;
}
