// The main window built from its layout table: real window, real controls.
#include "forms/main_window.h"

#include <gtest/gtest.h>

#include <string>

#include "win/application.h"
#include "win/files.h"
#include "window_shot.h"

namespace {

std::string WindowText(HWND window) {
    char text[256] = {};
    GetWindowTextA(window, text, sizeof text);
    return text;
}

class MainWindowTest : public ::testing::Test {
protected:
    void SetUp() override { form.Create(Application); }
    SearchHistory history{ExecutableFolder()};
    TForm1 form{history};
};

TEST_F(MainWindowTest, IsHiddenToolWindowOnTopOwnedByTheApplication) {
    ASSERT_NE(form.Handle(), nullptr);
    EXPECT_FALSE(IsWindowVisible(form.Handle()));
    EXPECT_EQ(WindowText(form.Handle()), "WHOIS Lookup");
    const LONG_PTR style = GetWindowLongPtrA(form.Handle(), GWL_STYLE);
    const LONG_PTR exStyle = GetWindowLongPtrA(form.Handle(), GWL_EXSTYLE);
    EXPECT_TRUE(exStyle & WS_EX_TOOLWINDOW);
    EXPECT_TRUE(exStyle & WS_EX_TOPMOST);
    EXPECT_TRUE(style & WS_SYSMENU);
    EXPECT_FALSE(style & (WS_THICKFRAME | WS_MINIMIZEBOX | WS_MAXIMIZEBOX));
    EXPECT_EQ(GetWindow(form.Handle(), GW_OWNER), Application.Handle());
}

// As shown: the controls get their places, fonts and pictures at the first show.
TEST_F(MainWindowTest, ClientAreaAndControlsFollowTheLayoutAtTheWindowsDpi) {
    form.Show();
    const UINT dpi = form.Dpi();
    auto scaled = [dpi](int v) { return MulDiv(v, static_cast<int>(dpi), 96); };
    RECT client{};
    GetClientRect(form.Handle(), &client);
    EXPECT_EQ(client.right, scaled(296));
    EXPECT_EQ(client.bottom, scaled(35));

    const RECT button = ChildRect(form.Handle(), form.BitBtnGo());
    EXPECT_EQ(button.left, scaled(216));
    EXPECT_EQ(button.top, scaled(5));
    EXPECT_EQ(button.right - button.left, scaled(73));
    EXPECT_EQ(button.bottom - button.top, scaled(25));
    EXPECT_EQ(WindowText(form.BitBtnGo()), "Lookup");

    const RECT combo = ChildRect(form.Handle(), form.ComboBoxSearch());
    EXPECT_EQ(combo.left, scaled(8));
    EXPECT_EQ(combo.top, scaled(8));
    EXPECT_EQ(combo.right - combo.left, scaled(201));
}

TEST_F(MainWindowTest, ControlsTakeTabOrderFromTheTable) {
    EXPECT_EQ(GetWindow(form.Handle(), GW_CHILD), form.ComboBoxSearch());
    EXPECT_EQ(GetNextDlgTabItem(form.Handle(), form.ComboBoxSearch(), FALSE), form.BitBtnGo());
    EXPECT_EQ(GetNextDlgTabItem(form.Handle(), form.BitBtnGo(), FALSE), form.ComboBoxSearch());
}

TEST_F(MainWindowTest, FontIsEightPointsAtTheWindowsDpi) {
    form.Show();
    const HFONT font = reinterpret_cast<HFONT>(SendMessageA(form.BitBtnGo(), WM_GETFONT, 0, 0));
    ASSERT_NE(font, nullptr);
    LOGFONTA lf{};
    ASSERT_TRUE(GetObjectA(font, sizeof lf, &lf));
    EXPECT_EQ(lf.lfHeight, -MulDiv(8, static_cast<int>(form.Dpi()), 72));
    EXPECT_STREQ(lf.lfFaceName, "MS Sans Serif");
}

}  // namespace
