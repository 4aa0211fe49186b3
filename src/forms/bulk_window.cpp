#include "forms/bulk_window.h"

#include <commctrl.h>

#include <algorithm>
#include <array>
#include <string>
#include <string_view>
#include <utility>

#include "core/bulk_entry.h"
#include "core/lookup_address.h"
#include "core/texts.h"
#include "forms/open_address.h"
#include "win/ansi_code_page.h"
#include "win/handles.h"
#include "win/memo_lines.h"
#include "win/tray_icon.h"
#include "win/window_text.h"

TFormBulkWhoisLookupTool* FormBulkWhoisLookupTool = nullptr;

namespace {

constexpr std::array<ControlLayout, 4> kControls{{
    {.windowClass = "BUTTON", .name = "BitBtnBulkLookup", .id = TFormBulkWhoisLookupTool::kBitBtnBulkLookup,
     .caption = texts::kBulkLookupButton, .left = 200, .top = 8, .width = 97, .height = 25, .style = BS_PUSHBUTTON,
     .picture = "BULKGLYPH"},
    // Wraps at its width: no horizontal scrolling, no scroll bars.
    {.windowClass = "EDIT", .name = "Memo1", .id = TFormBulkWhoisLookupTool::kMemo1, .left = 8, .top = 8,
     .width = 185, .height = 169, .style = ES_MULTILINE | ES_AUTOVSCROLL | ES_WANTRETURN,
     .exStyle = WS_EX_CLIENTEDGE, .accessible = {.name = texts::kBulkBoxName}},
    {.windowClass = "STATIC", .name = "Label1", .id = TFormBulkWhoisLookupTool::kLabel1, .left = 212, .top = 44,
     .style = SS_LEFTNOWORDWRAP | SS_NOPREFIX, .tabStop = false, .autoSize = true},
    // Sized to its text: the font's lines grow faster than the scale at
    // some DPIs, and the hint's last line would be cut.
    {.windowClass = "STATIC", .name = "Label2", .id = TFormBulkWhoisLookupTool::kLabel2, .caption = texts::kBulkHint,
     .left = 208, .top = 64, .width = 75, .height = 104, .style = SS_LEFT | SS_NOPREFIX, .tabStop = false,
     .autoSize = true},
}};

constexpr FormLayout kLayout{
    .windowClass = "TFormBulkWhoisLookupTool",
    .caption = texts::kBulkCaption,
    .style = WS_CAPTION | WS_SYSMENU | WS_CLIPSIBLINGS,
    .exStyle = WS_EX_TOOLWINDOW | WS_EX_TOPMOST,
    .clientWidth = 299,
    .clientHeight = 181,
    .controls = kControls,
    .initialFocus = TFormBulkWhoisLookupTool::kMemo1,
};

// One character lowered through UTF-16; one that is no character, or whose
// lower case has no ANSI form, stays as it is.
std::string LowerAnsiCharacter(std::string_view character) {
    std::wstring wide(character.size(), L'\0');
    const int units = MultiByteToWideChar(CP_ACP, MB_ERR_INVALID_CHARS, character.data(),
                                          static_cast<int>(character.size()), wide.data(), static_cast<int>(wide.size()));
    if (units <= 0) return std::string(character);
    wide.resize(static_cast<size_t>(units));
    CharLowerBuffW(wide.data(), static_cast<DWORD>(wide.size()));
    return AnsiForm(wide).value_or(std::string(character));
}

// The platform's locale-aware lower-casing of ANSI text, length kept.
// CharLowerBuffA converts to UTF-16 and back within the same bytes, which is
// exact in a single-byte code page; elsewhere a lower case of another length
// (or U+FFFD for a stray byte of UTF-8) would overwrite the bytes after it, so
// the text is lowered character by character.
void LowerCaseAnsi(std::string& text) {
    const CodePage& codePage = SystemCodePage();
    if (!codePage.EveryByteACharacter()) LowerEachCharacter(text, codePage, LowerAnsiCharacter);
    else if (!text.empty()) CharLowerBuffA(text.data(), static_cast<DWORD>(text.size()));
}

// With dialog navigation a multi-line edit field closes its window on
// Escape; in the box Escape does nothing.
LRESULT CALLBACK MemoWithoutEscape(HWND memo, UINT message, WPARAM wParam, LPARAM lParam, UINT_PTR id, DWORD_PTR) {
    if ((message == WM_KEYDOWN || message == WM_CHAR) && wParam == VK_ESCAPE) return 0;
    if (message == WM_NCDESTROY) RemoveWindowSubclass(memo, MemoWithoutEscape, id);
    return DefSubclassProc(memo, message, wParam, lParam);
}

// The box's text shown in its hidden twin a window at a time, for the walk
// over its display lines. Every LF ends a display line (alone, after CR, or
// after CR CR; a lone CR is a character), and the control wraps a display
// line from its start on its own, so a window of whole lines, starting at a
// display line, wraps as the whole text does: a line of the text shorter than
// a window is always taken whole. The window moves on from the display line
// before the one to walk: the control reflows from there.
//
// A longer line is walked in windows too, a display line once it ends half a
// window before the window's end. That is the whole text's wrapping where the
// line's characters are much alike in width: Wine's control chooses where to
// try a break from the average width of all the rest of the line, so a
// display line may wrap otherwise when the rest of the line past the window
// is of other widths (narrow letters, then wide ones). Only the whole rest of
// the line would give that exactly, at a cost quadratic in its length.
class TwinWindow {
public:
    TwinWindow(HWND twin, std::wstring text, size_t units)
        : twin_(twin), text_(std::move(text)), units_(std::max(units, kLeastUnits)) {}

