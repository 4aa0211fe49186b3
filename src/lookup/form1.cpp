#include "lookup/form1.h"

#include <array>
#include <optional>

#include "lookup/fsetting.h"
#include "lookup/history_store.h"
#include "lookup/lookup_address.h"
#include "lookup/open_address.h"
#include "lookup/query_text.h"
#include "lookup/search_completion.h"
#include "shell/application.h"
#include "shell/button_glyph.h"
#include "shell/message_boxes.h"
#include "shell/window_text.h"

TForm1* Form1 = nullptr;

namespace {

constexpr std::array<ControlSpec, 2> kControls{{
    {"COMBOBOX", "ComboBoxSearch", TForm1::kComboBoxSearch, "", 8, 8, 201, 21,
     CBS_DROPDOWN | CBS_AUTOHSCROLL | WS_VSCROLL},
    {"BUTTON", "BitBtnGo", TForm1::kBitBtnGo, "Lookup", 216, 5, 73, 25, BS_PUSHBUTTON},
}};

constexpr FormSpec kSpec{
    "TForm1",
    "WHOIS Lookup",
    WS_CAPTION | WS_SYSMENU | WS_CLIPSIBLINGS,
    WS_EX_TOOLWINDOW | WS_EX_TOPMOST,
    573,
    143,
    296,
    35,
    "MS Sans Serif",
    8,
    kControls,
};

constexpr int kVisibleListEntries = 8;
constexpr char kFormProperty[] = "Quorvane.TForm1";
constexpr char kGlyphResource[] = "LOOKUPGLYPH";


}  // namespace

TForm1::TForm1() : Form(kSpec) {}

HWND TForm1::SearchEdit() const {
    COMBOBOXINFO info{};
    info.cbSize = sizeof info;
    return GetComboBoxInfo(ComboBoxSearch(), &info) ? info.hwndItem : nullptr;
}

std::string TForm1::SearchText() const { return WindowText(ComboBoxSearch()); }

void TForm1::ControlsCreated() {
    const HWND combo = ComboBoxSearch();
    SendMessageA(combo, CB_SETMINVISIBLE, kVisibleListEntries, 0);
    SendMessageA(combo, CB_LIMITTEXT, 0, 0);  // no limit
    SetWindowTextA(combo, std::string(kPlaceholderText).c_str());
    // The edit field is subclassed with a Unicode procedure: a typed
    // character then arrives whole, and a double-byte one is split into its
    // lead and trail bytes here, whatever the platform's conversions do.
    const HWND edit = SearchEdit();
    SetPropA(edit, kFormProperty, this);
    searchEditProc_ = reinterpret_cast<WNDPROC>(
        SetWindowLongPtrW(edit, GWLP_WNDPROC, reinterpret_cast<LONG_PTR>(SearchEditProc)));
    LoadButtonGlyph();
    const HMENU menu = GetSystemMenu(Handle(), FALSE);
    AppendMenuA(menu, MF_SEPARATOR, 0, nullptr);
    AppendMenuA(menu, MF_STRING, kSettingsCommand, "Settings...");
}

void TForm1::LoadButtonGlyph() {
    glyph_ = SetButtonGlyph(BitBtnGo(), kGlyphResource, Dpi());
}

void TForm1::FormCreate() {
    if (!guard_.Acquire()) {
        // A copy already runs: say so and end before anything else happens.
        ShowWarningBox(kAlreadyRunningText);
        Application.Terminate();
        return;
    }
    // A history that cannot be read is reported; the window still starts
    // with an empty list and the rest of its set-up.
    RunReportingFailures([this] { LoadSearchHistory(ComboBoxSearch()); });
    // Queries committed since the last close are kept when the program ends.
    Application.OnEnding = [this](bool sessionEnding) {
        if (sessionEnding) {
            try {
                SaveSearchHistory(ComboBoxSearch());
            } catch (...) {
                // The session is going away: nobody is left to read a message.
            }
        } else {
            RunReportingFailures([this] { SaveSearchHistory(ComboBoxSearch()); });
        }
    };
}

void TForm1::FormDestroy() {
    Application.OnEnding = nullptr;
    guard_.Release();
}

