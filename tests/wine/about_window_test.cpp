// The About window: its logo as drawn on the screen, its labels sized to
// their text, and its two ways of opening the service's home page.
#include <gtest/gtest.h>

#include <algorithm>
#include <string>
#include <vector>

#include "forms/about_window.h"
#include "win/application.h"
#include "win/handles.h"
#include "win/window_text.h"
#include "shell_recorder.h"
#include "window_shot.h"

namespace {

class AboutWindowTest : public ::testing::Test {
protected:
    void SetUp() override {
        RegisterPngPicture(pictures);
        form.Create(Application);
    }
    PictureClassRegistry pictures;
    TFormAbout form{pictures};
};

// The 65 x 65 box on the screen against the decoder's blend of the logo over
// the button face, computed apart: equal to the bit.
TEST_F(AboutWindowTest, LogoIsBlendedOverTheButtonFaceInItsBox) {
    ASSERT_NE(form.Logo(), nullptr);
    form.Show();
    const RECT box = form.Image1Rect();
    ASSERT_EQ(box.right - box.left, form.Scale(65));
    EXPECT_EQ(LogoMismatches(form, ShootClient(form.Handle())), 0);
    form.Hide();
}

TEST_F(AboutWindowTest, TwoWaysToTheHomePage) {
    ShellRecorder shell;
    SendMessageA(form.Handle(), WM_COMMAND, MAKEWPARAM(TFormAbout::kStaticText1, STN_CLICKED),
                 reinterpret_cast<LPARAM>(form.Control(TFormAbout::kStaticText1)));
    SendMessageA(form.Control(TFormAbout::kBitBtnUpdate), BM_CLICK, 0, 0);
    std::vector<std::string> opened;
    for (const ShellCall& call : shell.calls)
        opened.push_back(call.verb + " " + call.file + (call.owner == form.Handle() ? "" : " (other owner)"));
    EXPECT_EQ(opened, (std::vector<std::string>{"open http://tessaloon.com", "Open http://tessaloon.com"}));
}

// The labels size themselves to their text in their own font, whatever font
// the system gives: every line shows whole. Measured here line by line.
TEST_F(AboutWindowTest, LabelsShowEveryLine) {
    form.Show();
    for (const int id : {TFormAbout::kLabel1, TFormAbout::kLabel2}) {
        const HWND label = form.Control(id);
        const WindowDc dc(label);
        const SelectedObject font(dc.Get(), reinterpret_cast<HFONT>(SendMessageA(label, WM_GETFONT, 0, 0)));
        TEXTMETRICA metrics{};
        GetTextMetricsA(dc.Get(), &metrics);
        const std::string text = WindowText(label);
        LONG widest = 0, lines = 0;
        for (size_t start = 0; start <= text.size(); ++lines) {
            const size_t end = std::min(text.find("\r\n", start), text.size());
            std::string line = text.substr(start, end - start);
            if (const size_t amp = line.find("&&"); amp != std::string::npos) line.erase(amp, 1);
            SIZE size{};
            GetTextExtentPoint32A(dc.Get(), line.c_str(), static_cast<int>(line.size()), &size);
            widest = std::max(widest, size.cx);
            start = end + 2;
        }
        RECT box{};
        GetClientRect(label, &box);
        EXPECT_EQ(box.right, widest) << id;
        EXPECT_EQ(box.bottom, lines * metrics.tmHeight) << id;
        EXPECT_EQ(lines, id == TFormAbout::kLabel2 ? 4 : 1);
    }
}

}  // namespace
