// The main lookup window: a one-line, always-on-top tool window with the
// search box and the Lookup button. It owns the program's icon in the
// notification area and the icon's menu: the shell's callbacks and the menu's
// commands arrive at this window.
#pragma once

#include <cstdint>
#include <deque>
#include <string>
#include <utility>

#include <windows.h>

#include "forms/form_requests.h"
#include "forms/search_history.h"
#include "win/form.h"
#include "win/handles.h"
#include "win/tray_icon.h"

class TForm1 : public Form, public RaisesRequests {
public:
    static constexpr char kWindowClass[] = "TForm1";
    enum ControlId { kComboBoxSearch = 101, kBitBtnGo = 102 };
    // The window-menu entry that shows the settings window.
    static constexpr UINT kSettingsCommand = 0x0010;
    // The notification-area menu's entries, in order; their commands come
    // to this window, which owns the menu while it is open.
    enum MenuId { kWhoisLookup1 = 201, kBulkWhoisLookup1 = 202, kAbout1 = 203 };
    // The global hotkey's id at this window.
    static constexpr int kHotkeyId = 1;

    explicit TForm1(SearchHistory& history);
    ~TForm1() override;

    HWND ComboBoxSearch() const { return Control(kComboBoxSearch); }
    HWND SearchEdit() const;
    HWND BitBtnGo() const { return Control(kBitBtnGo); }
    std::string SearchText() const;

    void BitBtnGoClick();
    void ComboBoxSearchKeyPress(char key);
    void ComboBoxSearchExit();
    // A query from outside the search box (its ANSI bytes), looked up as
    // Enter would once the loop gets to it: into the search box, committed,
    // looked up; with `restore`, the window comes back first, as a click on
    // the icon brings it.
    void LookUpLater(std::string query, bool restore);
    // A running copy's hand-off (WM_COPYDATA): whether the query was taken.
    // The sender is answered before the lookup runs.
    bool QueryHandedOver(const COPYDATASTRUCT& data);
    // Shift+Delete in the open list: the selected entry goes; whether there was one.
    bool DeleteSelectedListEntry();
    void SettingsClick();
    void WMTrayIcon(UINT mouseMessage);
    // `direct`: the main window is the one activated, once (the hotkey's and a
    // hand-off's way), not through the application window (the icon's way).
    void RestoreMainWindow(bool direct = false);
    // The hotkey (the hotkey field's word) replaces the one registered, if
    // any; 0 leaves none. False when another program holds the key.
    bool SetHotkey(std::uint32_t word);
    // The hotkey was pressed: the active window hides to the icon as a close
    // does; otherwise the window comes to the front, its search box ready.
    void WMHotkey();
    void WhoisLookup1Click();
    void BulkWhoisLookup1Click();
    void About1Click();
    // The program was minimized: it lives on in the icon.
    void HideToTray();
    // The session ends: the icon goes before the process may be ended.
    void RemoveIcon() { trayIcon_.Remove(); }
    const TrayIcon& Icon() const { return trayIcon_; }
    HMENU PopupMenu1() const { return popupMenu1_.Get(); }

protected:
    void ControlsCreated() override;
    void FormCreate() override;
    void FormDestroy() override;
    void FormActivate() override;
    bool FormClose() override;
    void Command(int id, int notification) override;
    void DpiChanged() override;
    LRESULT HandleMessage(UINT message, WPARAM wParam, LPARAM lParam) override;

private:
    static LRESULT CALLBACK SearchEditProc(HWND edit, UINT message, WPARAM wParam, LPARAM lParam);
    LRESULT SearchEditMessage(HWND edit, UINT message, WPARAM wParam, LPARAM lParam);
    LRESULT SearchEditChar(HWND edit, wchar_t unit, LPARAM lParam);
    void LookUpQueued();

    SearchHistory& history_;
    TrayIcon trayIcon_;
    UniqueMenu popupMenu1_;
    WNDPROC searchEditProc_ = nullptr;  // the edit field's own procedure
    wchar_t heldHighSurrogate_ = 0;     // the first half of a typed character, until the second comes
    std::deque<std::pair<std::string, bool>> queuedLookups_;  // query, restore first
};

extern TForm1* Form1;
