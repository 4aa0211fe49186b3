#include "forms/about_window.h"

#include <array>
#include <span>

#include "core/lookup_address.h"
#include "core/texts.h"
#include "forms/open_address.h"
#include "win/picture_draw.h"
#include "win/tray_icon.h"

TFormAbout* FormAbout = nullptr;

namespace {

constexpr FontLayout kBold{.bold = true};
constexpr FontLayout kLink{.points = 10, .underline = true};
constexpr COLORREF kLinkColor = RGB(0, 0, 255);
// In tab order: Exit, Close Window, Check Update; the logo, the labels and the
// link are no tab stops.
constexpr std::array<ControlLayout, 7> kControls{{
    {.windowClass = "BUTTON", .name = "BitBtn1", .id = TFormAbout::kBitBtn1, .caption = texts::kExitButton,
     .left = 232, .top = 8, .width = 57, .height = 25, .style = BS_PUSHBUTTON, .picture = "EXITGLYPH"},
    {.windowClass = "BUTTON", .name = "BitBtn2", .id = TFormAbout::kBitBtn2, .caption = texts::kCloseWindowButton,
     .left = 8, .top = 8, .width = 105, .height = 25, .style = BS_PUSHBUTTON, .picture = "CLOSEGLYPH"},
    {.windowClass = "BUTTON", .name = "BitBtnUpdate", .id = TFormAbout::kBitBtnUpdate,
     .caption = texts::kCheckUpdateButton, .left = 120, .top = 8, .width = 105, .height = 25,
     .style = BS_PUSHBUTTON, .picture = "UPDATEGLYPH"},
    // A box of its own, drawn by the window, so that it is a graphic with a name.
    {.windowClass = "STATIC", .name = "Image1", .id = TFormAbout::kImage1, .left = 8, .top = 48, .width = 65,
     .height = 65, .style = SS_OWNERDRAW, .tabStop = false,
     .accessible = {.name = texts::kLogoName, .role = ROLE_SYSTEM_GRAPHIC}},
    {.windowClass = "STATIC", .name = "Label1", .id = TFormAbout::kLabel1, .caption = texts::kAboutTitle,
     .left = 80, .top = 45, .width = 209, .height = 13, .style = SS_LEFTNOWORDWRAP | SS_NOPREFIX,
     .tabStop = false, .font = &kBold, .autoSize = true},
    {.windowClass = "STATIC", .name = "Label2", .id = TFormAbout::kLabel2, .caption = texts::kAboutDescription,
     .left = 80, .top = 64, .width = 202, .height = 52, .style = SS_LEFTNOWORDWRAP, .tabStop = false,
     .autoSize = true},
    {.windowClass = "STATIC", .name = "StaticText1", .id = TFormAbout::kStaticText1,
     .caption = texts::kCopyrightLink, .left = 0, .top = 121, .width = 296, .height = 20,
     .style = SS_CENTER | SS_NOPREFIX | SS_NOTIFY, .tabStop = false, .font = &kLink,
     .accessible = {.role = ROLE_SYSTEM_LINK}},
}};

constexpr FormLayout kLayout{
    .windowClass = "TFormAbout",
    .caption = texts::kAboutCaption,
    .captionIcon = false,
    .style = WS_CAPTION | WS_SYSMENU | WS_CLIPSIBLINGS | WS_CLIPCHILDREN,
    .exStyle = WS_EX_DLGMODALFRAME | WS_EX_TOPMOST,
    .clientWidth = 296,
    .clientHeight = 141,
    .controls = kControls,
    .initialFocus = TFormAbout::kBitBtn2,
};

// The stored picture resource: the picture class's name, then its data.
std::unique_ptr<TPngPicture> LoadLogo(const PictureClassRegistry& pictures) {
    const HMODULE module = GetModuleHandleA(nullptr);
    const HRSRC found = FindResourceA(module, "ABOUTLOGO", MAKEINTRESOURCEA(10));  // RT_RCDATA
    const HGLOBAL loaded = found ? LoadResource(module, found) : nullptr;
    const void* bytes = loaded ? LockResource(loaded) : nullptr;
    if (!bytes) return nullptr;
    MemoryReadStream stream(std::span(static_cast<const uint8_t*>(bytes), SizeofResource(module, found)));
    std::unique_ptr<TGraphic> picture = LoadStoredPicture(pictures, stream);
    if (auto* png = dynamic_cast<TPngPicture*>(picture.get())) {
        picture.release();
        return std::unique_ptr<TPngPicture>(png);
    }
    return nullptr;
}

}  // namespace

