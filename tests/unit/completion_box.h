// The search box as the completion rule's tests and fuzz target drive it.
#pragma once

#include <cctype>
#include <optional>
#include <string>
#include <vector>

#include "core/completion_rule.h"

// The search box as the completion sees it, with the list's own search: first
// entry from the top that begins with the prefix, letter case ignored.
class Box {
public:
    explicit Box(std::vector<std::string> entries, bool codePage932 = false)
        : entries_(std::move(entries)), codePage932_(codePage932) {}

    // One character message; a character the completion does not consume is
    // edited in as the text field would: it replaces the selection.
    CompletionResult Type(char c, std::optional<char> waiting = std::nullopt) {
        const CompletionResult r = CompleteKey({text, start, end, c, waiting}, Search(), LeadByte());
        if (r.changed) {
            text = r.text;
            start = r.selectionStart;
            end = r.selectionEnd;
            current = r.currentEntry;
        } else if (!r.consumed) {
            text.replace(start, end - start, 1, c);
            start = end = start + 1;
        }
        return r;
    }
    void TypeText(const std::string& s) {
        for (char c : s) Type(c);
    }

    std::string text;
    std::size_t start = 0, end = 0;
    int current = -1;

    const std::vector<std::string>& Entries() const { return entries_; }
    PrefixSearch Search() const {
        return [this](std::string_view prefix) -> std::optional<HistoryMatch> {
            for (std::size_t i = 0; i < entries_.size(); ++i) {
                const std::string& e = entries_[i];
                if (e.size() < prefix.size()) continue;
                bool same = true;
                for (std::size_t k = 0; k < prefix.size() && same; ++k)
                    same = std::tolower(static_cast<unsigned char>(e[k])) == std::tolower(static_cast<unsigned char>(prefix[k]));
                if (same) return HistoryMatch{static_cast<int>(i), e};
            }
            return std::nullopt;
        };
    }
    LeadByteTest LeadByte() const {
        if (!codePage932_) return [](unsigned char) { return false; };
        return [](unsigned char b) { return (b >= 0x81 && b <= 0x9F) || (b >= 0xE0 && b <= 0xFC); };
    }

private:
    std::vector<std::string> entries_;
    bool codePage932_;
};
