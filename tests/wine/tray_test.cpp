// The notification-area icon's record and the main window's part in hiding
// and restoring the program, in-process with real windows.
#include <gtest/gtest.h>

#include <set>
#include <algorithm>
#include <string>
#include <vector>

#include "forms/main_window.h"
#include "program_fixture.h"
#include "win/ansi_code_page.h"
#include "win/tray_icon.h"

namespace {

TEST(TrayIconData, OldestLayoutWithTheTipZeroPadded) {
    const HWND window = reinterpret_cast<HWND>(0x1234);
    const NOTIFYICONDATAA data = MakeTrayIconData(window, nullptr, "Click to restore Quorvane", SystemCodePage());
    EXPECT_EQ(data.cbSize, sizeof(void*) == 8 ? 104u : 88u);
    EXPECT_EQ(data.hWnd, window);
    EXPECT_EQ(data.uID, 123u);
    EXPECT_EQ(data.uFlags, 7u);
    EXPECT_EQ(data.uCallbackMessage, 1357u);
    EXPECT_STREQ(data.szTip, "Click to restore Quorvane");
    for (size_t i = 25; i < 64; ++i) EXPECT_EQ(data.szTip[i], 0) << i;

    const NOTIFYICONDATAA cut = MakeTrayIconData(window, nullptr, std::string(80, 'x'), SystemCodePage());
    EXPECT_EQ(std::string(cut.szTip), std::string(63, 'x'));
}

// The icon resource carries the small icon's own image for 100, 125, 150 and
// 200 % display scale, so that none is a larger one shrunk.
TEST(ProgramIcon, HasAnImageForTheSmallIconAtEveryCommonScale) {
    const HMODULE module = GetModuleHandleA(nullptr);
    const HRSRC found = FindResourceA(module, "MAINICON", MAKEINTRESOURCEA(14));  // RT_GROUP_ICON
    ASSERT_NE(found, nullptr);
    // The group's directory: reserved, type, count, then 14 bytes an image,
    // starting with its width (0 for 256).
    const auto* bytes = static_cast<const BYTE*>(LockResource(LoadResource(module, found)));
    std::set<int> sizes;
    for (int i = 0; i < bytes[4] + 256 * bytes[5]; ++i) sizes.insert(bytes[6 + 14 * i] ? bytes[6 + 14 * i] : 256);
    for (const int dpi : {96, 120, 144, 192}) EXPECT_TRUE(sizes.contains(GetSystemMetricsForDpi(SM_CXSMICON, dpi))) << dpi;
}

std::vector<int> heldKeys;
bool HeldKeyDown(int key) { return std::find(heldKeys.begin(), heldKeys.end(), key) != heldKeys.end(); }

TEST(TrayKeyboard, OnlyEnterOrSpaceWithTheButtonUpCountsAsTheKeyboardsChoice) {
    const struct {
        std::vector<int> held;
        bool fromEnterOrSpace;
    } kCases[] = {
        {{}, false},  // the context-menu key, Shift+F10
        {{VK_RETURN}, true},
        {{VK_SPACE}, true},
        {{VK_RBUTTON, VK_RETURN}, false},  // a real click while typing
        {{VK_RBUTTON}, false},
    };
    ASSERT_EQ(GetSystemMetrics(SM_SWAPBUTTON), 0);
    for (const auto& c : kCases) {
        heldKeys = c.held;
        EXPECT_EQ(RightPressCameFromEnterOrSpace(HeldKeyDown), c.fromEnterOrSpace) << heldKeys.size();
    }
}

using TrayTest = ProgramTest;

std::vector<std::string> MenuEntries(HMENU menu) {
    std::vector<std::string> entries;
    for (int i = 0; i < GetMenuItemCount(menu); ++i) {
        char text[64] = {};
        GetMenuStringA(menu, static_cast<UINT>(i), text, sizeof text, MF_BYPOSITION);
        entries.push_back(text);
    }
    return entries;
}

TEST_F(TrayTest, CloseSavesAndHidesTheProgramAndTheIconBringsItBack) {
    StartProgram();
    EXPECT_EQ(form->Icon().Data().hWnd, form->Handle());
    EXPECT_EQ(MenuEntries(form->PopupMenu1()),
              (std::vector<std::string>{"&Whois Lookup", "Bulk Whois Lookup", "&About / Exit"}));

    TypeAndPress("kept.example", VK_RETURN);
    Close();
    EXPECT_EQ(ReadFile(path), "kept.example\r\n");
    EXPECT_TRUE(Application.Minimized());
    EXPECT_FALSE(form->Visible());
    EXPECT_FALSE(IsWindowVisible(Application.Handle()));  // no taskbar entry

    for (UINT mouse : {WM_MOUSEMOVE, WM_LBUTTONDOWN, WM_RBUTTONUP}) {
        SendMessageA(form->Handle(), kTrayCallbackMessage, kTrayIconId, mouse);
        EXPECT_FALSE(form->Visible()) << mouse;
    }
    SendMessageA(form->Handle(), kTrayCallbackMessage, kTrayIconId, WM_LBUTTONUP);
    Application.ProcessMessages();
    EXPECT_FALSE(Application.Minimized());
    EXPECT_TRUE(form->Visible());
    EXPECT_EQ(GetForegroundWindow(), form->Handle());

    // The menu's first entry restores too.
    Close();
    SendMessageA(form->Handle(), WM_COMMAND, TForm1::kWhoisLookup1, 0);
    EXPECT_TRUE(form->Visible());

    // The icon goes with its window: the shell would show a dead one until
    // the mouse passes over it.
    const HWND window = form->Handle();
    EXPECT_TRUE(IconShown(window));
    StopProgram();
    EXPECT_FALSE(IconShown(window));
}

}  // namespace
