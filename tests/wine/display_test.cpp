// The four windows' fixed numbers, and the windows at every display scale
// and under a high-contrast theme:
// laid out again when their DPI changes, at the system's own DPI on the
// screen (tests/wine/every_scale.py runs that one at 96, 120, 144 and 192
// DPI), and in the system's colours.
#include <gtest/gtest.h>

#include <windows.h>
#include <commctrl.h>
#include <uxtheme.h>

#include <cstdlib>
#include <algorithm>
#include <map>
#include <memory>
#include <optional>
#include <stdexcept>
#include <set>
#include <string>
#include <utility>
#include <vector>

#include "forms/about_window.h"
#include "forms/bulk_window.h"
#include "forms/settings_window.h"
#include "core/placement.h"
#include "win/tray_icon.h"
#include "program_fixture.h"
#include "win/window_text.h"
#include "window_shot.h"

namespace {

int IconWidth(HICON icon) {
    ICONINFO info{};
    if (!GetIconInfo(icon, &info)) return 0;
    BITMAP bitmap{};
    GetObjectA(info.hbmMask, sizeof bitmap, &bitmap);
    DeleteObject(info.hbmColor);
    DeleteObject(info.hbmMask);
    return bitmap.bmWidth;
}

// A control's text in its own font: the height of its characters, and the
// room it needs with its lines kept whole. A label's or a button's text is
// clipped (or wrapped) when it needs more than its box gives.
struct Text {
    int characterHeight;
    SIZE needs;
};
Text TextOf(HWND control) {
    const std::string text = WindowText(control);
    const WindowDc dc(control);
    const SelectedObject font(dc.Get(), reinterpret_cast<HFONT>(SendMessageA(control, WM_GETFONT, 0, 0)));
    TEXTMETRICA metrics{};
    GetTextMetricsA(dc.Get(), &metrics);
    RECT box{};
    const bool noPrefix = ClassName(control) == "Static" && (GetWindowLongPtrA(control, GWL_STYLE) & SS_NOPREFIX);
    DrawTextA(dc.Get(), text.c_str(), static_cast<int>(text.size()), &box,
              DT_CALCRECT | DT_EXPANDTABS | (noPrefix ? DT_NOPREFIX : 0));
    return {metrics.tmHeight - metrics.tmInternalLeading, {box.right, text.empty() ? 0 : box.bottom}};
}

// The four windows' fixed numbers, written out rather than read from the
// windows' own layouts, so that a wrong number there shows: caption, the
// frame's extended styles among tool window, dialog frame and always on top,
// the client area, and the controls in tab order with their places and sizes
// in pixels at 96 DPI. A size of 0 is not checked: a label sized to its text.
// Every frame has a caption and a system menu, and can be neither resized,
// minimized nor maximized. The settings window opens at its stored place,
// the others just above the notification area.
struct FixedControl {
    int id;
    const char* name;
    int left, top, width, height;
    bool tabStop;
};
struct FixedWindow {
    const char* windowClass;
    const char* caption;
    DWORD exStyle;
    int clientWidth, clientHeight;
    std::optional<POINT> stored;  // none: above the notification area
    std::vector<FixedControl> controls;
};
const FixedWindow kFixedWindows[] = {
    {"TForm1", "WHOIS Lookup", WS_EX_TOOLWINDOW | WS_EX_TOPMOST, 296, 35, {},
     {{TForm1::kComboBoxSearch, "ComboBoxSearch", 8, 8, 201, 21, true},
      {TForm1::kBitBtnGo, "BitBtnGo", 216, 5, 73, 25, true}}},
    {"TFormAbout", "About", WS_EX_DLGMODALFRAME | WS_EX_TOPMOST, 296, 141, {},
     {{TFormAbout::kBitBtn1, "BitBtn1", 232, 8, 57, 25, true},
      {TFormAbout::kBitBtn2, "BitBtn2", 8, 8, 105, 25, true},
      {TFormAbout::kBitBtnUpdate, "BitBtnUpdate", 120, 8, 105, 25, true},
      {TFormAbout::kImage1, "Image1", 8, 48, 65, 65, false},
      {TFormAbout::kLabel1, "Label1", 80, 45, 0, 0, false},
      {TFormAbout::kLabel2, "Label2", 80, 64, 0, 0, false},
      {TFormAbout::kStaticText1, "StaticText1", 0, 121, 296, 20, false}}},
    {"TFormSetting", "FormSetting", WS_EX_DLGMODALFRAME, 146, 104, POINT{192, 124},
     {{TFormSetting::kBitBtnClearAutocomplete, "BitBtnClearAutocomplete", 16, 16, 113, 25, true},
      {TFormSetting::kHotKeyShow, "HotKeyShow", 16, 49, 113, 21, true},
      {TFormSetting::kLabelHotKeyStatus, "LabelHotKeyStatus", 8, 74, 130, 26, false}}},
    {"TFormBulkWhoisLookupTool", "Bulk Whois Lookup Tool", WS_EX_TOOLWINDOW | WS_EX_TOPMOST, 299, 181, {},
     {{TFormBulkWhoisLookupTool::kBitBtnBulkLookup, "BitBtnBulkLookup", 200, 8, 97, 25, true},
      {TFormBulkWhoisLookupTool::kMemo1, "Memo1", 8, 8, 185, 169, true},
      {TFormBulkWhoisLookupTool::kLabel1, "Label1", 212, 44, 0, 0, false},
      {TFormBulkWhoisLookupTool::kLabel2, "Label2", 208, 64, 0, 0, false}}},
};

const FixedWindow& FixedFor(const Form& form) {
    const std::string windowClass = ClassName(form.Handle());
    for (const FixedWindow& window : kFixedWindows)
        if (windowClass == window.windowClass) return window;
    throw std::runtime_error("no fixed numbers for " + windowClass);
}

// What is wrong with the form's layout at its DPI; empty when nothing is:
// the fixed numbers scaled, and each control inside the window, in a font of
// the height its points ask, its picture scaled and its text whole.
std::vector<std::string> LayoutFaults(const Form& form) {
    std::vector<std::string> faults;
    const FixedWindow& fixed = FixedFor(form);
    const int dpi = static_cast<int>(form.Dpi());
    const auto scaled = [dpi](int pixelsAt96) { return MulDiv(pixelsAt96, dpi, 96); };
    RECT client{};
    GetClientRect(form.Handle(), &client);
    if (client.right != scaled(fixed.clientWidth) || client.bottom != scaled(fixed.clientHeight))
        faults.push_back("client area not scaled");
    for (const FixedControl& row : fixed.controls) {
        const HWND control = form.Control(row.id);
        const std::string name = row.name;
        const RECT box = ChildRect(form.Handle(), control);
        if (box.left != scaled(row.left) || box.top != scaled(row.top)) faults.push_back(name + " moved");
        // A combo box takes the height of its font's field: the designed one
        // at 96 DPI, its own at other scales.
        const bool heightFixed = row.height && (dpi == 96 || ClassName(control) != "ComboBox");
        if ((row.width && box.right - box.left != scaled(row.width)) ||
            (heightFixed && box.bottom - box.top != scaled(row.height)))
            faults.push_back(name + " resized");
        if (box.left < 0 || box.top < 0 || box.right > client.right || box.bottom > client.bottom)
            faults.push_back(name + " outside the window");
        // The characters as high as the points ask, give or take the sizes a
        // face comes in.
        const auto layout = std::ranges::find(form.Layout().controls, row.id, &ControlLayout::id);
        const FontLayout& font = layout->font ? *layout->font : form.Layout().font;
        const int asked = MulDiv(font.points, dpi, 72);
        auto [characters, needs] = TextOf(control);
        if (characters < asked * 7 / 8 || characters > asked * 9 / 8) faults.push_back(name + " font not scaled");
        LONG room = box.right - box.left;
        BUTTON_IMAGELIST images{};
        if (ClassName(control) == "Button" && SendMessageA(control, BCM_GETIMAGELIST, 0, reinterpret_cast<LPARAM>(&images)) &&
            images.himl) {
            int width = 0, height = 0;
            ImageList_GetIconSize(images.himl, &width, &height);
            if (width != scaled(16) || height != scaled(16)) faults.push_back(name + " picture not scaled");
            needs.cx += images.margin.left + width + images.margin.right;
        }
        if (ClassName(control) == "Button") room -= 2 * GetSystemMetricsForDpi(SM_CXEDGE, form.Dpi());
        if (ClassName(control) != "ComboBox" && ClassName(control) != "Edit" &&
            (needs.cx > room || needs.cy > box.bottom - box.top))
            faults.push_back(name + " text clipped");
    }
    return faults;
}

class DisplayTest : public ProgramTest {
protected:
    void SetUp() override {
        ProgramTest::SetUp();
        StartProgram();
        form->Hide();
    }

