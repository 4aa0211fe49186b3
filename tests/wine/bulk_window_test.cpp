// The bulk window's box, normalized line by line as the box counts its lines.
#include <gtest/gtest.h>

#include <random>
#include <string>
#include <vector>

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

// The window's pass over a hidden twin of the box must leave the box exactly
// as the plain walk over the box's own display lines does, wrapped lines,
// lines that shrink and empty lines included. Every LF ends a display line,
// alone or after CR, and a lone CR does not; a long line crosses the twin's
// windows many times, and windows of many sizes put their ends at every kind
// of place. Characters of the code page the test runs in take part. (A long
// line whose widths change far ahead, narrow letters and then wide ones, may
// wrap otherwise: see the twin's window.)
TEST_F(BulkWindowTest, NormalizingMatchesTheWalkOverTheBoxsOwnLines) {
    const auto lower = [](std::string& text) { CharLowerBuffA(text.data(), static_cast<DWORD>(text.size())); };
    std::vector<std::string> parts{"https://www.", "HTTP://", "Host", ".Example", "/path/", "==x", "  ", "www.",
                                   "a-rather-long-label-that-wraps-in-the-box", "192.0.2.1", "AS64500", "",
                                   "https://www.Example.com/a b"};
    for (const wchar_t* wide : {L"\u00c9COLE.example", L"\u30c6\u30b9\u30c8.\u4f8b", L"\U0001F600x"})
        if (const auto ansi = AnsiForm(wide)) parts.push_back(*ansi);
    struct Shape {
        const char* name;
        int rounds, minParts, maxParts;
        std::vector<const char*> separators;  // after each part, drawn at random
        size_t minWindow, maxWindow;          // 0: the window's own size
    };
    const Shape kShapes[] = {
        {"lines apart by CR LF", 12, 1, 600, {"\r\n", "", "", ""}, 0, 0},
        {"lines apart by LF, CR LF or CR CR LF; lone CR", 12, 1, 600, {"\n", "\r\n", "\r\r\n", "\r", "", ""}, 0, 0},
        {"one long line with blanks", 2, 900, 1100, {" ", "", ""}, 0, 0},
        {"long lines apart by LF", 2, 900, 1100, {" ", "", "", "", "", "", "", "", "\n"}, 0, 0},
        {"long lines, windows of many sizes", 4, 300, 1300, {" ", "", "", "", "", "", "", "", "", "\n"}, 2048, 8192},
        {"any breaks, windows of many sizes", 20, 1, 300, {"\n", "\r\n", " ", "", "", ""}, 2048, 8192},
    };
    std::mt19937 random(7);
    const auto draw = [&](size_t low, size_t high) { return low + random() % (high - low + 1); };
    HWND reference = CreateWindowExA(WS_EX_CLIENTEDGE, "EDIT", "", GetWindowLongA(form.Memo1(), GWL_STYLE) & ~WS_VISIBLE,
                                     0, 0, 0, 0, form.Handle(), nullptr, nullptr, nullptr);
    RECT frame{};
    GetWindowRect(form.Memo1(), &frame);
    SetWindowPos(reference, nullptr, 0, 0, frame.right - frame.left, frame.bottom - frame.top, SWP_NOMOVE);
    SendMessageA(reference, WM_SETFONT, SendMessageA(form.Memo1(), WM_GETFONT, 0, 0), FALSE);
    for (const Shape& shape : kShapes) {
        for (int round = 0; round < shape.rounds; ++round) {
            std::string text;
            for (size_t part = 0, count = draw(shape.minParts, shape.maxParts); part < count; ++part)
                text.append(parts[random() % parts.size()]).append(shape.separators[random() % shape.separators.size()]);
            SetWindowTextA(reference, text.c_str());
            MemoLines walk(reference);
            for (int i = 0, count = walk.Count(); i < count; ++i)
                walk.Replace(i, NormalizeEntry(walk.Line(i), SystemCodePage(), lower));
            SetWindowTextA(form.Memo1(), text.c_str());
            const size_t window = shape.minWindow ? draw(shape.minWindow, shape.maxWindow) : 0;
            if (window) form.NormalizeLines(window);
            else form.NormalizeLines();
            ASSERT_EQ(WindowText(form.Memo1()), WindowText(reference))
                << shape.name << ", window " << window << ", " << text.size() << " bytes: " << text;
            // The caret where the last replacement leaves it.
            ASSERT_EQ(SendMessageW(form.Memo1(), EM_GETSEL, 0, 0), SendMessageW(reference, EM_GETSEL, 0, 0)) << shape.name;
        }
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
