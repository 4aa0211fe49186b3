// libFuzzer target: keys typed into a search box over a history, all taken
// from the input: a byte choosing the code page (1252, the double-byte ones,
// UTF-8), the caret and selection of the first key, then lines: the box's
// text, the entries, and last the keys, split into characters as the code page
// splits them. Checked on every key: the selection lies within the text; a
// completion shows an entry of the list, its typed part followed by the
// entry's rest, and selects from a character's start; Backspace always
// consumes and removes whole characters: one before the caret, or those the
// selection touches (nothing with the caret at the start, where it only
// clears the entry).
#include "core/completion_rule.h"
#include "require.h"
#include "unit/code_pages.h"
#include "unit/completion_box.h"

#include <algorithm>
#include <cctype>
#include <cstddef>
#include <cstdint>
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
// [start, end).
void CheckKey(const Box& box, const std::string& before, size_t start, size_t end, std::string_view typed,
              const CompletionResult& r) {
    const CodePage& codePage = box.Code();
    Require(r.consumed || !r.changed);
    Require(box.start <= box.end && box.end <= box.text.size());
    if (typed == "\t" || typed == "\x1B") Require(!r.consumed);
    if (typed == "\b") {
        Require(r.consumed);
        if (!r.changed) return;
        Require(r.text.size() <= before.size() && r.currentEntry == -1 && r.selectionStart == r.selectionEnd);
        const size_t from = r.selectionStart, to = from + before.size() - r.text.size();
        Require(r.text == before.substr(0, from) + before.substr(to));
        Require(codePage.IsBoundary(before, from) && codePage.IsBoundary(before, to));
        if (end > start) Require(from <= start && end <= to && codePage.CharacterStart(before, start) == from);
        else Require(to >= start && (to == from ? start == 0 : codePage.CharacterLength(before, from) == to - from));
        return;
    }
    if (!r.changed) return;
    const std::vector<std::string>& entries = box.Entries();
    Require(r.currentEntry >= 0 && static_cast<size_t>(r.currentEntry) < entries.size());
    const std::string& entry = entries[static_cast<size_t>(r.currentEntry)];
    Require(r.selectionStart >= typed.size() && r.selectionEnd == r.text.size() && r.text.size() == entry.size());
    const size_t kept = r.selectionStart - typed.size();  // bytes of the text before the typed character
    Require(kept <= codePage.BoundaryAtOrAfter(before, end) && r.text.compare(0, kept, before, 0, kept) == 0);
    Require(r.text.compare(kept, typed.size(), typed) == 0);
    Require(codePage.IsBoundary(r.text, r.selectionStart));
    Require(SameIgnoringCase(std::string_view(r.text).substr(0, r.selectionStart),
                             std::string_view(entry).substr(0, r.selectionStart)));
    Require(r.text.compare(r.selectionStart, std::string::npos, entry, r.selectionStart) == 0);
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
    const std::vector<NamedCodePage>& pages = TestCodePages();
    Box box(std::vector<std::string>(lines.begin() + 1, lines.end() - (lines.size() > 1)),
            pages[data[0] % pages.size()].codePage);
    box.text = lines.front();
    const auto keyAt = [&](size_t at) { return std::string_view(keys).substr(at, box.Code().CharacterLength(keys, at)); };

    // The first key with the caret and selection as given, even past the text
    // or inside a character.
    if (!keys.empty()) {
        const CompletionResult r = CompleteKey({box.text, data[1], data[2], keyAt(0)}, box.Search(), box.Code());
        Require(r.selectionStart <= r.selectionEnd && r.selectionEnd <= r.text.size());
    }
    box.start = std::min<size_t>(data[1], box.text.size());
    box.end = std::clamp<size_t>(data[2], box.start, box.text.size());
    for (size_t k = 0; k < keys.size();) {
        const std::string before = box.text;
        const size_t start = box.start, end = box.end;
        const std::string_view typed = keyAt(k);
        const CompletionResult r = box.Type(typed);
        CheckKey(box, before, start, end, typed, r);
        k += typed.size();
    }
    return 0;
}