    struct Window {
        Form* form;
        bool titleIcon;  // dialog frames carry none
    };
    std::vector<Window> Windows() {
        return {{form, true}, {FormAbout, false}, {FormSetting, false}, {FormBulkWhoisLookupTool, true}};
    }
    int TrayImageSize() const { return IconWidth(form->Icon().Data().hIcon); }

};

// A window whose DPI changes is laid out for it: its frame, controls, fonts
// and pictures, and the icon of the main window in the notification area, in
// its small image for that scale. Any process can send the message, so the
// DPI is the window's own whatever the message says, and the suggested place
// holds only as far as the window stays on a monitor's work area. Run at each
// scale by every_scale.py too.
TEST_F(DisplayTest, EveryWindowIsLaidOutAgainWhenItsDpiChanges) {
    constexpr LONG kFar = 40000, kHuge = 2000000000;
    struct Message {
        const char* what;
        int dpi;         // -1: the window's own
        RECT suggested;  // empty: the frame's own size, 10 pixels into its monitor's work area
    };
    const Message messages[] = {
        {"a genuine change", -1, {}},
        {"a DPI no display has, far off the screen", 65535, {kFar, kFar, kFar + 300, kFar + 200}},
        {"no DPI", 0, {-kFar, -kFar, -kFar + 300, -kFar + 200}},
        {"a rectangle of absurd size", 192, {-kHuge, -kHuge, kHuge, kHuge}},
    };
    // The work area of the monitor the window is on; empty when on none.
    const auto workArea = [](HWND hwnd) {
        MONITORINFO monitor{};
        monitor.cbSize = sizeof monitor;
        GetMonitorInfoA(MonitorFromWindow(hwnd, MONITOR_DEFAULTTONULL), &monitor);
        return monitor.rcWork;
    };
    for (const Message& message : messages) {
        for (const Window& window : Windows()) {
            const HWND hwnd = window.form->Handle();
            const UINT own = GetDpiForWindow(hwnd);
            const bool genuine = IsRectEmpty(&message.suggested);
            RECT suggested = message.suggested, frame{}, inside{};
            if (genuine) {
                GetWindowRect(hwnd, &suggested);
                const RECT work = workArea(hwnd);
                OffsetRect(&suggested, work.left + 10 - suggested.left, work.top + 10 - suggested.top);
            }
            const UINT claimed = message.dpi < 0 ? own : static_cast<UINT>(message.dpi);
            SendMessageA(hwnd, WM_DPICHANGED, MAKEWPARAM(claimed, claimed), reinterpret_cast<LPARAM>(&suggested));
            const std::string what = WindowText(hwnd) + ", " + message.what;
            EXPECT_EQ(window.form->Dpi(), own) << what;
            EXPECT_EQ(LayoutFaults(*window.form), std::vector<std::string>{}) << what;
            GetWindowRect(hwnd, &frame);
            const RECT work = workArea(hwnd);
            EXPECT_TRUE(IntersectRect(&inside, &frame, &work) && EqualRect(&inside, &frame)) << what;
            if (genuine) {
                EXPECT_EQ(frame.left, suggested.left) << what;
                EXPECT_EQ(frame.top, suggested.top) << what;
            }
        }
        EXPECT_EQ(TrayImageSize(), GetSystemMetricsForDpi(SM_CXSMICON, GetDpiForWindow(form->Handle())))
            << message.what;
    }
}

// Where the program puts a window of the given frame: just above the
// notification area, or, with none, in the bottom-right corner of the
// primary monitor's work area.
POINT AboveTheNotificationArea(const RECT& frame) {
    const RECT notify = GetTrayNotifyRect();
    ScreenRect tray{notify.left, notify.top, notify.right, notify.bottom};
    MONITORINFO monitor{};
    monitor.cbSize = sizeof monitor;
    GetMonitorInfoA(IsZeroRect(tray) ? MonitorFromPoint({0, 0}, MONITOR_DEFAULTTOPRIMARY)
                                     : MonitorFromRect(&notify, MONITOR_DEFAULTTONEAREST),
                    &monitor);
    const RECT& w = monitor.rcWork;
    const ScreenRect work{w.left, w.top, w.right, w.bottom};
    if (IsZeroRect(tray)) tray = BottomRightCorner(work);
    const ScreenPoint at = PlaceAboveNotificationArea(tray, frame.right - frame.left, frame.bottom - frame.top, work);
    return {at.x, at.y};
}

// Each window as it opens, against its fixed numbers: caption, frame, where
// it opens, owned by the application window, hidden until shown (the main
// window aside, which the start shows), its controls' tab order and face.
TEST_F(DisplayTest, EveryWindowOpensWithItsFixedFrameAndPlace) {
    std::set<std::string> checked;
    for (const Window& window : Windows()) {
        const HWND hwnd = window.form->Handle();
        const FixedWindow& fixed = FixedFor(*window.form);
        const std::string caption = WindowText(hwnd);
        checked.insert(fixed.windowClass);
        EXPECT_EQ(caption, fixed.caption);
        EXPECT_EQ(GetWindow(hwnd, GW_OWNER), Application.Handle()) << caption;
        EXPECT_TRUE(window.form == form || !IsWindowVisible(hwnd)) << caption;
        const LONG_PTR style = GetWindowLongPtrA(hwnd, GWL_STYLE), exStyle = GetWindowLongPtrA(hwnd, GWL_EXSTYLE);
        EXPECT_EQ(style & (WS_CAPTION | WS_SYSMENU | WS_THICKFRAME | WS_MINIMIZEBOX | WS_MAXIMIZEBOX),
                  WS_CAPTION | WS_SYSMENU)
            << caption;
        EXPECT_EQ(exStyle & (WS_EX_TOOLWINDOW | WS_EX_DLGMODALFRAME | WS_EX_TOPMOST), fixed.exStyle) << caption;
        RECT frame{};
        GetWindowRect(hwnd, &frame);
        const POINT at = fixed.stored ? *fixed.stored : AboveTheNotificationArea(frame);
        EXPECT_EQ(frame.left, at.x) << caption;
        EXPECT_EQ(frame.top, at.y) << caption;

        std::vector<int> expected, order;
        for (const FixedControl& row : fixed.controls)
            if (row.tabStop) expected.push_back(row.id);
        expected.push_back(expected.front());  // and round again
        for (HWND c = GetNextDlgTabItem(hwnd, nullptr, FALSE); c && order.size() < expected.size();
             c = GetNextDlgTabItem(hwnd, c, FALSE))
            order.push_back(GetDlgCtrlID(c));
        EXPECT_EQ(order, expected) << caption;
        window.form->Show();
        for (const FixedControl& row : fixed.controls) {
            LOGFONTA font{};
            GetObjectA(reinterpret_cast<HFONT>(SendMessageA(window.form->Control(row.id), WM_GETFONT, 0, 0)),
                       sizeof font, &font);
            EXPECT_STREQ(font.lfFaceName, "MS Sans Serif") << caption << " " << row.name;
        }
        window.form->Hide();
    }
    EXPECT_EQ(checked.size(), std::size(kFixedWindows));
}

// At the system's DPI, on the screen: each window's fixed numbers scaled,
// its title bar's icon or none, the logo drawn at its scaled size, and the
// icon in the notification area at its size. Run at each scale by every_scale.py, which
// asks for the DPI (QUORVANE_SCALE_DPI) and a folder for the pictures
// (QUORVANE_SCALE_SHOTS).
TEST_F(DisplayTest, EveryWindowOnTheScreenAtTheSystemScale) {
    if (const char* asked = std::getenv("QUORVANE_SCALE_DPI")) {
        ASSERT_EQ(GetDpiForSystem(), std::stoul(asked));
    }
    const char* shots = std::getenv("QUORVANE_SCALE_SHOTS");
    for (const Window& window : Windows()) {
        const HWND hwnd = window.form->Handle();
        const std::string caption = WindowText(hwnd);
        window.form->Show();
        EXPECT_EQ(window.form->Dpi(), GetDpiForWindow(hwnd)) << caption;
        EXPECT_EQ(LayoutFaults(*window.form), std::vector<std::string>{}) << caption;
        EXPECT_EQ(GetClassLongPtrA(hwnd, GCLP_HICONSM) != 0, window.titleIcon) << caption;
        EXPECT_EQ(SendMessageA(hwnd, WM_GETICON, ICON_SMALL, 0), 0) << caption;
        const WindowShot shot = ShootClient(hwnd);
        if (window.form == FormAbout) {
            EXPECT_EQ(LogoMismatches(*FormAbout, shot), 0);
        }
        if (shots) {
            const std::string file = std::string(shots) + "\\" + window.form->Layout().windowClass + ".bmp";
            shot.Save(std::wstring(file.begin(), file.end()));
        }
        window.form->Hide();
    }
    EXPECT_EQ(TrayImageSize(), GetSystemMetricsForDpi(SM_CXSMICON, form->Dpi()));
}

// A high-contrast scheme for the length of a test: distinct colours, so that
// each pixel tells which one it came from. The system's are restored after.
class SystemColours {
public:
    SystemColours() {
        for (const auto& [index, colour] : kScheme) saved_.emplace_back(index, GetSysColor(index));
        // A high-contrast theme turns the visual styles off; Wine's theme
        // stays, so the test turns them off for its own windows.
        SetThemes(L" ");
        Set(kScheme);
        contrast_.cbSize = sizeof contrast_;
        SystemParametersInfoA(SPI_GETHIGHCONTRAST, sizeof contrast_, &contrast_, 0);
        HIGHCONTRASTA on = contrast_;
        on.dwFlags |= HCF_HIGHCONTRASTON;
        SystemParametersInfoA(SPI_SETHIGHCONTRAST, sizeof on, &on, SPIF_SENDCHANGE);
    }
    ~SystemColours() {
        SystemParametersInfoA(SPI_SETHIGHCONTRAST, sizeof contrast_, &contrast_, SPIF_SENDCHANGE);
        Set(saved_);
        SetThemes(nullptr);
    }
    SystemColours(const SystemColours&) = delete;
    SystemColours& operator=(const SystemColours&) = delete;

