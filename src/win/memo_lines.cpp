#include "win/memo_lines.h"

#include <algorithm>

#include "win/window_text.h"

int MemoLines::DisplayLines() const { return static_cast<int>(SendMessageA(edit_, EM_GETLINECOUNT, 0, 0)); }

int MemoLines::Count() const {
    const int lines = DisplayLines();
    if (lines <= 0) return 0;
    const LRESULT lastStart = SendMessageA(edit_, EM_LINEINDEX, static_cast<WPARAM>(lines - 1), 0);
    return SendMessageA(edit_, EM_LINELENGTH, static_cast<WPARAM>(lastStart), 0) == 0 ? lines - 1 : lines;
}

std::string MemoLines::Line(int index) const {
    if (index < 0 || index >= DisplayLines()) return {};
    const LRESULT start = SendMessageA(edit_, EM_LINEINDEX, static_cast<WPARAM>(index), 0);
    const LRESULT length = SendMessageA(edit_, EM_LINELENGTH, static_cast<WPARAM>(start), 0);
    if (start < 0 || length <= 0) return {};
    // Read through the Unicode messages and converted: Wine counts the
    // length in characters, and a double-byte character would not fit an
    // ANSI buffer of that many bytes. EM_GETLINE takes the buffer's size in
    // its first character.
    std::wstring line(static_cast<size_t>(length), L'\0');
    line[0] = static_cast<wchar_t>(std::min<size_t>(line.size(), 0xFFFF));
    const LRESULT got = SendMessageW(edit_, EM_GETLINE, static_cast<WPARAM>(index), reinterpret_cast<LPARAM>(line.data()));
    line.resize(got > 0 ? static_cast<size_t>(got) : 0);
    return ToAnsi(line);
}

void MemoLines::Replace(int index, const std::string& text) {
    if (index < 0 || index >= DisplayLines()) return;
    const LRESULT start = SendMessageA(edit_, EM_LINEINDEX, static_cast<WPARAM>(index), 0);
    const LRESULT length = SendMessageA(edit_, EM_LINELENGTH, static_cast<WPARAM>(start), 0);
    SendMessageA(edit_, EM_SETSEL, static_cast<WPARAM>(start), start + length);
    SendMessageA(edit_, EM_REPLACESEL, TRUE, reinterpret_cast<LPARAM>(text.c_str()));
}

namespace {

// Where a piece of `text` from `start` ends: at most kMost units, and at most
// kLongest units of any one line. Each piece costs the control a walk over all
// its display lines before it, so pieces of many short lines are large.
size_t PieceEnd(std::wstring_view text, size_t start) {
    constexpr size_t kMost = 65536, kLongest = 2048;
    const std::wstring_view ahead = text.substr(0, std::min(text.size(), start + kMost));
    size_t end = ahead.size();
    for (size_t line = start;; line = end + 1) {
        const size_t next = ahead.find(L'\n', line);
        if (next == std::wstring_view::npos || next - line >= kLongest) {
            end = std::min(ahead.size(), line + kLongest);
            break;
        }
        end = next;
    }
    if (end < text.size() && IS_HIGH_SURROGATE(text[end - 1])) --end;  // a pair stays whole
    return end;
}

}  // namespace

void SetMemoText(HWND edit, std::wstring_view text) {
    const size_t first = PieceEnd(text, 0);
    SetWindowTextW(edit, std::wstring(text.substr(0, first)).c_str());
    for (size_t done = first; done < text.size();) {
        const size_t end = PieceEnd(text, done);
        SendMessageW(edit, EM_SETSEL, done, static_cast<LPARAM>(done));
        SendMessageW(edit, EM_REPLACESEL, FALSE, reinterpret_cast<LPARAM>(std::wstring(text.substr(done, end - done)).c_str()));
        done = end;
    }
    SendMessageW(edit, EM_SETSEL, 0, 0);
    SendMessageW(edit, EM_SCROLLCARET, 0, 0);
}
