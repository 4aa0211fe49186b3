// The search history: the search box's own list, with History.txt as its
// persistent copy. One object, made by the entry point and handed to the
// windows that use it; the main window attaches its search box.
#pragma once

#include <windows.h>

#include <deque>
#include <string>
#include <string_view>
#include <vector>

#include "forms/history_combo.h"
#include "forms/history_file.h"

class SearchHistory {
public:
    explicit SearchHistory(HistoryPlace place) : file_(place.folder), besideProgram_(place.besideProgram) {}
    // History.txt in the folder: a test's own.
    explicit SearchHistory(std::wstring folder) : SearchHistory(HistoryPlace{std::move(folder), true}) {}

    void Attach(HWND combo) { list_ = ComboHistoryList(combo); }
    const HistoryFile& File() const { return file_; }
    // False when the program's folder takes no files and the history is kept
    // in the user's own folder instead.
    bool KeptBesideProgram() const { return besideProgram_; }
    ComboHistoryList& List() { return list_; }

    // Fills the list from History.txt, if there is one; the search box's text
    // stays. Throws EFileOpenFailure, EListInsertFailure or whatever else
    // stopped the reading; the list then holds the entries read so far.
    void Load();
    // Writes the list to History.txt; on failure the old file stays as it
    // was. Throws EFileCreateFailure or EStreamWriteFailure. Entries loaded
    // from the file go back as the bytes they were, whatever the code page
    // made of them in the list. A file whose load did not complete is read
    // first and the rest of its entries follow the list's; while it still
    // cannot be read it is not replaced (EFileOpenFailure).
    void Save();
    // The commit rule applied to the search box's text; whether it was added.
    bool Commit();
    // Deletes History.txt, if any, and empties the search box's text and list
    // (even without a file: the list would otherwise be saved again). A file
    // that cannot be deleted changes nothing: false.
    bool Clear();

private:
    // Appends the file's entries from the first one not yet taken; with
    // `afterCommits`, leaves out those this run has committed already.
    void TakeEntries(std::string bytes, bool afterCommits);

    HistoryFile file_;
    bool besideProgram_;
    ComboHistoryList list_{nullptr};
    // The bytes of the entries taken from the file, as read; the list's
    // entries refer to them by number (tag n: kept_[n - 1]).
    std::deque<std::string> read_;
    std::vector<std::string_view> kept_;
    // Until every entry of the file is in the list, the file is not replaced
    // by the list alone; `taken_` of its entries are.
    bool fileUnread_ = false;
    size_t taken_ = 0;
    bool committed_ = false;  // this run added an entry
};
