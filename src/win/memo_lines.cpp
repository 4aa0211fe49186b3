#include "win/memo_lines.h"

#include <algorithm>

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
    // EM_GETLINE takes the buffer's size in its first word, so at least two bytes.
    std::string line(std::max<size_t>(static_cast<size_t>(length), 2), '\0');
    const size_t capacity = std::min<size_t>(line.size(), 0xFFFF);
    line[0] = static_cast<char>(capacity & 0xFF);
    line[1] = static_cast<char>(capacity >> 8);
    const LRESULT got = SendMessageA(edit_, EM_GETLINE, static_cast<WPARAM>(index), reinterpret_cast<LPARAM>(line.data()));
    line.resize(got > 0 ? static_cast<size_t>(got) : 0);
    return line;
}

void MemoLines::Replace(int index, const std::string& text) {
    if (index < 0 || index >= DisplayLines()) return;
    const LRESULT start = SendMessageA(edit_, EM_LINEINDEX, static_cast<WPARAM>(index), 0);
    const LRESULT length = SendMessageA(edit_, EM_LINELENGTH, static_cast<WPARAM>(start), 0);
    SendMessageA(edit_, EM_SETSEL, static_cast<WPARAM>(start), start + length);
    SendMessageA(edit_, EM_REPLACESEL, TRUE, reinterpret_cast<LPARAM>(text.c_str()));
}