    // The twin's index of what is display line `line` of its window, with
    // the window moved on, or grown, until that line and its wrapping are
    // those of the whole text; -1 past the end of the text.
    int Reach(int line) {
        for (;;) {
            const int shown = static_cast<int>(SendMessageW(twin_, EM_GETLINECOUNT, 0, 0));
            if (fed_ == text_.size()) return line < shown ? line : -1;
            if (line < shown - 1 && (endsWithBreak_ || End(line) + units_ / 2 <= End(shown - 1))) return line;
            // Kept from the display line before it: a replacement reflows
            // from there, and that line may take in the start of the next.
            const int keep = std::max(line - 1, 0);
            MoveOn(keep);
            line -= keep;
        }
    }

    // UTF-16 units of the text before the twin's.
    size_t UnitsBefore() const { return done_.size(); }
    std::wstring WholeText() const { return done_ + WideWindowText(twin_) + text_.substr(fed_); }

private:
    // Lines of the text fed at a time: the twin too finds each display line
    // from the first.
    static constexpr int kBreaksPerFeed = 64;
    // Far more than the 600 to 700 characters past a display line after
    // which, in random text, the width of the rest no longer changes where
    // it wraps.
    static constexpr size_t kLeastUnits = 2048;

    size_t End(int line) const {
        const LRESULT start = SendMessageW(twin_, EM_LINEINDEX, static_cast<WPARAM>(line), 0);
        return static_cast<size_t>(start + SendMessageW(twin_, EM_LINELENGTH, static_cast<WPARAM>(start), 0));
    }

    // Drops the window's display lines before `keep` and feeds more text;
    // a window of one display line doubles.
    void MoveOn(int keep) {
        std::wstring window = WideWindowText(twin_);
        const size_t cut = keep > 0 ? static_cast<size_t>(SendMessageW(twin_, EM_LINEINDEX, keep, 0)) : 0;
        done_.append(window, 0, cut);
        window.erase(0, cut);
        size_t end = std::min(text_.size(), fed_ + (keep > 0 ? units_ : std::max(units_, window.size())));
        // Searched no further than a window ahead, so that a long line costs
        // no search of all the rest of the text.
        const std::wstring_view ahead = std::wstring_view(text_).substr(0, end + units_);
        for (size_t at = fed_, breaks = 0; (at = ahead.find(L'\n', at)) < end; ++at)
            if (++breaks == kBreaksPerFeed) end = at + 1;
        // The line the window ends in, whole when it is shorter than a window.
        if (const size_t next = ahead.find(L'\n', end - 1); next != std::wstring_view::npos) end = next + 1;
        if (end < text_.size() && IS_HIGH_SURROGATE(text_[end - 1])) --end;  // a pair stays whole
        window.append(text_, fed_, end - fed_);
        fed_ = end;
        endsWithBreak_ = !window.empty() && window.back() == L'\n';
        SetWindowTextW(twin_, window.c_str());
    }

    HWND twin_;
    std::wstring text_;   // the box's text, fed from `fed_` on
    size_t units_;        // fed at a time
    size_t fed_ = 0;
    std::wstring done_;   // the walked text before the window
    bool endsWithBreak_ = false;
};

}  // namespace

TFormBulkWhoisLookupTool::TFormBulkWhoisLookupTool() : Form(kLayout) {}

void TFormBulkWhoisLookupTool::ControlsCreated() {
    SendMessageA(Memo1(), EM_SETLIMITTEXT, 0, 0);  // no limit
    SetWindowSubclass(Memo1(), MemoWithoutEscape, 0, 0);
}

