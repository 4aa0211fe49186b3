#include "lookup/form1.h"

#include <algorithm>
#include <array>
#include <optional>

#include "lookup/completion.h"
#include "lookup/fsetting.h"
#include "lookup/history_store.h"
#include "lookup/lookup_address.h"
#include "lookup/open_address.h"
#include "lookup/query_text.h"
#include "shell/application.h"
#include "shell/message_boxes.h"

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
constexpr int kGlyphSize = 16;

inline void DeleteDc(HDC dc) { DeleteDC(dc); }
using UniqueDc = UniqueHandle<HDC, DeleteDc>;
using UniqueBitmap = UniqueHandle<HBITMAP, DeleteGdiObject>;

// Selects an object into a DC for a scope and puts the previous one back.
class Selection {
public:
    Selection(HDC dc, HGDIOBJ object) : dc_(dc), previous_(SelectObject(dc, object)) {}
    ~Selection() { SelectObject(dc_, previous_); }
    Selection(const Selection&) = delete;
    Selection& operator=(const Selection&) = delete;

private:
    HDC dc_;
    HGDIOBJ previous_;
};

}  // namespace

TForm1::TForm1() : Form(kSpec) {}

HWND TForm1::SearchEdit() const {
    COMBOBOXINFO info{};
    info.cbSize = sizeof info;
    return GetComboBoxInfo(ComboBoxSearch(), &info) ? info.hwndItem : nullptr;
}

std::string TForm1::SearchText() const {
    std::string text(static_cast<size_t>(GetWindowTextLengthA(ComboBoxSearch())) + 1, '\0');
    text.resize(static_cast<size_t>(GetWindowTextA(ComboBoxSearch(), text.data(), static_cast<int>(text.size()))));
    return text;
}

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

// The picture is one 32 x 16 bitmap: the normal image left, its greyed twin
// right, transparent where it has the colour of its bottom-left pixel. The
// button takes one image per state; only the disabled state shows the twin.
// Scaled by whole steps of the window's DPI, so pixels stay crisp.
void TForm1::LoadButtonGlyph() {
    const HINSTANCE instance = GetModuleHandleA(nullptr);
    UniqueBitmap source(static_cast<HBITMAP>(LoadImageA(instance, kGlyphResource, IMAGE_BITMAP, 0, 0, LR_CREATEDIBSECTION)));
    if (!source) return;
    const int scale = std::max(1, static_cast<int>(Dpi()) / 96), size = kGlyphSize * scale;
    // One image per push-button state: normal, hot, pressed, disabled,
    // defaulted, stylus-hot.
    constexpr int kStates = 6;
    constexpr int kDisabled = 3;

    const HDC screen = GetDC(nullptr);
    UniqueDc from(CreateCompatibleDC(screen)), to(CreateCompatibleDC(screen));
    UniqueBitmap strip(CreateCompatibleBitmap(screen, size * kStates, size));
    ReleaseDC(nullptr, screen);
    COLORREF transparent;
    {
        Selection a(from.Get(), source.Get()), b(to.Get(), strip.Get());
        transparent = GetPixel(from.Get(), 0, kGlyphSize - 1);
        SetStretchBltMode(to.Get(), COLORONCOLOR);
        for (int state = 0; state < kStates; ++state)
            StretchBlt(to.Get(), state * size, 0, size, size, from.Get(),
                       state == kDisabled ? kGlyphSize : 0, 0, kGlyphSize, kGlyphSize, SRCCOPY);
    }
    glyph_.Reset(ImageList_Create(size, size, ILC_COLOR24 | ILC_MASK, kStates, 0));
    ImageList_AddMasked(glyph_.Get(), strip.Get(), transparent);
    BUTTON_IMAGELIST images{glyph_.Get(), {Scale(2), 0, 0, 0}, BUTTON_IMAGELIST_ALIGN_LEFT};
    SendMessageA(BitBtnGo(), BCM_SETIMAGELIST, 0, reinterpret_cast<LPARAM>(&images));
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

namespace {

std::string ToAnsi(std::wstring_view wide) {
    if (wide.empty()) return {};
    const int size = WideCharToMultiByte(CP_ACP, 0, wide.data(), static_cast<int>(wide.size()), nullptr, 0, nullptr, nullptr);
    std::string bytes(static_cast<size_t>(std::max(size, 0)), '\0');
    WideCharToMultiByte(CP_ACP, 0, wide.data(), static_cast<int>(wide.size()), bytes.data(), size, nullptr, nullptr);
    return bytes;
}

// Characters in the first `bytes` bytes of an ANSI text.
size_t CharactersIn(const std::string& text, size_t bytes) {
    if (bytes == 0) return 0;
    return static_cast<size_t>(MultiByteToWideChar(CP_ACP, 0, text.data(), static_cast<int>(bytes), nullptr, 0));
}

}  // namespace

// The completion of a typed character against the history, on the search
// box's text as ANSI bytes; returns whether it consumed the character. The
// edit field counts positions in characters, the completion in bytes.
bool TForm1::CompleteTypedCharacter(HWND edit, char typed, std::optional<char> trailByte) {
    const HWND combo = ComboBoxSearch();
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
    auto search = [combo](std::string_view prefix) -> std::optional<HistoryMatch> {
        const std::string key(prefix);
        const LRESULT index =
            SendMessageA(combo, CB_FINDSTRING, static_cast<WPARAM>(-1), reinterpret_cast<LPARAM>(key.c_str()));
        if (index == CB_ERR) return std::nullopt;
        return HistoryMatch{static_cast<int>(index), HistoryEntry(combo, static_cast<int>(index))};
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
            if (CompleteTypedCharacter(edit, bytes[0], count == 2 ? std::optional<char>(bytes[1]) : std::nullopt))
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
