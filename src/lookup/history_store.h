// The search history in the search box's own list and its copy in
// History.txt beside the executable.
#pragma once

#include <windows.h>

#include <string>

// The executable's folder followed by "History.txt".
std::string HistoryFilePath();
// In-process tests keep their files in a folder of their own; an empty folder
// restores the executable's.
void SetHistoryFolder(std::string folder);
// Whether a file (not a folder) exists at the path.
bool IsFile(const std::string& path);

// Fills the list from History.txt, if there is one; the search box's text is
// left alone. Throws EFileOpenFailure when the file cannot be read and
// EListInsertFailure when the list cannot take an entry.
void LoadSearchHistory(HWND combo);
// Writes the list to History.txt. The list goes to a new file first, which
// then replaces History.txt in one step, so a failed save leaves the old file
// as it was. Throws EFileCreateFailure or EStreamWriteFailure.
void SaveSearchHistory(HWND combo);
// The commit rule applied to the search box's current text.
bool CommitSearchText(HWND combo);
// One entry of the search box's list.
std::string HistoryEntry(HWND combo, int index);
// Empties the search box: its text and every entry of its list.
void ClearSearchBox(HWND combo);
