#include "forms/main_window.h"

#include <commctrl.h>

#include <algorithm>
#include <array>
#include <optional>
#include <string>
#include <utility>

#include "core/hotkey_rules.h"
#include "core/lookup_address.h"
#include "core/query_text.h"
#include "core/texts.h"
#include "forms/command_line_query.h"
#include "forms/open_address.h"
#include "forms/search_box_completion.h"
#include "win/ansi_code_page.h"
#include "win/failure_boundary.h"
#include "win/tray_icon.h"
#include "win/window_text.h"

TForm1* Form1 = nullptr;

namespace {

constexpr std::array<ControlLayout, 2> kControls{{
    {.windowClass = "COMBOBOX", .name = "ComboBoxSearch", .id = TForm1::kComboBoxSearch,
     .left = 8, .top = 8, .width = 201, .height = 21, .style = CBS_DROPDOWN | CBS_AUTOHSCROLL | WS_VSCROLL,
     .accessible = {.name = texts::kSearchBoxName}},
    {.windowClass = "BUTTON", .name = "BitBtnGo", .id = TForm1::kBitBtnGo, .caption = texts::kLookupButton,
     .left = 216, .top = 5, .width = 73, .height = 25, .style = BS_PUSHBUTTON, .picture = "LOOKUPGLYPH"},
}};

constexpr FormLayout kLayout{
    .windowClass = TForm1::kWindowClass,
    .caption = texts::kMainCaption,
    .style = WS_CAPTION | WS_SYSMENU | WS_CLIPSIBLINGS,
    .exStyle = WS_EX_TOOLWINDOW | WS_EX_TOPMOST,
    .left = 573,
    .top = 143,
    .clientWidth = 296,
    .clientHeight = 35,
    .controls = kControls,
};

// The hotkey rules' numbers are the platform's.
static_assert(hotkey::kFlagShift == HOTKEYF_SHIFT && hotkey::kFlagControl == HOTKEYF_CONTROL &&
              hotkey::kFlagAlt == HOTKEYF_ALT && hotkey::kFlagExtended == HOTKEYF_EXT);
static_assert(hotkey::kModShift == MOD_SHIFT && hotkey::kModControl == MOD_CONTROL && hotkey::kModAlt == MOD_ALT);
static_assert((hotkey::kFlagWindows & (HOTKEYF_SHIFT | HOTKEYF_CONTROL | HOTKEYF_ALT | HOTKEYF_EXT)) == 0);

constexpr int kVisibleListEntries = 8;
constexpr char kFormProperty[] = "Quorvane.TForm1";
// Posted to the window itself for each queued lookup.
constexpr UINT kLookUpQueuedMessage = WM_APP + 1;

}  // namespace

TForm1::TForm1(SearchHistory& history) : Form(kLayout), history_(history) {}

// The base's destructor could run only the base's own destruction step, and
// the icon must go with the window.
TForm1::~TForm1() { Destroy(); }

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
    SetWindowTextA(combo, std::string(texts::kPlaceholder).c_str());
    history_.Attach(combo);
    // The edit field is subclassed with a Unicode procedure: a typed
    // character then arrives whole (or as two surrogates), and is converted
    // to the ANSI code page here, whatever the platform's conversions do.
    const HWND edit = SearchEdit();
    Annotate(edit, kControls[0].accessible);  // named like the box, not for its text
    SetPropA(edit, kFormProperty, this);
    searchEditProc_ = reinterpret_cast<WNDPROC>(
        SetWindowLongPtrW(edit, GWLP_WNDPROC, reinterpret_cast<LONG_PTR>(SearchEditProc)));
    const HMENU menu = GetSystemMenu(Handle(), FALSE);
    AppendMenuA(menu, MF_SEPARATOR, 0, nullptr);
    AppendMenuA(menu, MF_STRING, kSettingsCommand, texts::kSettingsCommand);
}

// A history that cannot be read is reported; the window still starts with an
// empty list and the rest of its set-up: the icon's record (the icon itself
// comes with the first activation) and its menu.
void TForm1::FormCreate() {
    RunReportingFailures([this] { history_.Load(); });
    trayIcon_.Set(MakeTrayIconData(Handle(), nullptr, texts::kTrayTip, SystemCodePage()));
    trayIcon_.SetImage(SmallProgramIcon(Dpi()));
    popupMenu1_.Reset(CreatePopupMenu());
    AppendMenuA(popupMenu1_.Get(), MF_STRING, kWhoisLookup1, texts::kMenuWhoisLookup);
    AppendMenuA(popupMenu1_.Get(), MF_STRING, kBulkWhoisLookup1, texts::kMenuBulkWhoisLookup);
    AppendMenuA(popupMenu1_.Get(), MF_STRING, kAbout1, texts::kMenuAboutExit);
    PlaceAboveNotificationArea(Handle());
}

