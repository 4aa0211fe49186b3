#include "forms/search_history.h"

#include "core/history_rules.h"
#include "win/window_text.h"

void SearchHistory::Load() {
    if (!file_.Exists()) return;
    list_.Fill(ParseHistory(file_.Read()));
}

void SearchHistory::Save() const { file_.Replace(SerializeHistory(list_.Entries())); }

bool SearchHistory::Commit() { return CommitSearchText(list_, WindowText(list_.Combo())); }

bool SearchHistory::Clear() {
    if (!file_.Delete()) return false;
    list_.Clear();
    return true;
}
