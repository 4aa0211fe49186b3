// The window base's hooks and layout rows, on a form of the test's own.
#include <gtest/gtest.h>

#include <algorithm>
#include <string>
#include <vector>

#include "win/application.h"
#include "win/form.h"

namespace {

constexpr FontLayout kBold{.bold = true};
constexpr ControlLayout kHookControls[] = {
    {.windowClass = "BUTTON", .name = "Button1", .id = 301, .caption = "Go", .left = 8, .top = 8, .width = 75,
     .height = 25, .style = BS_PUSHBUTTON},
    {.windowClass = "STATIC", .name = "Label1", .id = 302, .caption = "Label", .left = 8, .top = 40, .width = 75,
     .height = 13, .exStyle = WS_EX_STATICEDGE, .tabStop = false, .font = &kBold},
};
constexpr FormLayout kHookLayout{.windowClass = "THookForm", .caption = "Hooks", .style = WS_CAPTION | WS_SYSMENU,
                                 .clientWidth = 200, .clientHeight = 60, .controls = kHookControls};

class HookForm : public Form {
public:
    HookForm() : Form(kHookLayout) {}
    std::vector<std::string> calls;
    bool allowClose = false;

protected:
    bool FormShow() override {
        calls.push_back("show");
        return true;
    }
    void FormActivate() override { calls.push_back("activate"); }
    bool FormClose() override {
        calls.push_back("close");
        return allowClose;
    }
    void Command(int id, int notification) override {
        calls.push_back("command " + std::to_string(id) + " " + std::to_string(notification));
    }
};

class FormTest : public ::testing::Test {
protected:
    void SetUp() override { form.Create(Application); }
    void TearDown() override {
        Application.Restore();
        form.Destroy();
    }
    HookForm form;
};

TEST_F(FormTest, HooksRunForShowActivateCloseAndCommand) {
    form.Show();
    SetForegroundWindow(form.Handle());
    Application.ProcessMessages();
    SendMessageA(form.Control(301), BM_CLICK, 0, 0);
    form.Close();
    EXPECT_TRUE(form.Visible());  // the hook refused
    form.allowClose = true;
    form.Close();
    EXPECT_FALSE(form.Visible());
    // Focus events from the display may activate the window again; the first
    // activation is the one that counts.
    const auto first = std::find(form.calls.begin(), form.calls.end(), "activate");
    if (first != form.calls.end()) form.calls.erase(std::remove(first + 1, form.calls.end(), "activate"), form.calls.end());
    EXPECT_EQ(form.calls, (std::vector<std::string>{"show", "activate", "command 301 0", "close", "close"}));

    // The program's minimize and restore hide and show it again without a show request.
    form.Show();
    form.calls.clear();
    Application.Minimize();
    Application.Restore();
    EXPECT_TRUE(form.Visible());
    EXPECT_EQ(std::count(form.calls.begin(), form.calls.end(), "show"), 0);
}

TEST_F(FormTest, LayoutRowsCarryTabStopExtendedStyleAndFont) {
    form.Show();
    const HWND button = form.Control(301), label = form.Control(302);
    EXPECT_TRUE(GetWindowLongPtrA(button, GWL_STYLE) & WS_TABSTOP);
    EXPECT_FALSE(GetWindowLongPtrA(label, GWL_STYLE) & WS_TABSTOP);
    EXPECT_TRUE(GetWindowLongPtrA(label, GWL_EXSTYLE) & WS_EX_STATICEDGE);
    LOGFONTA font{};
    GetObjectA(reinterpret_cast<HFONT>(SendMessageA(label, WM_GETFONT, 0, 0)), sizeof font, &font);
    EXPECT_EQ(font.lfWeight, FW_BOLD);
    GetObjectA(reinterpret_cast<HFONT>(SendMessageA(button, WM_GETFONT, 0, 0)), sizeof font, &font);
    EXPECT_EQ(font.lfWeight, FW_NORMAL);
}

}  // namespace
