// The bulk window's box, normalized line by line as the box counts its lines.
#include <gtest/gtest.h>

#include <random>
#include <string>

#include "box_watcher.h"
#include "core/bulk_entry.h"
#include "forms/bulk_window.h"
#include "win/ansi_code_page.h"
#include "win/application.h"
#include "win/memo_lines.h"
#include "win/window_text.h"
#include "shell_recorder.h"

namespace {

class BulkWindowTest : public ::testing::Test {
protected:
    void SetUp() override { form.Create(Application); }
    TFormBulkWhoisLookupTool form;
};

TEST_F(BulkWindowTest, LineOperationsWorkOnDisplayLines) {
    MemoLines lines(form.Memo1());
    const std::string longLine(300, 'x');  // wraps at the box's width
    SetWindowTextA(form.Memo1(), ("a\r\n\r\n" + longLine + "\r\n").c_str());
    const int wrapped = lines.DisplayLines() - 4;
    ASSERT_GT(wrapped, 0);
    EXPECT_EQ(lines.Count(), 3 + wrapped);  // no final empty entry
    EXPECT_EQ(lines.Line(1), "");
    EXPECT_EQ(lines.Line(lines.DisplayLines()), "");
    lines.Replace(0, "bc");
    lines.Replace(lines.DisplayLines(), "never");
    EXPECT_EQ(WindowText(form.Memo1()), "bc\r\n\r\n" + longLine + "\r\n");
    SetWindowTextA(form.Memo1(), "a\r\n\r\n");  // two breaks: one empty entry at the end
    EXPECT_EQ(lines.Count(), 2);
    EXPECT_EQ(lines.Line(1), "");
    SetWindowTextA(form.Memo1(), "");
    EXPECT_EQ(lines.Count(), 0);
}

// Escape in the box, through the program's dialog navigation, leaves the
// window open.
TEST_F(BulkWindowTest, EscapeInTheBoxDoesNotCloseTheWindow) {
    form.Show();
    SetForegroundWindow(form.Handle());
    SetFocus(form.Memo1());
    PostKey(form.Memo1(), VK_ESCAPE);
    Application.ProcessMessages();
    EXPECT_TRUE(form.Visible());
    form.Hide();
}

// The window's pass over hidden pieces of the text must leave the box exactly
// as the plain walk over the box's own display lines does, wrapped lines,
// lines that shrink and empty lines included.
TEST_F(BulkWindowTest, NormalizingMatchesTheWalkOverTheBoxsOwnLines) {
    const auto lower = [](std::string& text) { CharLowerBuffA(text.data(), static_cast<DWORD>(text.size())); };
    const char* const kParts[] = {"https://www.", "HTTP://", "Host", ".Example", "/path/", "==x", "  ", "www.",
                                  "a-rather-long-label-that-wraps-in-the-box", "192.0.2.1", "AS64500", ""};
    std::mt19937 random(7);
    HWND reference = CreateWindowExA(WS_EX_CLIENTEDGE, "EDIT", "", GetWindowLongA(form.Memo1(), GWL_STYLE) & ~WS_VISIBLE,
                                     0, 0, 0, 0, form.Handle(), nullptr, nullptr, nullptr);
    RECT frame{};
    GetWindowRect(form.Memo1(), &frame);
    SetWindowPos(reference, nullptr, 0, 0, frame.right - frame.left, frame.bottom - frame.top, SWP_NOMOVE);
    SendMessageA(reference, WM_SETFONT, SendMessageA(form.Memo1(), WM_GETFONT, 0, 0), FALSE);
    for (int round = 0; round < 20; ++round) {
        std::string text;
        for (int line = 0, lines = 1 + static_cast<int>(random() % 150); line < lines; ++line) {
            for (int part = 0, parts = static_cast<int>(random() % 6); part < parts; ++part)
                text += kParts[random() % std::size(kParts)];
            if (line + 1 < lines || random() % 2) text += "\r\n";
        }
        SetWindowTextA(reference, text.c_str());
        MemoLines walk(reference);
        for (int i = 0, count = walk.Count(); i < count; ++i) walk.Replace(i, NormalizeEntry(walk.Line(i), SystemCodePage(), lower));
        SetWindowTextA(form.Memo1(), text.c_str());
        form.NormalizeLines();
        ASSERT_EQ(WindowText(form.Memo1()), WindowText(reference)) << text;
    }
    DestroyWindow(reference);
}

// Under UTF-8, lowering a character can change its length (U+023A takes a
// byte more in lower case, the Kelvin sign two bytes less): such a character
// stays as it is, and those after it stay whole. Run under a UTF-8 code page
// only.
TEST_F(BulkWindowTest, Utf8LinesAreLoweredCharacterByCharacter) {
    if (GetACP() != CP_UTF8) GTEST_SKIP() << "needs the UTF-8 code page";
    SetWindowTextA(form.Memo1(), "\xC8\xBA\xC3\x89" "COLE.example\r\nwww.\xE2\x84\xAA" "AB\r\n");
    form.NormalizeLines();
    EXPECT_EQ(WindowText(form.Memo1()), "\xC8\xBA\xC3\xA9" "cole.example\r\n\xE2\x84\xAA" "ab\r\n");
}

// The run dispatches nothing while it waits, so the status must be painted
// when it is set: at the hand-off the label shows "Please wait.." with no
// paint pending, and afterwards it is empty again, also painted.
TEST_F(BulkWindowTest, RunShowsItsStatusAndOpensTheNormalizedEntry) {
    form.Show();
    UpdateWindow(form.Handle());
    ShellRecorder shell;
    shell.during = [&] {
        const HWND label = form.Label1();
        RECT size{};
        GetClientRect(label, &size);
        return WindowText(label) + (size.right > 0 ? "" : " (no width)") +
               (GetUpdateRect(label, nullptr, FALSE) ? " (not painted)" : "");
    };
    SetWindowTextA(form.Memo1(), " HTTPS://www.Ex.COM/x\r\n");  // short enough not to wrap
    SendMessageA(form.BitBtnBulkLookup(), BM_CLICK, 0, 0);
    EXPECT_EQ(shell.Opened(), std::vector<std::string>{"http://tessaloon.com/whois/ex.com Please wait.."});
    EXPECT_EQ(shell.calls.at(0).owner, form.Handle());
    EXPECT_EQ(WindowText(form.Memo1()), "ex.com\r\n");
    EXPECT_EQ(WindowText(form.Label1()), "");
    EXPECT_FALSE(GetUpdateRect(form.Label1(), nullptr, FALSE));
    EXPECT_TRUE(IsWindowEnabled(form.BitBtnBulkLookup()));
    form.Hide();
}

}  // namespace
