#include "forms/history_combo.h"

#include "forms/history_calls.h"
#include "win/window_text.h"

namespace {

// The combo box's list box, which answers directly what the combo box would
// only pass on.
HWND ListOf(HWND combo) {
    COMBOBOXINFO info{};
    info.cbSize = sizeof info;
    return GetComboBoxInfo(combo, &info) ? info.hwndList : nullptr;
}

// One entry, as the ANSI text it was added as. Read through the Unicode
// messages: Wine passes an ANSI LB_GETTEXT through a fixed buffer of 512
// characters on the stack, which a longer entry overruns.
std::string ListText(HWND list, LRESULT index) {
    const LRESULT length = list ? SendMessageW(list, LB_GETTEXTLEN, static_cast<WPARAM>(index), 0) : 0;
    if (length <= 0) return {};
    std::wstring text(static_cast<size_t>(length) + 1, L'\0');
    const LRESULT got =
        SendMessageW(list, LB_GETTEXT, static_cast<WPARAM>(index), reinterpret_cast<LPARAM>(text.data()));
    text.resize(got > 0 ? static_cast<size_t>(got) : 0);
    return ToAnsi(text);
}

bool Failed(LRESULT result) { return result == CB_ERR || result == CB_ERRSPACE; }

// Adds an entry at `at` (-1: the end) with its tag; throws when the list
// cannot take it.
void AddEntry(HWND combo, WPARAM at, const char* text, LPARAM tag) {
    const LRESULT index = HistoryCallFails(HistoryCall::Insert)
                              ? CB_ERRSPACE
                              : SendMessageA(combo, at == static_cast<WPARAM>(-1) ? CB_ADDSTRING : CB_INSERTSTRING,
                                             at == static_cast<WPARAM>(-1) ? 0 : at, reinterpret_cast<LPARAM>(text));
    if (Failed(index)) throw EListInsertFailure();
    SendMessageA(combo, CB_SETITEMDATA, static_cast<WPARAM>(index), tag);
}

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

// Straight to the list box, with its repainting off: the combo box's own
// WM_SETREDRAW does not reach a list that is not dropped down, and with it on
// each removal costs the list several times the removal itself (a list
// loaded from a hand-edited file may have thousands to lose).
void ComboHistoryList::KeepFirst(std::size_t count) {
    const HWND list = ListOf(combo_);
    const LRESULT total = list ? SendMessageA(list, LB_GETCOUNT, 0, 0) : 0;
    if (total <= static_cast<LRESULT>(count)) return;
    SendMessageA(list, WM_SETREDRAW, FALSE, 0);
    for (LRESULT last = total - 1; last >= static_cast<LRESULT>(count); --last)
        SendMessageA(list, LB_DELETESTRING, static_cast<WPARAM>(last), 0);
    SendMessageA(list, WM_SETREDRAW, TRUE, 0);
}

void ComboHistoryList::InsertAtTop(std::string_view text) { AddEntry(combo_, 0, std::string(text).c_str(), 0); }

void ComboHistoryList::Append(std::string_view text, LPARAM tag) {
    AddEntry(combo_, static_cast<WPARAM>(-1), std::string(text).c_str(), tag);
}

// The search goes on after each match until it wraps to the first one.
bool ComboHistoryList::HoldsUntaggedIgnoringCase(std::string_view text) const {
    const std::string key(text);
    const auto find = [&](LRESULT after) {
        return SendMessageA(combo_, CB_FINDSTRINGEXACT, static_cast<WPARAM>(after), reinterpret_cast<LPARAM>(key.c_str()));
    };
    const LRESULT first = find(-1);
    for (LRESULT match = first; match != CB_ERR;) {
        if (SendMessageA(combo_, CB_GETITEMDATA, static_cast<WPARAM>(match), 0) == 0) return true;
        match = find(match);
        if (match <= first) break;
    }
    return false;
}

std::string ComboHistoryList::Entry(int index) const { return ListText(ListOf(combo_), index); }

std::vector<std::string> ComboHistoryList::Entries(std::span<const std::string_view> kept) const {
    const HWND list = ListOf(combo_);
    const LRESULT count = list ? SendMessageA(list, LB_GETCOUNT, 0, 0) : 0;
    std::vector<std::string> entries;
    entries.reserve(count > 0 ? static_cast<size_t>(count) : 0);
    for (LRESULT i = 0; i < count; ++i) {
        const LRESULT tag = SendMessageA(list, LB_GETITEMDATA, static_cast<WPARAM>(i), 0);
        if (tag > 0 && static_cast<size_t>(tag) <= kept.size()) entries.emplace_back(kept[static_cast<size_t>(tag) - 1]);
        else entries.push_back(ListText(list, i));
    }
    return entries;
}

void ComboHistoryList::Fill(const std::vector<std::string_view>& entries, LPARAM firstTag) {
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
    LPARAM tag = firstTag;
    for (const std::string_view entry : entries) {
        line.assign(entry);
        AddEntry(combo_, static_cast<WPARAM>(-1), line.c_str(), tag++);
    }
}

void ComboHistoryList::Clear() {
    SendMessageA(combo_, CB_RESETCONTENT, 0, 0);
    SetWindowTextA(combo_, "");
}