void TFormBulkWhoisLookupTool::FormCreate() { PlaceAboveNotificationArea(Handle()); }

// The owner makes room for the window; when it cannot (the main window's
// history could not be saved), the window stays hidden.
bool TFormBulkWhoisLookupTool::FormShow() { return Requests().MakeRoomForBulkWindow(); }

bool TFormBulkWhoisLookupTool::FormClose() {
    Host().Restore();
    return true;
}

void TFormBulkWhoisLookupTool::Command(int id, int notification) {
    if (id == kBitBtnBulkLookup && notification == BN_CLICKED) BitBtnBulkLookupClick();
}

// Line by line as the box counts its lines: display lines, the count taken
// once. A line that shrinks to fewer display lines moves the lines after it
// up, and indexes past the new end read as empty and replace nothing.
//
// The box itself finds each display line from the first and reflows the rest
// of a line on every replacement, which makes that walk quadratic. The walk
// runs instead in a hidden twin of the box (same class, styles, size and
// font, so the same wrapping) over a window of the text at a time, and the
// box receives the result once.
void TFormBulkWhoisLookupTool::NormalizeLines(size_t windowUnits) {
    const HWND memo = Memo1();
    const int count = MemoLines(memo).Count();
    if (count == 0) return;
    RECT frame{};
    GetWindowRect(memo, &frame);
    const UniqueWindow twin(CreateWindowExA(
        static_cast<DWORD>(GetWindowLongPtrA(memo, GWL_EXSTYLE)), "EDIT", "",
        static_cast<DWORD>(GetWindowLongPtrA(memo, GWL_STYLE)) & ~(WS_VISIBLE | WS_TABSTOP), 0, 0,
        frame.right - frame.left, frame.bottom - frame.top, Handle(), nullptr, GetModuleHandleA(nullptr), nullptr));
    SendMessageA(twin.Get(), EM_SETLIMITTEXT, 0, 0);
    SendMessageA(twin.Get(), WM_SETFONT, SendMessageA(memo, WM_GETFONT, 0, 0), FALSE);

    TwinWindow window(twin.Get(), WideWindowText(memo), windowUnits);
    MemoLines lines(twin.Get());
    size_t caret = 0;  // where the last replacement leaves it, in UTF-16 units
    for (int index = 0, line = 0; index < count; ++index, ++line) {
        line = window.Reach(line);
        if (line < 0) break;
        lines.Replace(line, NormalizeEntry(lines.Line(line), SystemCodePage(), LowerCaseAnsi));
        DWORD end = 0;
        SendMessageW(twin.Get(), EM_GETSEL, 0, reinterpret_cast<LPARAM>(&end));
        caret = window.UnitsBefore() + end;
    }
    SetMemoText(memo, window.WholeText());
    SendMessageW(memo, EM_SETSEL, caret, static_cast<LPARAM>(caret));
}

// Runs inside the click and dispatches nothing until it ends: the pauses are
// plain sleeps.
void TFormBulkWhoisLookupTool::BitBtnBulkLookupClick() {
    // Disabling the button takes the focus from it; a run started from the
    // keyboard gives it back, so that the keys go on where they were.
    struct EnableAgain {
        HWND button;
        bool focused;
        ~EnableAgain() {
            EnableWindow(button, TRUE);
            if (focused) SetFocus(button);
        }
    } enableAgain{BitBtnBulkLookup(), GetFocus() == BitBtnBulkLookup()};
    EnableWindow(BitBtnBulkLookup(), FALSE);
    NormalizeLines();
    MemoLines lines(Memo1());
    const int entries = std::min(lines.Count(), kEntriesPerRun);
    for (int i = 0; i < entries; ++i) {
        SetStatus(texts::kPleaseWait);
        OpenAddress(Handle(), MakeLookupAddress(lines.Line(i)));
        // A session that ended during the hand-off ends the run: no pause.
        if (Host().Terminated()) break;
        SleepEx(kPauseMs, FALSE);
        SetStatus("");
    }
}

void TFormBulkWhoisLookupTool::SetStatus(const std::string& text) {
    const HWND label = Label1();
    RECT before{};
    GetWindowRect(label, &before);
    MapWindowPoints(nullptr, Handle(), reinterpret_cast<POINT*>(&before), 2);
    SetWindowTextA(label, text.c_str());
    SizeLabelToText(label);
    // Paint now, where the old text stood too.
    RedrawWindow(Handle(), &before, nullptr, RDW_INVALIDATE | RDW_ERASE | RDW_UPDATENOW | RDW_ALLCHILDREN);
    RedrawWindow(label, nullptr, nullptr, RDW_INVALIDATE | RDW_ERASE | RDW_UPDATENOW);
}
