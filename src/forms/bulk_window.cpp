#include "forms/bulk_window.h"

#include <commctrl.h>

#include <array>
#include <string>
#include <string_view>
#include <vector>

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
// The box itself finds each display line from the first and reflows its text
// on every replacement, which makes that walk quadratic. Lines of the text
// wrap independently of each other, so the walk runs instead over a few lines
// of the text at a time in a hidden twin of the box (same class, styles, size
// and font, so the same wrapping), and the box receives the result once.
void TFormBulkWhoisLookupTool::NormalizeLines() {
    constexpr int kLinesPerPiece = 64;
    const HWND memo = Memo1();
    const int count = MemoLines(memo).Count();
    if (count == 0) return;
    // The text in pieces of whole lines; the line breaks between pieces stay.
    const std::string text = WindowText(memo);
    std::vector<std::string> pieces;
    for (size_t start = 0;;) {
        size_t end = start;
        for (int i = 0; i < kLinesPerPiece && end != std::string::npos; ++i)
            end = text.find("\r\n", i == 0 ? start : end + 2);
        pieces.push_back(text.substr(start, end == std::string::npos ? end : end - start));
        if (end == std::string::npos) break;
        start = end + 2;
    }

    RECT frame{};
    GetWindowRect(memo, &frame);
    const UniqueWindow twin(CreateWindowExA(
        static_cast<DWORD>(GetWindowLongPtrA(memo, GWL_EXSTYLE)), "EDIT", "",
        static_cast<DWORD>(GetWindowLongPtrA(memo, GWL_STYLE)) & ~(WS_VISIBLE | WS_TABSTOP), 0, 0,
        frame.right - frame.left, frame.bottom - frame.top, Handle(), nullptr, GetModuleHandleA(nullptr), nullptr));
    SendMessageA(twin.Get(), EM_SETLIMITTEXT, 0, 0);
    SendMessageA(twin.Get(), WM_SETFONT, SendMessageA(memo, WM_GETFONT, 0, 0), FALSE);
    MemoLines lines(twin.Get());

    size_t piece = 0;  // the piece that display line `index` of the box lies in
    int line = 0;      // and its display line there
    size_t caretPiece = 0;
    DWORD caret = 0;
    SetWindowTextA(twin.Get(), pieces[0].c_str());
    for (int index = 0; index < count; ++index, ++line) {
        for (int shown; line >= (shown = lines.DisplayLines());) {
            line -= shown;
            pieces[piece] = WindowText(twin.Get());
            if (++piece == pieces.size()) break;
            SetWindowTextA(twin.Get(), pieces[piece].c_str());
        }
        if (piece == pieces.size()) break;
        lines.Replace(line, NormalizeEntry(lines.Line(line), SystemCodePage(), LowerCaseAnsi));
        caretPiece = piece;
        SendMessageA(twin.Get(), EM_GETSEL, 0, reinterpret_cast<LPARAM>(&caret));
    }
    if (piece < pieces.size()) pieces[piece] = WindowText(twin.Get());

    std::string normalized;
    normalized.reserve(text.size());
    size_t caretAt = 0;
    for (size_t i = 0; i < pieces.size(); ++i) {
        if (i > 0) normalized += "\r\n";
        if (i == caretPiece) caretAt = normalized.size() + caret;
        normalized += pieces[i];
    }
    SetWindowTextA(memo, normalized.c_str());
    // Where the last replacement leaves the caret in the box.
    SendMessageA(memo, EM_SETSEL, caretAt, static_cast<LPARAM>(caretAt));
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
