// The completion run on the live search box: its text and selection as ANSI
// bytes, the list's own prefix search, and the result put back.
#pragma once

#include <windows.h>

#include <optional>

#include "forms/history_combo.h"

// A typed character, as its one ANSI byte or its lead and trail bytes.
// Returns whether the completion consumed it.
bool CompleteInSearchBox(const ComboHistoryList& list, HWND edit, char typed, std::optional<char> trailByte);