void TForm1::FormDestroy() {
    UnregisterHotKey(Handle(), kHotkeyId);
    trayIcon_.Remove();
}

// From the first activation on, the program lives in the icon.
void TForm1::FormActivate() {
    trayIcon_.Add();
    Host().HideTaskbarEntry();
}

// A close request writes the history and hides the program instead of
// closing; a failure to write stops it there, and the window stays.
bool TForm1::FormClose() {
    history_.Save();
    Host().Minimize();
    return false;
}

// The icon is added here too: a program started minimized was never
// activated, and a hidden program without its icon could not be brought back.
void TForm1::HideToTray() {
    Hide();
    Host().HideTaskbarEntry();
    trayIcon_.Add();
}

void TForm1::DpiChanged() { trayIcon_.SetImage(SmallProgramIcon(Dpi())); }

void TForm1::WMTrayIcon(UINT mouseMessage) {
    switch (mouseMessage) {
        case WM_LBUTTONUP:
        case WM_LBUTTONDBLCLK:
            RestoreMainWindow();
            break;
        case WM_RBUTTONDOWN: {
            // Enter or Space on the icon, chosen from the keyboard, restores as a click does.
            if (RightPressCameFromEnterOrSpace()) {
                RestoreMainWindow();
                break;
            }
            POINT at{};
            GetCursorPos(&at);
            if (popupMenu1_) TrackTrayMenu(Handle(), popupMenu1_.Get(), at);
            break;
        }
    }
}

// The direct way spares activations, each a round trip to the display.
void TForm1::RestoreMainWindow(bool direct) {
    if (direct) Host().RestoreUnactivated();
    else Host().Restore();
    if (IsIconic(Handle())) ShowWindow(Handle(), SW_RESTORE);
    Show();
    if (direct) SetForegroundWindow(Handle());
    else Host().BringToFront();
}

bool TForm1::SetHotkey(std::uint32_t word) {
    UnregisterHotKey(Handle(), kHotkeyId);
    const hotkey::Key key = hotkey::Decode(word);
    if (!key.virtualKey) return true;
    // Held down, the key would hide and show the window over and over.
    return RegisterHotKey(Handle(), kHotkeyId, MOD_NOREPEAT | hotkey::RegistrationModifiers(key.flags),
                          key.virtualKey);
}

void TForm1::WMHotkey() {
    if (Visible() && GetForegroundWindow() == Handle()) {
        Close();
        return;
    }
    // Under a box (the window disabled), the box comes to the front, as at the icon's click.
    if (!IsWindowEnabled(Handle())) {
        RestoreMainWindow();
        return;
    }
    RestoreMainWindow(true);
    const HWND edit = SearchEdit();
    SetFocus(edit);
    SendMessageA(edit, EM_SETSEL, 0, -1);
}

void TForm1::WhoisLookup1Click() {
    RestoreMainWindow();
    Requests().HideBulkAndAbout();
}

// The main window closes first (saving the history); a failed save stops the
// entry there, and the main window stays.
void TForm1::BulkWhoisLookup1Click() {
    if (Close()) Requests().ShowBulkWindow();
}

void TForm1::About1Click() { Requests().ShowAboutWindow(); }

// A typed character reaches the edit field as one UTF-16 unit, or a character
// beyond them as two surrogates, one message each: the first is held until
// the second comes, so the character is handled whole. The character in the
// ANSI code page, one to four bytes, goes to the key handler and the
// completion; one that has no ANSI form is left to the edit field.
LRESULT TForm1::SearchEditChar(HWND edit, wchar_t unit, LPARAM lParam) {
    const auto pass = [&](wchar_t c) { return CallWindowProcW(searchEditProc_, edit, WM_CHAR, c, lParam); };
    const wchar_t held = std::exchange(heldHighSurrogate_, 0);
    if (IS_HIGH_SURROGATE(unit)) {
        if (held) pass(held);  // a surrogate without its partner goes in as it came
        heldHighSurrogate_ = unit;
        return 0;
    }
    std::wstring typed;
    if (held && IS_LOW_SURROGATE(unit)) typed += held;
    else if (held) pass(held);
    typed += unit;
    if (const std::optional<std::string> bytes = AnsiForm(typed)) {
        ComboBoxSearchKeyPress(bytes->front());
        if (CompleteInSearchBox(history_.List(), edit, *bytes)) return 0;
    }
    LRESULT result = 0;
    for (const wchar_t c : typed) result = pass(c);
    return result;
}

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
    history_.Commit();
    BitBtnGoClick();
}

