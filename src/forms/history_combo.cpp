#include "forms/history_combo.h"

#include "win/window_text.h"

namespace {

// The combo box's list box, which answers directly what the combo box would
// only pass on.
HWND ListOf(HWND combo) {
    COMBOBOXINFO info{};
    info.cbSize = sizeof info;
    return GetComboBoxInfo(combo, &info) ? info.hwndList : nullptr;
}

bool Failed(LRESULT result) { return result == CB_ERR || result == CB_ERRSPACE; }

}  // namespace

std::size_t ComboHistoryList::Count() const {
    const LRESULT count = SendMessageA(combo_, CB_GETCOUNT, 0, 0);
    return count > 0 ? static_cast<std::size_t>(count) : 0;
}

bool ComboHistoryList::ContainsIgnoringCase(std::string_view text) const {
    const std::string key(text);
    return SendMessageA(combo_, CB_FINDSTRINGEXACT, static_cast<WPARAM>(-1), reinterpret_cast<LPARAM>(key.c_str())) !=
           CB_ERR;
}

void ComboHistoryList::RemoveLast() { SendMessageA(combo_, CB_DELETESTRING, Count() - 1, 0); }

void ComboHistoryList::InsertAtTop(std::string_view text) {
    const std::string entry(text);
    if (Failed(SendMessageA(combo_, CB_INSERTSTRING, 0, reinterpret_cast<LPARAM>(entry.c_str()))))
        throw EListInsertFailure();
}

void ComboHistoryList::Append(std::string_view text) {
    const std::string entry(text);
    if (Failed(SendMessageA(combo_, CB_ADDSTRING, 0, reinterpret_cast<LPARAM>(entry.c_str()))))
        throw EListInsertFailure();
}

std::string ComboHistoryList::Entry(int index) const {
    const LRESULT length = SendMessageA(combo_, CB_GETLBTEXTLEN, static_cast<WPARAM>(index), 0);
    if (length <= 0) return {};
    std::string entry(static_cast<size_t>(length) + 1, '\0');
    const LRESULT got =
        SendMessageA(combo_, CB_GETLBTEXT, static_cast<WPARAM>(index), reinterpret_cast<LPARAM>(entry.data()));
    entry.resize(got > 0 ? static_cast<size_t>(got) : 0);
    return entry;
}

std::vector<std::string> ComboHistoryList::Entries() const {
    const HWND list = ListOf(combo_);
    const LRESULT count = list ? SendMessageA(list, LB_GETCOUNT, 0, 0) : 0;
    std::vector<std::string> entries;
    entries.reserve(count > 0 ? static_cast<size_t>(count) : 0);
    std::string buffer;
    for (LRESULT i = 0; i < count; ++i) {
        const LRESULT length = SendMessageA(list, LB_GETTEXTLEN, i, 0);
        if (length <= 0) {
            entries.emplace_back();
            continue;
        }
        buffer.resize(static_cast<size_t>(length) + 1);
        const LRESULT got = SendMessageA(list, LB_GETTEXT, i, reinterpret_cast<LPARAM>(buffer.data()));
        entries.emplace_back(buffer.data(), got > 0 ? static_cast<size_t>(got) : 0);
    }
    return entries;
}

void ComboHistoryList::Fill(const std::vector<std::string_view>& entries) {
    // CB_RESETCONTENT also clears the edit field, so the text is put back.
    const std::string text = WindowText(combo_);
    SendMessageA(combo_, CB_RESETCONTENT, 0, 0);
    SetWindowTextA(combo_, text.c_str());
    // Room for every entry at once instead of growing the list line by line,
    // and no repainting until the list is complete.
    size_t bytes = 0;
    for (const std::string_view entry : entries) bytes += entry.size() + 1;
    SendMessageA(combo_, CB_INITSTORAGE, entries.size(), bytes);
    SendMessageA(combo_, WM_SETREDRAW, FALSE, 0);
    struct RedrawAgain {
        HWND combo;
        ~RedrawAgain() { SendMessageA(combo, WM_SETREDRAW, TRUE, 0); }
    } redrawAgain{combo_};
    // Each entry is copied into one buffer for its terminating zero: no
    // allocation per entry.
    std::string line;
    for (const std::string_view entry : entries) {
        line.assign(entry);
        if (Failed(SendMessageA(combo_, CB_ADDSTRING, 0, reinterpret_cast<LPARAM>(line.c_str()))))
            throw EListInsertFailure();
    }
}

void ComboHistoryList::Clear() {
    SendMessageA(combo_, CB_RESETCONTENT, 0, 0);
    SetWindowTextA(combo_, "");
}