    static constexpr std::pair<int, COLORREF> kScheme[] = {
        {COLOR_BTNFACE, RGB(0, 0, 0)},         {COLOR_BTNTEXT, RGB(255, 255, 255)},
        {COLOR_WINDOW, RGB(0, 0, 96)},         {COLOR_WINDOWTEXT, RGB(255, 255, 0)},
        {COLOR_HOTLIGHT, RGB(0, 255, 255)},    {COLOR_BTNHIGHLIGHT, RGB(255, 0, 255)},
        {COLOR_BTNSHADOW, RGB(128, 0, 128)},   {COLOR_3DDKSHADOW, RGB(64, 0, 64)},
        {COLOR_3DLIGHT, RGB(192, 0, 192)},     {COLOR_WINDOWFRAME, RGB(0, 255, 0)},
        {COLOR_HIGHLIGHT, RGB(0, 128, 0)},     {COLOR_HIGHLIGHTTEXT, RGB(255, 128, 0)},
    };

private:
    // Visual styles off (an empty theme) or back to the system's, for every
    // window of the test's thread and their controls.
    static void SetThemes(const wchar_t* theme) {
        EnumThreadWindows(GetCurrentThreadId(), SetThemeWithChildren, reinterpret_cast<LPARAM>(theme));
    }
    static BOOL CALLBACK SetThemeWithChildren(HWND window, LPARAM theme) {
        SetTheme(window, theme);
        EnumChildWindows(window, SetTheme, theme);
        return TRUE;
    }
    static BOOL CALLBACK SetTheme(HWND window, LPARAM theme) {
        SetWindowTheme(window, reinterpret_cast<const wchar_t*>(theme), reinterpret_cast<const wchar_t*>(theme));
        return TRUE;
    }
    template <class Pairs>
    static void Set(const Pairs& pairs) {
        std::vector<int> indexes;
        std::vector<COLORREF> colours;
        for (const auto& [index, colour] : pairs) {
            indexes.push_back(index);
            colours.push_back(colour);
        }
        SetSysColors(static_cast<int>(indexes.size()), indexes.data(), colours.data());
    }
    std::vector<std::pair<int, COLORREF>> saved_;
    HIGHCONTRASTA contrast_{};
};

COLORREF MostCommon(const std::map<COLORREF, int>& colours) {
    std::pair<COLORREF, int> best{CLR_INVALID, 0};
    for (const auto& entry : colours)
        if (entry.second > best.second) best = entry;
    return best.first;
}

// Under a high-contrast theme: faces, text, the link and the status label in
// the system's colours, the logo over the current face. Wine keeps no
// high-contrast flag; the link is then expected in its own blue, which is
// what the program shows while the flag is off.
TEST_F(DisplayTest, ColoursComeFromTheSystemUnderHighContrast) {
    const SystemColours scheme;
    std::set<COLORREF> allowed{GetSysColor(COLOR_WINDOW) ^ RGB(255, 255, 255)};  // the caret inverts
    for (const auto& [index, colour] : SystemColours::kScheme) allowed.insert(colour);
    const COLORREF face = GetSysColor(COLOR_BTNFACE), text = GetSysColor(COLOR_WINDOWTEXT);
    ASSERT_EQ(face, RGB(0, 0, 0));
    const COLORREF link = HighContrastOn() ? GetSysColor(COLOR_HOTLIGHT) : RGB(0, 0, 255);
    SetWindowTextA(FormBulkWhoisLookupTool->Label1(), "Please wait..");
    SizeLabelToText(FormBulkWhoisLookupTool->Label1());
    SetWindowTextA(FormSetting->Control(TFormSetting::kLabelHotKeyStatus), "Another program already uses this key.");
    for (const Window& window : Windows()) {
        const HWND hwnd = window.form->Handle();
        const std::string caption = WindowText(hwnd);
        window.form->Show();
        const WindowShot shot = ShootClient(hwnd);
        EXPECT_EQ(shot.At(0, 0), face) << caption;
        for (const ControlLayout& row : window.form->Layout().controls) {
            if (window.form == FormAbout && row.id == TFormAbout::kImage1) continue;  // the logo, checked below
            const HWND control = window.form->Control(row.id);
            RECT box = ChildRect(hwnd, control);
            // The frame that the system draws around the hotkey field keeps
            // Wine's theme, which no window of the test can turn off: the
            // field's inside is checked, where the control itself draws.
            if (ClassName(control) == HOTKEY_CLASSA) {
                GetClientRect(control, &box);
                MapWindowPoints(control, hwnd, reinterpret_cast<POINT*>(&box), 2);
            }
            const auto colours = shot.Colours(box);
            if (row.picture) {  // the picture keeps its own colours
                EXPECT_EQ(MostCommon(colours), face) << row.name;
                EXPECT_TRUE(colours.contains(GetSysColor(COLOR_BTNTEXT))) << row.name;
            } else if (ClassName(control) == "Static") {
                const COLORREF ink = row.id == TFormAbout::kStaticText1 && window.form == FormAbout ? link : text;
                EXPECT_TRUE(colours.size() == 2 && colours.contains(face) && colours.contains(ink))
                    << caption << " " << row.name;
            } else {
                for (const auto& [colour, count] : colours)
                    EXPECT_TRUE(allowed.contains(colour)) << caption << " " << row.name << " " << std::hex << colour;
            }
        }
        if (window.form == FormAbout) {
            EXPECT_EQ(LogoMismatches(*FormAbout, shot), 0);
        }
        window.form->Hide();
    }
}

}  // namespace
