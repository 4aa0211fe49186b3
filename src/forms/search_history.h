// The search history: the search box's own list, with History.txt as its
// persistent copy. One object, made by the entry point and handed to the
// windows that use it; the main window attaches its search box.
#pragma once

#include <windows.h>

#include <string>

#include "forms/history_combo.h"
#include "forms/history_file.h"

class SearchHistory {
public:
    // History.txt in the folder: the executable's, or a test's own.
    explicit SearchHistory(std::wstring folder) : file_(std::move(folder)) {}

    void Attach(HWND combo) { list_ = ComboHistoryList(combo); }
    const HistoryFile& File() const { return file_; }
    ComboHistoryList& List() { return list_; }

    // Fills the list from History.txt, if there is one; the search box's text
    // stays. Throws EFileOpenFailure or EListInsertFailure.
    void Load();
    // Writes the list to History.txt; on failure the old file stays as it
    // was. Throws EFileCreateFailure or EStreamWriteFailure. A file that could
    // not be read at the load is read first: its entries that the list does
    // not hold follow the list's (up to the cap), and while it still cannot be
    // read it is not replaced (EFileOpenFailure).
    void Save();
    // The commit rule applied to the search box's text; whether it was added.
    bool Commit();
    // Deletes History.txt, if any, and empties the search box's text and list
    // (even without a file: the list would otherwise be saved again). A file
    // that cannot be deleted changes nothing: false.
    bool Clear();

private:
    HistoryFile file_;
    ComboHistoryList list_{nullptr};
    bool fileUnread_ = false;  // the load failed: the file's entries are not in the list
};
