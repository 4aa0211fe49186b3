#include "forms/search_box_completion.h"

#include <algorithm>
#include <string>
#include <string_view>

#include "core/completion_rule.h"
#include "win/window_text.h"

namespace {

// Characters in the first `bytes` bytes of an ANSI text.
size_t CharactersIn(const std::string& text, size_t bytes) {
    if (bytes == 0) return 0;
    return static_cast<size_t>(MultiByteToWideChar(CP_ACP, 0, text.data(), static_cast<int>(bytes), nullptr, 0));
}

}  // namespace

// The edit field counts positions in characters, the completion in bytes.
bool CompleteInSearchBox(const ComboHistoryList& list, HWND edit, char typed, std::optional<char> trailByte) {
    const HWND combo = list.Combo();
    std::wstring wide(static_cast<size_t>(GetWindowTextLengthW(edit)) + 1, L'\0');
    wide.resize(static_cast<size_t>(GetWindowTextW(edit, wide.data(), static_cast<int>(wide.size()))));
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
    auto isLeadByte = [](unsigned char byte) { return IsDBCSLeadByte(byte) != FALSE; };
    const CompletionResult result = CompleteKey({text, byteStart, byteEnd, typed, trailByte}, search, isLeadByte);

    if (result.changed) {
        // Choosing the current entry also sets the text, so the text and the
        // selection come after it.
        SendMessageA(combo, CB_SETCURSEL, static_cast<WPARAM>(result.currentEntry), 0);
        SetWindowTextA(combo, result.text.c_str());
        SendMessageW(edit, EM_SETSEL, CharactersIn(result.text, result.selectionStart),
                     static_cast<LPARAM>(CharactersIn(result.text, result.selectionEnd)));
    }
    return result.consumed;
}