TFormAbout::TFormAbout(const PictureClassRegistry& pictures) : Form(kLayout), pictures_(pictures) {}

TFormAbout::~TFormAbout() = default;

RECT TFormAbout::Image1Rect() const {
    RECT box{};
    GetWindowRect(Control(kImage1), &box);
    MapWindowPoints(nullptr, Handle(), reinterpret_cast<POINT*>(&box), 2);
    return box;
}

// The logo is decoded once, here; a failure is reported and the window
// shows without it.
void TFormAbout::FormCreate() {
    PlaceAboveNotificationArea(Handle());
    logo_ = LoadLogo(pictures_);
}

bool TFormAbout::FormShow() {
    Requests().MakeRoomForAbout();
    return true;
}

bool TFormAbout::FormClose() {
    Host().Restore();
    return true;
}

void TFormAbout::ExitClick() { Requests().EndProgram(); }

void TFormAbout::CloseWindowClick() {
    Requests().HideBulkWindow();
    Hide();
    Host().Restore();
}

void TFormAbout::BitBtnUpdateClick() { OpenAddressChecked(Handle(), ServiceHomeAddress()); }

void TFormAbout::HomePageLinkClick() { OpenAddress(Handle(), ServiceHomeAddress()); }

void TFormAbout::Command(int id, int notification) {
    switch (id) {
        case kBitBtn1:
            if (notification == BN_CLICKED) ExitClick();
            break;
        case kBitBtn2:
            if (notification == BN_CLICKED) CloseWindowClick();
            break;
        case kBitBtnUpdate:
            if (notification == BN_CLICKED) BitBtnUpdateClick();
            break;
        case kStaticText1:
            if (notification == STN_CLICKED) HomePageLinkClick();
            break;
    }
}

LRESULT TFormAbout::HandleMessage(UINT message, WPARAM wParam, LPARAM lParam) {
    switch (message) {
        case WM_DRAWITEM:
            // Image1: the logo scaled into its box, blended over the window's background.
            if (wParam == kImage1) {
                const auto& item = *reinterpret_cast<const DRAWITEMSTRUCT*>(lParam);
                FillRect(item.hDC, &item.rcItem, GetSysColorBrush(COLOR_BTNFACE));
                if (logo_) Draw(*logo_, item.hDC, item.rcItem);
                return TRUE;
            }
            break;
        case WM_CTLCOLORSTATIC:
            if (reinterpret_cast<HWND>(lParam) == Control(kStaticText1)) {
                const HDC dc = reinterpret_cast<HDC>(wParam);
                SetTextColor(dc, HighContrastOn() ? GetSysColor(COLOR_HOTLIGHT) : kLinkColor);
                SetBkColor(dc, GetSysColor(COLOR_BTNFACE));
                return reinterpret_cast<LRESULT>(GetSysColorBrush(COLOR_BTNFACE));
            }
            break;
        case WM_SETCURSOR:
            // The link shows the pointing hand.
            if (reinterpret_cast<HWND>(wParam) == Control(kStaticText1)) {
                SetCursor(LoadCursorA(nullptr, IDC_HAND));
                return TRUE;
            }
            break;
    }
    return Form::HandleMessage(message, wParam, lParam);
}
