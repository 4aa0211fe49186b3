// The global hotkey: stored for the user, registered at start, pressed as
// the keyboard presses it.
#include "chains.h"

#include <windows.h>
#include <commctrl.h>

#include <string>

#include "driver_support.h"

namespace {

constexpr char kHotkeyKey[] = "Software\\Quorvane";
constexpr char kHotkeyValue[] = "Hotkey";
// Ctrl+Shift+Q as the hotkey field gives it.
constexpr DWORD kHotkeyWord = (HOTKEYF_CONTROL | HOTKEYF_SHIFT) << 8 | 'Q';

// The user's hotkey for the length of the case: the prefix is shared, and no
// other case expects one.
struct StoredHotkeyForCase {
    StoredHotkeyForCase() {
        Check(RegSetKeyValueA(HKEY_CURRENT_USER, kHotkeyKey, kHotkeyValue, REG_DWORD, &kHotkeyWord,
                              sizeof kHotkeyWord) == ERROR_SUCCESS,
              "cannot store the hotkey");
    }
    ~StoredHotkeyForCase() { RegDeleteKeyValueA(HKEY_CURRENT_USER, kHotkeyKey, kHotkeyValue); }
};

}  // namespace

// The stored hotkey brings the hidden program back with the search box's
// whole text selected for typing over; pressed again while the program is in
// front, it hides it.
void HotkeyShowsAndHides() {
    StoredHotkeyForCase stored;
    ChildProcess process;
    Launch(process, g_exe);
    const HWND main = WaitForVisibleWindow(process, "WHOIS Lookup");
    const HWND combo = SearchBox(main), edit = SearchEdit(main);
    // Only the caret, so that a selection afterwards is the hotkey's.
    Deliver(edit, EM_SETSEL, 1, 1);
    Deliver(main, WM_CLOSE);
    WaitInTray(process, main);

    const ForegroundStandIn standIn;
    standIn.BringToFront();
    standIn.Press(kHotkeyWord);
    WaitUntil([&] { return IsWindowVisible(main) && GetForegroundWindow() == main && FocusOf(main) == edit; },
              "the hotkey did not bring the main window up with the search box focused");
    const auto length = static_cast<DWORD>(SendMessageA(edit, WM_GETTEXTLENGTH, 0, 0));
    DWORD selection = 0;
    WaitUntil([&] {
        selection = static_cast<DWORD>(SendMessageA(combo, CB_GETEDITSEL, 0, 0));
        return length > 0 && LOWORD(selection) == 0 && HIWORD(selection) == length;
    }, "the search box's text is not selected whole");

    standIn.Press(kHotkeyWord);
    WaitUntil([&] { return !IsWindowVisible(main); }, "the hotkey did not hide the main window in front");
    WaitInTray(process, main);
    EndLikeLogoff(process);
    CheckNothingLeft();
}
