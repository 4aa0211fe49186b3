#include "forms/search_history.h"

#include "core/history_rules.h"
#include "win/window_text.h"

// The mark goes only once the list holds the whole file: a load stopped at
// any step leaves it, and the next save takes the rest first.
void SearchHistory::Load() {
    read_.clear();
    kept_.clear();
    taken_ = 0;
    committed_ = false;
    fileUnread_ = true;
    TakeEntries(file_.Read(), false);
    fileUnread_ = false;
}

void SearchHistory::TakeEntries(std::string bytes, bool afterCommits) {
    const std::vector<std::string_view> entries = ParseHistory(read_.emplace_back(std::move(bytes)));
    if (taken_ >= entries.size()) return;
    if (!afterCommits) {
        const std::vector<std::string_view> rest(entries.begin() + static_cast<std::ptrdiff_t>(taken_), entries.end());
        const LPARAM firstTag = static_cast<LPARAM>(kept_.size()) + 1;
        kept_.insert(kept_.end(), rest.begin(), rest.end());
        const size_t before = list_.Count();
        try {
            list_.Fill(rest, firstTag);
        } catch (...) {
            taken_ += list_.Count() - before;
            throw;
        }
        taken_ += rest.size();
        return;
    }
    for (; taken_ < entries.size(); ++taken_) {
        const std::string_view entry = entries[taken_];
        if (list_.HoldsUntaggedIgnoringCase(entry)) continue;
        kept_.push_back(entry);
        list_.Append(entry, static_cast<LPARAM>(kept_.size()));
    }
    // As the first commit after a whole load would have.
    if (committed_) list_.KeepFirst(kHistoryCap);
}

void SearchHistory::Save() {
    if (fileUnread_) {
        TakeEntries(file_.Read(), true);
        fileUnread_ = false;
    }
    file_.Replace(SerializeHistory(list_.Entries(kept_)));
}

bool SearchHistory::Commit() {
    const bool added = CommitSearchText(list_, WindowText(list_.Combo()));
    committed_ = committed_ || added;
    return added;
}

bool SearchHistory::Clear() {
    if (!file_.Delete()) return false;
    list_.Clear();
    read_.clear();
    kept_.clear();
    fileUnread_ = false;
    taken_ = 0;
    return true;
}
