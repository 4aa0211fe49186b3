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

void SetMemoText(HWND edit, std::wstring_view text) {
    constexpr size_t kPiece = 2048;
    size_t done = 0;
    for (std::wstring piece; done == 0 || done < text.size(); done += piece.size()) {
        size_t size = std::min(kPiece, text.size() - done);
        if (done + size < text.size() && IS_HIGH_SURROGATE(text[done + size - 1])) --size;  // a pair stays whole
        piece.assign(text.substr(done, size));
        if (done == 0) {
            SetWindowTextW(edit, piece.c_str());
            if (piece.empty()) break;
            continue;
        }
        SendMessageW(edit, EM_SETSEL, done, static_cast<LPARAM>(done));
        SendMessageW(edit, EM_REPLACESEL, FALSE, reinterpret_cast<LPARAM>(piece.c_str()));
    }
    SendMessageW(edit, EM_SETSEL, 0, 0);
    SendMessageW(edit, EM_SCROLLCARET, 0, 0);
}
