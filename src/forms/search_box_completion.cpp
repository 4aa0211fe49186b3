#include "forms/search_box_completion.h"

#include <algorithm>
#include <string>
#include <string_view>

#include "core/completion_rule.h"
#include "win/ansi_code_page.h"
#include "win/window_text.h"

namespace {

// UTF-16 units in the first `bytes` bytes of an ANSI text.
size_t UnitsIn(const std::string& text, size_t bytes) { return FromAnsi(std::string_view(text).substr(0, bytes)).size(); }

}  // namespace

// The edit field counts positions in UTF-16 units, the completion in bytes.
bool CompleteInSearchBox(const ComboHistoryList& list, HWND edit, std::string_view typed) {
    const HWND combo = list.Combo();
    const std::wstring wide = WideWindowText(edit);
    DWORD start = 0, end = 0;
    SendMessageW(edit, EM_GETSEL, reinterpret_cast<WPARAM>(&start), reinterpret_cast<LPARAM>(&end));
    start = std::min<DWORD>(start, static_cast<DWORD>(wide.size()));
    end = std::min<DWORD>(std::max(end, start), static_cast<DWORD>(wide.size()));
    const std::string text = ToAnsi(wide);
    const size_t byteStart = ToAnsi(std::wstring_view(wide).substr(0, start)).size();
    const size_t byteEnd = ToAnsi(std::wstring_view(wide).substr(0, end)).size();

    // The list's own prefix search; from index -1 it starts at the top.
    auto search = [combo, &list](std::string_view prefix) -> std::optional<HistoryMatch> {
        const std::string key(prefix);
        const LRESULT index =
            SendMessageA(combo, CB_FINDSTRING, static_cast<WPARAM>(-1), reinterpret_cast<LPARAM>(key.c_str()));
        if (index == CB_ERR) return std::nullopt;
        return HistoryMatch{static_cast<int>(index), list.Entry(static_cast<int>(index))};
    };
    const CompletionResult result = CompleteKey({text, byteStart, byteEnd, typed}, search, SystemCodePage());

    if (result.changed) {
        // Choosing the current entry also sets the text, so the text and the
        // selection come after it.
        SendMessageA(combo, CB_SETCURSEL, static_cast<WPARAM>(result.currentEntry), 0);
        SetWindowTextA(combo, result.text.c_str());
        SendMessageW(edit, EM_SETSEL, UnitsIn(result.text, result.selectionStart),
                     static_cast<LPARAM>(UnitsIn(result.text, result.selectionEnd)));
    }
    return result.consumed;
}
