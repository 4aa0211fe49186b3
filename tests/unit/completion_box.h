// The search box as the completion rule's tests and fuzz target drive it.
#pragma once

#include <cctype>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "core/completion_rule.h"

// The search box as the completion sees it, with the list's own search: first
// entry from the top that begins with the prefix, character by character,
// letter case of single-byte characters ignored (as far as the C locale
// knows it), longer characters compared exactly.
class Box {
public:
    explicit Box(std::vector<std::string> entries, const CodePage& codePage = CodePage::SingleByte())
        : entries_(std::move(entries)), codePage_(codePage) {}

    // One typed character, whole; one the completion does not consume is
    // edited in as the text field would: it replaces the selection.
    CompletionResult Type(std::string_view character) {
        const CompletionResult r = CompleteKey({text, start, end, character}, Search(), codePage_);
        if (r.changed) {
            text = r.text;
            start = r.selectionStart;
            end = r.selectionEnd;
            current = r.currentEntry;
        } else if (!r.consumed) {
            text.replace(start, end - start, character);
            start = end = start + character.size();
        }
        return r;
    }
    CompletionResult Type(char c) { return Type(std::string_view(&c, 1)); }
    // Each character of `s` as the code page splits it.
    void TypeText(std::string_view s) {
        for (std::size_t at = 0, length; at < s.size(); at += length) {
            length = codePage_.CharacterLength(s, at);
            Type(s.substr(at, length));
        }
    }

    std::string text;
    std::size_t start = 0, end = 0;
    int current = -1;

    const std::vector<std::string>& Entries() const { return entries_; }
    const CodePage& Code() const { return codePage_; }
    PrefixSearch Search() const {
        return [this](std::string_view prefix) -> std::optional<HistoryMatch> {
            for (std::size_t i = 0; i < entries_.size(); ++i)
                if (BeginsWith(entries_[i], prefix)) return HistoryMatch{static_cast<int>(i), entries_[i]};
            return std::nullopt;
        };
    }

private:
    bool BeginsWith(std::string_view entry, std::string_view prefix) const {
        for (std::size_t at = 0, length; at < prefix.size(); at += length) {
            length = codePage_.CharacterLength(prefix, at);
            if (at + length > entry.size() || codePage_.CharacterLength(entry, at) != length) return false;
            if (length > 1 ? prefix.substr(at, length) != entry.substr(at, length)
                           : std::tolower(static_cast<unsigned char>(prefix[at])) !=
                                 std::tolower(static_cast<unsigned char>(entry[at])))
                return false;
        }
        return true;
    }

    std::vector<std::string> entries_;
    CodePage codePage_;
};
