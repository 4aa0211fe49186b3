#include "forms/bulk_window.h"

#include <array>

#include "core/bulk_entry.h"
#include "core/lookup_address.h"
#include "core/texts.h"
#include "forms/main_window.h"
#include "forms/open_address.h"
#include "win/application.h"
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
     .exStyle = WS_EX_CLIENTEDGE},
    {.windowClass = "STATIC", .name = "Label1", .id = TFormBulkWhoisLookupTool::kLabel1, .left = 212, .top = 44,
     .style = SS_LEFT | SS_NOPREFIX, .tabStop = false},
    {.windowClass = "STATIC", .name = "Label2", .id = TFormBulkWhoisLookupTool::kLabel2, .caption = texts::kBulkHint,
     .left = 208, .top = 64, .width = 75, .height = 104, .style = SS_LEFT | SS_NOPREFIX, .tabStop = false},
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

// The platform's locale-aware lower-casing of ANSI text, length kept.
void LowerCaseAnsi(std::string& text) {
    if (!text.empty()) CharLowerBuffA(text.data(), static_cast<DWORD>(text.size()));
}

}  // namespace

TFormBulkWhoisLookupTool::TFormBulkWhoisLookupTool() : Form(kLayout) {}

void TFormBulkWhoisLookupTool::ControlsCreated() {
    SendMessageA(Memo1(), EM_SETLIMITTEXT, 0, 0);  // no limit
}

void TFormBulkWhoisLookupTool::FormCreate() { PlaceAboveNotificationArea(Handle()); }

// Showing the bulk window closes the main window (history saved, program
// hidden in the notification area).
void TFormBulkWhoisLookupTool::FormShow() {
    if (Form1) Form1->Close();
}

bool TFormBulkWhoisLookupTool::FormClose() {
    Application.Restore();
    return true;
}

void TFormBulkWhoisLookupTool::Command(int id, int notification) {
    if (id == kBitBtnBulkLookup && notification == BN_CLICKED) BitBtnBulkLookupClick();
}

// The line count is taken once: lines that shrink to fewer display lines
// leave indexes past the new end, which read as empty and replace nothing.
void TFormBulkWhoisLookupTool::NormalizeLines() {
    MemoLines lines(Memo1());
    const int count = lines.Count();
    // One repaint at the end instead of one per line.
    SendMessageA(Memo1(), WM_SETREDRAW, FALSE, 0);
    struct RedrawAgain {
        HWND memo;
        ~RedrawAgain() {
            SendMessageA(memo, WM_SETREDRAW, TRUE, 0);
            InvalidateRect(memo, nullptr, TRUE);
        }
    } redrawAgain{Memo1()};
    for (int i = 0; i < count; ++i) lines.Replace(i, NormalizeEntry(lines.Line(i), LowerCaseAnsi));
}

// Runs inside the click and dispatches nothing until it ends: the pauses are
// plain sleeps.
void TFormBulkWhoisLookupTool::BitBtnBulkLookupClick() {
    EnableWindow(BitBtnBulkLookup(), FALSE);
    struct EnableAgain {
        HWND button;
        ~EnableAgain() { EnableWindow(button, TRUE); }
    } enableAgain{BitBtnBulkLookup()};
    NormalizeLines();
    MemoLines lines(Memo1());
    const int entries = std::min(lines.Count(), kEntriesPerRun);
    for (int i = 0; i < entries; ++i) {
        SetStatus(texts::kPleaseWait);
        OpenAddress(Handle(), MakeLookupAddress(lines.Line(i)));
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
    SIZE size{};
    {
        const WindowDc dc(label);
        const Selection font(dc.Get(), reinterpret_cast<HFONT>(SendMessageA(label, WM_GETFONT, 0, 0)));
        GetTextExtentPoint32A(dc.Get(), text.c_str(), static_cast<int>(text.size()), &size);
    }
    SetWindowPos(label, nullptr, 0, 0, size.cx, size.cy ? size.cy : Scale(13),
                 SWP_NOMOVE | SWP_NOZORDER | SWP_NOACTIVATE);
    // Paint now, where the old text stood too.
    RedrawWindow(Handle(), &before, nullptr, RDW_INVALIDATE | RDW_ERASE | RDW_UPDATENOW | RDW_ALLCHILDREN);
    RedrawWindow(label, nullptr, nullptr, RDW_INVALIDATE | RDW_ERASE | RDW_UPDATENOW);
}