// A close request writes the history; a failure to write stops the close.
void TForm1::FormClose() { SaveSearchHistory(ComboBoxSearch()); }

// Looks up the search box's text as typed, unless it is blank or the placeholder.
void TForm1::BitBtnGoClick() {
    const std::string text = SearchText();
    if (!IsQueryText(text)) return;
    OpenAddress(Handle(), MakeLookupAddress(text));
}

// Enter commits the text and clicks the Lookup button; the key then goes on
// to the search box as usual. A failed commit stops the lookup.
void TForm1::ComboBoxSearchKeyPress(char key) {
    if (key != '\r') return;
    CommitSearchText(ComboBoxSearch());
    BitBtnGoClick();
}

void TForm1::ComboBoxSearchExit() { CommitSearchText(ComboBoxSearch()); }

void TForm1::ClearHistory1Click() {
    if (FormSetting) FormSetting->Show();
}

LRESULT TForm1::HandleMessage(UINT message, WPARAM wParam, LPARAM lParam) {
    switch (message) {
        case WM_COMMAND:
            if (LOWORD(wParam) == kBitBtnGo && HIWORD(wParam) == BN_CLICKED) {
                BitBtnGoClick();
                return 0;
            }
            break;
        case WM_CLOSE:
            FormClose();
            return 0;
        case WM_SYSCOMMAND:
            if ((wParam & 0xFFF0) == kSettingsCommand) {
                ClearHistory1Click();
                return 0;
            }
            break;
        case WM_DPICHANGED: {
            const LRESULT result = Form::HandleMessage(message, wParam, lParam);
            LoadButtonGlyph();
            return result;
        }
    }
    return Form::HandleMessage(message, wParam, lParam);
}

LRESULT CALLBACK TForm1::SearchEditProc(HWND edit, UINT message, WPARAM wParam, LPARAM lParam) {
    auto* self = static_cast<TForm1*>(GetPropA(edit, kFormProperty));
    if (!self) return DefWindowProcW(edit, message, wParam, lParam);
    LRESULT result = 0;
    RunReportingFailures([&] { result = self->SearchEditMessage(edit, message, wParam, lParam); });
    return result;
}


LRESULT TForm1::SearchEditMessage(HWND edit, UINT message, WPARAM wParam, LPARAM lParam) {
    switch (message) {
        case WM_GETDLGCODE: {
            LRESULT code = CallWindowProcW(searchEditProc_, edit, message, wParam, lParam);
            const auto* msg = reinterpret_cast<const MSG*>(lParam);
            if (msg && (msg->message == WM_KEYDOWN || msg->message == WM_CHAR) && msg->wParam == VK_RETURN)
                code |= DLGC_WANTMESSAGE;
            return code;
        }
        case WM_CHAR: {
            // The character in the ANSI code page: one byte, or a lead and a
            // trail byte. One that has no ANSI form is left to the edit field.
            const wchar_t typed = static_cast<wchar_t>(wParam);
            char bytes[2];
            const int count = WideCharToMultiByte(CP_ACP, WC_NO_BEST_FIT_CHARS, &typed, 1, bytes, 2, nullptr, nullptr);
            if (count < 1) break;
            ComboBoxSearchKeyPress(bytes[0]);
            if (CompleteInSearchBox(ComboBoxSearch(), edit, bytes[0],
                                    count == 2 ? std::optional<char>(bytes[1]) : std::nullopt))
                return 0;
            break;
        }
        case WM_KILLFOCUS: {
            // Only a move to another control of this window counts as leaving.
            const HWND next = reinterpret_cast<HWND>(wParam);
            if (next && IsChild(Handle(), next) && next != ComboBoxSearch() && !IsChild(ComboBoxSearch(), next))
                ComboBoxSearchExit();
            break;
        }
        case WM_NCDESTROY:
            SetWindowLongPtrW(edit, GWLP_WNDPROC, reinterpret_cast<LONG_PTR>(searchEditProc_));
            RemovePropA(edit, kFormProperty);
            break;
    }
    return CallWindowProcW(searchEditProc_, edit, message, wParam, lParam);
}