void TForm1::ComboBoxSearchExit() { history_.Commit(); }

void TForm1::LookUpLater(std::string query, bool restore) {
    queuedLookups_.emplace_back(std::move(query), restore);
    PostMessageW(Handle(), kLookUpQueuedMessage, 0, 0);
}

void TForm1::LookUpQueued() {
    if (queuedLookups_.empty()) return;
    auto [query, restore] = std::move(queuedLookups_.front());
    queuedLookups_.pop_front();
    if (restore) RestoreMainWindow(true);
    SetWindowTextA(ComboBoxSearch(), query.c_str());
    ComboBoxSearchKeyPress('\r');
}

// Any program on the desktop can send this, so the query is checked as the
// command line's is, and a refusal shows nothing here: the sender says it.
// While a modal box is up (the window is disabled) nothing is taken either.
bool TForm1::QueryHandedOver(const COPYDATASTRUCT& data) {
    if (!IsWindowEnabled(Handle())) return false;
    std::optional<OutsideQuery> query = HandedOffQuery(data);
    if (!query || !IsQueryText(query->bytes)) return false;
    LookUpLater(std::move(query->bytes), true);
    return true;
}

// As in a browser's address bar. The next entry takes the deleted one's
// place in the selection (the last one when it was the last); an emptied
// list closes. The entry's tag goes with it, so the next save leaves it out.
bool TForm1::DeleteSelectedListEntry() {
    const HWND combo = ComboBoxSearch();
    if (!SendMessageW(combo, CB_GETDROPPEDSTATE, 0, 0)) return false;
    const LRESULT selected = SendMessageW(combo, CB_GETCURSEL, 0, 0);
    if (selected == CB_ERR) return false;
    const LRESULT left = SendMessageW(combo, CB_DELETESTRING, static_cast<WPARAM>(selected), 0);
    if (left <= 0) SendMessageW(combo, CB_SHOWDROPDOWN, FALSE, 0);
    else SendMessageW(combo, CB_SETCURSEL, static_cast<WPARAM>(std::min(selected, left - 1)), 0);
    return true;
}

void TForm1::SettingsClick() { Requests().ShowSettingsWindow(); }

void TForm1::Command(int id, int notification) {
    switch (id) {
        case kBitBtnGo:
            if (notification == BN_CLICKED) BitBtnGoClick();
            break;
        case kWhoisLookup1:
            WhoisLookup1Click();
            break;
        case kBulkWhoisLookup1:
            BulkWhoisLookup1Click();
            break;
        case kAbout1:
            About1Click();
            break;
    }
}

LRESULT TForm1::HandleMessage(UINT message, WPARAM wParam, LPARAM lParam) {
    if (message == kTrayCallbackMessage) {
        WMTrayIcon(static_cast<UINT>(lParam));
        return 0;
    }
    if (message == TaskbarCreatedMessage()) {
        trayIcon_.AddAgain();  // the shell's new taskbar has no icon of the program
        return 0;
    }
    if (message == WM_COPYDATA)
        return lParam && QueryHandedOver(*reinterpret_cast<const COPYDATASTRUCT*>(lParam)) ? TRUE : FALSE;
    if (message == WM_HOTKEY) {
        if (static_cast<int>(wParam) == kHotkeyId) WMHotkey();
        return 0;
    }
    if (message == kLookUpQueuedMessage) {
        LookUpQueued();
        return 0;
    }
    if (message == WM_SYSCOMMAND && (wParam & 0xFFF0) == kSettingsCommand) {
        SettingsClick();
        return 0;
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
        case WM_CHAR:
            return SearchEditChar(edit, static_cast<wchar_t>(wParam), lParam);
        case WM_KEYDOWN:
            // Delete alone, and Shift+Delete with the list closed, edit the text.
            if (wParam == VK_DELETE && GetKeyState(VK_SHIFT) < 0 && DeleteSelectedListEntry()) return 0;
            break;
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
