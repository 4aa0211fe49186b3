// The search box's list as the history's storage: the combo box's own
// case-insensitive searches, insertion at the top, removal at the bottom.
#pragma once

#include <windows.h>

#include <span>
#include <string>
#include <string_view>
#include <vector>

#include "core/history_rules.h"

class ComboHistoryList : public HistoryList {
public:
    explicit ComboHistoryList(HWND combo) : combo_(combo) {}
    HWND Combo() const { return combo_; }
    std::size_t Count() const override;
    bool ContainsIgnoringCase(std::string_view text) const override;
    void KeepFirst(std::size_t count) override;
    void InsertAtTop(std::string_view text) override;
    // Throws EListInsertFailure when the list cannot take the entry.
    void Append(std::string_view text, LPARAM tag);
    // Whether an entry that carries no tag (one committed in this run)
    // matches the text, without regard to letter case.
    bool HoldsUntaggedIgnoringCase(std::string_view text) const;

    // One entry, as stored.
    std::string Entry(int index) const;
    // Every entry, top first. An entry tagged n is given as kept[n - 1], the
    // bytes it came with, rather than as the list turned them into text.
    std::vector<std::string> Entries(std::span<const std::string_view> kept) const;
    // Replaces the entries, tagging them firstTag, firstTag + 1, ...; the
    // search box's text stays. Throws EListInsertFailure when the list cannot
    // take an entry: those before it stay.
    void Fill(const std::vector<std::string_view>& entries, LPARAM firstTag);
    // Empties the search box: its text and every entry.
    void Clear();

private:
    HWND combo_;
};
