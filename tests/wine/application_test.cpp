// Minimize and restore of the program through the application window.
#include "win/application.h"

#include <gtest/gtest.h>

#include "test_form.h"

namespace {

class ApplicationTest : public ::testing::Test, private ProgramEvents {
protected:
    void SetUp() override {
        shown.Create(Application);
        hidden.Create(Application);
        shown.Show();
        Application.SetEvents(this);
    }
    void TearDown() override {
        Application.Restore();
        Application.SetEvents(nullptr);
    }
    TestForm shown, hidden;
    int minimizeNotices = 0;

private:
    void CloseRequested() override {}
    void Minimized() override { ++minimizeNotices; }
    void SessionEnding() override {}
};

TEST_F(ApplicationTest, MinimizeHidesEveryFormAndNotifiesOnce) {
    Application.Minimize();
    EXPECT_TRUE(Application.Minimized());
    EXPECT_FALSE(IsWindowVisible(shown.Handle()));
    EXPECT_EQ(minimizeNotices, 1);
    Application.Minimize();  // already minimized: nothing happens
    EXPECT_EQ(minimizeNotices, 1);
}

int g_applicationActivations = 0;

LRESULT CALLBACK CountApplicationActivations(int code, WPARAM wParam, LPARAM lParam) {
    const auto* call = reinterpret_cast<const CWPSTRUCT*>(lParam);
    if (call->hwnd == Application.Handle() && call->message == WM_ACTIVATE && LOWORD(call->wParam) != WA_INACTIVE)
        ++g_applicationActivations;
    return CallNextHookEx(nullptr, code, wParam, lParam);
}

// The unactivated restore is for a caller that activates a form itself next:
// the application window is not activated on the way.
TEST_F(ApplicationTest, EitherRestoreShowsAgainWhatTheMinimizeHid) {
    const HHOOK hook = SetWindowsHookExW(WH_CALLWNDPROC, CountApplicationActivations, nullptr, GetCurrentThreadId());
    for (const bool activating : {true, false}) {
        Application.Minimize();
        g_applicationActivations = 0;
        activating ? Application.Restore() : Application.RestoreUnactivated();
        EXPECT_EQ(g_applicationActivations, activating ? 1 : 0) << activating;
        EXPECT_FALSE(Application.Minimized()) << activating;
        EXPECT_TRUE(IsWindowVisible(shown.Handle())) << activating;
        EXPECT_FALSE(IsWindowVisible(hidden.Handle())) << activating;  // it was hidden before
        if (activating) {
            EXPECT_EQ(GetActiveWindow(), shown.Handle());  // not the application window
        }
        EXPECT_TRUE(IsWindowEnabled(Application.Handle())) << activating;
    }
    UnhookWindowsHookEx(hook);
    EXPECT_EQ(minimizeNotices, 2);
}

TEST_F(ApplicationTest, RestoreWithoutMinimizeChangesNothing) {
    Application.Restore();
    Application.RestoreUnactivated();
    EXPECT_FALSE(Application.Minimized());
    EXPECT_TRUE(IsWindowVisible(shown.Handle()));
    EXPECT_FALSE(IsWindowVisible(hidden.Handle()));
}

}  // namespace
