// libFuzzer target: keys typed into a search box over a history, all taken
// from the input: a flags byte (bit 0: a double-byte code page), the caret and
// selection of the first key, then lines: the box's text, the entries, and
// last the keys. Checked on every key: the selection lies within the text; a
// completion shows an entry of the list, its typed part followed by the
// entry's rest; Backspace always consumes and removes one piece of the text
// (nothing with the caret at the start, where it only clears the entry).
#include "core/completion_rule.h"
#include "require.h"
#include "unit/completion_box.h"

#include <algorithm>
#include <cctype>
#include <cstddef>
#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace {

bool SameIgnoringCase(std::string_view a, std::string_view b) {
    return std::equal(a.begin(), a.end(), b.begin(), b.end(), [](char x, char y) {
        return std::tolower(static_cast<unsigned char>(x)) == std::tolower(static_cast<unsigned char>(y));
    });
}

// What one key may have done to the box, from `before` with the selection
// [start, end) and the waiting character message, if any.
void CheckKey(const Box& box, const std::string& before, size_t start, size_t end, char typed,
              std::optional<char> waiting, const CompletionResult& r) {
    Require(r.consumed || !r.changed);
    Require(box.start <= box.end && box.end <= box.text.size());
    if (typed == kTab || typed == kEscape) Require(!r.consumed);
    if (typed == kBackspace) {
        Require(r.consumed);
        if (!r.changed) return;
        Require(r.text.size() <= before.size() && r.currentEntry == -1 && r.selectionStart == r.selectionEnd);
        const size_t removed = before.size() - r.text.size();
        if (end > start) Require(r.selectionStart == start && removed == end - start);
        else Require(removed <= 2 && r.selectionStart + removed == start && (removed > 0 || start == 0));
        Require(r.text == before.substr(0, r.selectionStart) + before.substr(r.selectionStart + removed));
        return;
    }
    if (!r.changed) return;
    const std::vector<std::string>& entries = box.Entries();
    Require(r.currentEntry >= 0 && static_cast<size_t>(r.currentEntry) < entries.size());
    const std::string& entry = entries[static_cast<size_t>(r.currentEntry)];
    std::string typedPart = before.substr(0, start) + typed;
    if (r.takeTrailByte) typedPart += waiting.value();
    Require(r.selectionStart == typedPart.size() && r.selectionEnd == r.text.size() && r.text.size() == entry.size());
    Require(r.text.compare(0, typedPart.size(), typedPart) == 0);
    Require(SameIgnoringCase(typedPart, std::string_view(entry).substr(0, typedPart.size())));
    Require(r.text.compare(typedPart.size(), std::string::npos, entry, typedPart.size()) == 0);
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    if (size < 3) return 0;
    std::vector<std::string> lines(1);
    for (size_t i = 3; i < size; ++i) {
        if (data[i] == '\n') lines.emplace_back();
        else lines.back() += static_cast<char>(data[i]);
    }
    const std::string keys = lines.size() > 1 ? lines.back() : std::string();
    Box box(std::vector<std::string>(lines.begin() + 1, lines.end() - (lines.size() > 1)), data[0] & 1);
    box.text = lines.front();

    // The first key with the caret and selection as given, even past the text.
    if (!keys.empty()) {
        const CompletionKey key{box.text, data[1], data[2], keys[0], keys.size() > 1 ? std::optional<char>(keys[1]) : std::nullopt};
        const CompletionResult r = CompleteKey(key, box.Search(), box.LeadByte());
        Require(r.selectionStart <= r.selectionEnd && r.selectionEnd <= r.text.size());
    }
    box.start = std::min<size_t>(data[1], box.text.size());
    box.end = std::clamp<size_t>(data[2], box.start, box.text.size());
    for (size_t k = 0; k < keys.size(); ++k) {
        const std::string before = box.text;
        const size_t start = box.start, end = box.end;
        const std::optional<char> waiting = k + 1 < keys.size() ? std::optional<char>(keys[k + 1]) : std::nullopt;
        const CompletionResult r = box.Type(keys[k], waiting);
        CheckKey(box, before, start, end, keys[k], waiting, r);
        if (r.takeTrailByte) ++k;
    }
    return 0;
}
