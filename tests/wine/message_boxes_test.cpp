// The program's own message boxes and the failure box, as real modal windows.
#include "win/message_boxes.h"

#include <gtest/gtest.h>

#include <array>
#include <string>
#include <thread>

#include "box_watcher.h"
#include "test_form.h"
#include "win/application.h"
#include "win/form.h"

namespace {

struct BoxSeen {
    HWND box = nullptr;
    std::string caption, message;
    RECT client{}, button{}, label{};
    int buttons = 0;
    bool hasIcon = false;
};

BoxSeen Inspect(HWND box) {
    BoxSeen seen;
    seen.box = box;
    seen.caption = WindowText(box);
    seen.message = BoxMessage(box);
    GetClientRect(box, &seen.client);
    for (HWND child : Children(box)) {
        RECT r{};
        GetWindowRect(child, &r);
        MapWindowPoints(nullptr, box, reinterpret_cast<POINT*>(&r), 2);
        const std::string cls = ClassName(child);
        if (_stricmp(cls.c_str(), "Button") == 0) {
            ++seen.buttons;
            seen.button = r;
        } else if (WindowText(child).empty()) {
            seen.hasIcon = true;
        } else {
            seen.label = r;
        }
    }
    return seen;
}

bool IsOwnBox(HWND window) { return ClassName(window) == "TMessageForm"; }

// Shows a box, inspects it once when it activates, then closes it with a key
// sent to its button.
BoxSeen ShowAndClose(void (*show)(std::string_view), std::string_view text, UINT key = VK_RETURN) {
    BoxSeen seen;
    BoxWatcher watcher([&](HWND window) {
        if (!IsOwnBox(window) || seen.box) return;
        seen = Inspect(window);
        PostKey(GetDlgItem(window, IDOK), key);
    });
    show(text);
    return seen;
}

class MessageBoxTest : public ::testing::Test {
protected:
};

TEST_F(MessageBoxTest, EachKindHasItsCaptionIconAndOneOkButton) {
    const BoxSeen warning = ShowAndClose(ShowWarningBox, "Program is already Running! Please check in Systray");
    EXPECT_EQ(warning.caption, "Warning");
    EXPECT_EQ(warning.message, "Program is already Running! Please check in Systray");
    EXPECT_TRUE(warning.hasIcon);
    EXPECT_EQ(warning.buttons, 1);

    const BoxSeen error = ShowAndClose(ShowErrorBox, "Unable To access URL");
    EXPECT_EQ(error.caption, "Error");
    EXPECT_TRUE(error.hasIcon);

    const BoxSeen plain = ShowAndClose(ShowPlainBox, "History cleared");
    EXPECT_EQ(plain.caption, "");  // the application title
    EXPECT_FALSE(plain.hasIcon);
    EXPECT_EQ(plain.buttons, 1);
}

TEST_F(MessageBoxTest, ShortTextGivesTheButtonRowPlusMargins) {
    const BoxSeen box = ShowAndClose(ShowPlainBox, "x");
    const int margin = box.button.left;
    EXPECT_GT(margin, 0);
    EXPECT_EQ(box.client.right, box.button.right + margin);
    EXPECT_EQ(box.label.left, margin);
}

TEST_F(MessageBoxTest, LongLineWrapsAtHalfTheScreen) {
    std::string text;
    for (int i = 0; i < 120; ++i) text += "word ";
    const BoxSeen box = ShowAndClose(ShowPlainBox, text);
    const int halfScreen = GetSystemMetrics(SM_CXSCREEN) / 2;
    EXPECT_LE(box.label.right - box.label.left, halfScreen);
    EXPECT_GT(box.label.right - box.label.left, halfScreen * 3 / 4);  // filled, not cut short
    EXPECT_GT(box.label.bottom - box.label.top, 3 * 13);               // several lines
    EXPECT_GT(box.button.top, box.label.bottom);
}

TEST_F(MessageBoxTest, EnterEscapeAndSpaceClose) {
    // Each call returning at all is the check: the box's loop ended.
    for (UINT key : {VK_RETURN, VK_ESCAPE, VK_SPACE}) {
        const BoxSeen box = ShowAndClose(ShowWarningBox, "close me", key);
        EXPECT_NE(box.box, nullptr);
        EXPECT_FALSE(IsWindow(box.box)) << "key " << key;
    }
}

TEST_F(MessageBoxTest, CloseButtonCloses) {
    HWND seen = nullptr;
    BoxWatcher watcher([&](HWND window) {
        if (!IsOwnBox(window) || seen) return;
        seen = window;
        PostMessageA(window, WM_SYSCOMMAND, SC_CLOSE, 0);
    });
    ShowErrorBox("close me");
    EXPECT_NE(seen, nullptr);
}

// Holds the keyboard state with Ctrl down for the thread, as the keyboard
// would have left it, and puts it back afterwards.
class CtrlHeld {
public:
    CtrlHeld() {
        GetKeyboardState(saved_.data());
        std::array<BYTE, 256> state = saved_;
        state[VK_CONTROL] = state[VK_LCONTROL] = 0x80;
        SetKeyboardState(state.data());
    }
    ~CtrlHeld() { SetKeyboardState(saved_.data()); }

private:
    std::array<BYTE, 256> saved_{};
};

std::string ClipboardText() {
    std::string text;
    if (!OpenClipboard(nullptr)) return "<clipboard busy>";
    if (HANDLE data = GetClipboardData(CF_TEXT)) {
        text = static_cast<const char*>(GlobalLock(data));
        GlobalUnlock(data);
    }
    CloseClipboard();
    return text;
}

TEST_F(MessageBoxTest, CtrlCCopiesTheBoxText) {
    HWND seen = nullptr;
    {
        CtrlHeld ctrl;
        BoxWatcher watcher([&](HWND window) {
            if (!IsOwnBox(window) || seen) return;
            seen = window;
            PostKey(GetDlgItem(window, IDOK), 'C');
            PostKey(GetDlgItem(window, IDOK), VK_RETURN);
        });
        ShowWarningBox("Program is already Running! Please check in Systray");
    }
    ASSERT_NE(seen, nullptr);
    const std::string divider = "---------------------------\r\n";
    EXPECT_EQ(ClipboardText(), divider + "Warning\r\n" + divider +
                                   "Program is already Running! Please check in Systray\r\n" + divider +
                                   "OK   \r\n" + divider);
}

TEST_F(MessageBoxTest, CIsNotCopiedWithoutCtrl) {
    OpenClipboard(nullptr);
    EmptyClipboard();
    CloseClipboard();
    BoxWatcher watcher([&](HWND window) {
        if (!IsOwnBox(window)) return;
        PostKey(GetDlgItem(window, IDOK), 'C');
        PostKey(GetDlgItem(window, IDOK), VK_RETURN);
    });
    ShowWarningBox("text");
    EXPECT_EQ(ClipboardText(), "");
}

TEST_F(MessageBoxTest, BusyClipboardIsReportedAndTheBoxStaysOpen) {
    // Another thread holds the clipboard open.
    HANDLE opened = CreateEventA(nullptr, TRUE, FALSE, nullptr);
    HANDLE release = CreateEventA(nullptr, TRUE, FALSE, nullptr);
    std::thread holder([opened, release] {
        OpenClipboard(nullptr);
        SetEvent(opened);
        WaitForSingleObject(release, INFINITE);
        CloseClipboard();
    });
    WaitForSingleObject(opened, INFINITE);

    HWND box = nullptr;
    std::string failureCaption, failureText;
    bool boxAliveAfterFailure = false;
    {
        CtrlHeld ctrl;
        BoxWatcher watcher([&](HWND window) {
            if (IsOwnBox(window) && !box) {
                box = window;
                PostKey(GetDlgItem(window, IDOK), 'C');
            } else if (ClassName(window) == "#32770" && failureText.empty()) {
                failureCaption = WindowText(window);
                failureText = BoxMessage(window);
                PostMessageA(window, WM_COMMAND, IDOK, 0);
            } else if (window == box && !failureText.empty() && !boxAliveAfterFailure) {
                boxAliveAfterFailure = true;  // activated again after the failure box
                PostKey(GetDlgItem(window, IDOK), VK_RETURN);
            }
        });
        ShowPlainBox("copy me");
    }
    SetEvent(release);
    holder.join();
    for (HANDLE h : {opened, release}) CloseHandle(h);

    EXPECT_EQ(failureCaption, "");
    EXPECT_EQ(failureText, "Cannot open clipboard.");
    EXPECT_TRUE(boxAliveAfterFailure);
}

TEST_F(MessageBoxTest, OtherWindowsAreDisabledWhileABoxIsOpenAndActiveAgainAfter) {
    TestForm form;
    form.Create(Application);
    form.Show();
    SetActiveWindow(form.Handle());
    bool enabledWhileOpen = true;
    BoxWatcher watcher([&](HWND window) {
        if (!IsOwnBox(window)) return;
        enabledWhileOpen = IsWindowEnabled(form.Handle());
        PostKey(GetDlgItem(window, IDOK), VK_RETURN);
    });
    ShowWarningBox("modal");
    EXPECT_FALSE(enabledWhileOpen);
    EXPECT_TRUE(IsWindowEnabled(form.Handle()));
    EXPECT_EQ(GetActiveWindow(), form.Handle());
}

TEST_F(MessageBoxTest, FailureBoxShowsTheMessageWithItsFullStopRule) {
    std::vector<std::string> seen;
    TestForm form;
    form.Create(Application);
    form.Show();
    bool formEnabled = true;
    BoxWatcher watcher([&](HWND window) {
        if (ClassName(window) != "#32770") return;
        seen.push_back(WindowText(window) + "|" + BoxMessage(window));
        formEnabled = IsWindowEnabled(form.Handle());
        PostMessageA(window, WM_COMMAND, IDOK, 0);
    });
    ShowFailureBox("Stream write error");
    ShowFailureBox("Cannot open file \"C:\\x\"");
    ASSERT_EQ(seen.size(), 2u);
    EXPECT_EQ(seen[0], "|Stream write error.");
    EXPECT_EQ(seen[1], "|Cannot open file \"C:\\x\"");
    EXPECT_FALSE(formEnabled);
    EXPECT_TRUE(IsWindowEnabled(form.Handle()));
}

TEST_F(MessageBoxTest, HandlerFailureIsReportedAndTheWindowGoesOn) {
    TestForm form;
    form.Create(Application);
    std::string reported;
    BoxWatcher watcher([&](HWND window) {
        if (ClassName(window) != "#32770") return;
        reported = BoxMessage(window);
        PostMessageA(window, WM_COMMAND, IDOK, 0);
    });
    EXPECT_EQ(SendMessageA(form.Handle(), WM_APP, 0, 0), 0);
    EXPECT_EQ(reported, "Handler failed (on purpose)");
    EXPECT_TRUE(IsWindow(form.Handle()));
    // The window still answers messages.
    EXPECT_TRUE(SetWindowTextA(form.Handle(), "still here"));
    EXPECT_EQ(WindowText(form.Handle()), "still here");
}

TEST_F(MessageBoxTest, CreationStepFailureIsReportedAndCreationCompletes) {
    TestForm form;
    form.failInCreate = true;
    std::string reported;
    BoxWatcher watcher([&](HWND window) {
        if (ClassName(window) != "#32770") return;
        reported = BoxMessage(window);
        PostMessageA(window, WM_COMMAND, IDOK, 0);
    });
    form.Create(Application);
    EXPECT_EQ(reported, "Creation failed.");
    ASSERT_NE(form.Handle(), nullptr);
    EXPECT_NE(form.Control(201), nullptr);
    EXPECT_FALSE(form.createFinished);
}

}  // namespace
