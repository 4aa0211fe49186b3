// The search box's list as the history's storage: the combo box's own
// case-insensitive searches, insertion at the top, removal at the bottom.
#pragma once

#include <windows.h>

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
    void Append(std::string_view text);

    // One entry, as stored.
    std::string Entry(int index) const;
    // Every entry, top first.
    std::vector<std::string> Entries() const;
    // Replaces the entries; the search box's text stays. Throws
    // EListInsertFailure when the list cannot take an entry.
    void Fill(const std::vector<std::string_view>& entries);
    // Empties the search box: its text and every entry.
    void Clear();

private:
    HWND combo_;
};
