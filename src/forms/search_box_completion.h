// The completion run on the live search box: its text and selection as ANSI
// bytes, the list's own prefix search, and the result put back.
#pragma once

#include <windows.h>

#include <string_view>

#include "forms/history_combo.h"

// A typed character, as its ANSI bytes (one to four, whole). Returns whether
// the completion consumed it.
bool CompleteInSearchBox(const ComboHistoryList& list, HWND edit, std::string_view typed);
