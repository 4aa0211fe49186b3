#include "forms/search_history.h"

#include "core/history_rules.h"
#include "win/window_text.h"

void SearchHistory::Load() {
    if (!file_.Exists()) return;
    std::string bytes;
    try {
        bytes = file_.Read();
    } catch (const EFileOpenFailure&) {
        fileUnread_ = true;
        throw;
    }
    list_.Fill(ParseHistory(bytes));
}

void SearchHistory::Save() {
    if (fileUnread_) {
        const std::string bytes = file_.Read();
        for (const std::string_view entry : ParseHistory(bytes)) {
            if (list_.Count() >= kHistoryCap) break;
            if (!list_.ContainsIgnoringCase(entry)) list_.Append(entry);
        }
        fileUnread_ = false;
    }
    file_.Replace(SerializeHistory(list_.Entries()));
}

bool SearchHistory::Commit() { return CommitSearchText(list_, WindowText(list_.Combo())); }

bool SearchHistory::Clear() {
    if (!file_.Delete()) return false;
    list_.Clear();
    return true;
}
