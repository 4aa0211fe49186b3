#include "forms/settings_window.h"

#include <array>

#include "core/texts.h"
#include "win/message_boxes.h"

TFormSetting* FormSetting = nullptr;

namespace {

constexpr ControlLayout kClearButton{
    .windowClass = "BUTTON", .name = "BitBtnClearAutocomplete", .id = TFormSetting::kBitBtnClearAutocomplete,
    .caption = texts::kClearAutoCompleteButton, .left = 16, .top = 16, .width = 113, .height = 25,
    .style = BS_PUSHBUTTON};
constexpr std::array<ControlLayout, 1> kControls{kClearButton};
// With the history kept away from the program, where it is: a read-only
// field, so the whole path can be scrolled, selected and copied.
constexpr std::array<ControlLayout, 3> kControlsWithPlace{
    kClearButton,
    {.windowClass = "STATIC", .name = "LabelHistoryPlace", .id = TFormSetting::kLabelHistoryPlace,
     .caption = texts::kHistoryKeptIn, .left = 8, .top = 52, .width = 130, .height = 13,
     .style = SS_LEFTNOWORDWRAP | SS_NOPREFIX, .tabStop = false},
    {.windowClass = "EDIT", .name = "EditHistoryPlace", .id = TFormSetting::kEditHistoryPlace, .left = 8,
     .top = 67, .width = 130, .height = 21, .style = ES_READONLY | ES_AUTOHSCROLL, .exStyle = WS_EX_CLIENTEDGE,
     .accessible = {.name = texts::kHistoryKeptIn}},
};

constexpr FormLayout kLayout{
    .windowClass = "TFormSetting",
    .caption = texts::kSettingsCaption,
    .captionIcon = false,
    .style = WS_CAPTION | WS_SYSMENU | WS_CLIPSIBLINGS,
    .exStyle = WS_EX_DLGMODALFRAME,
    .left = 192,
    .top = 124,
    .clientWidth = 146,
    .clientHeight = 61,
    .controls = kControls,
};

constexpr FormLayout kLayoutWithPlace = [] {
    FormLayout layout = kLayout;
    layout.clientHeight = 96;
    layout.controls = kControlsWithPlace;
    return layout;
}();

}  // namespace

TFormSetting::TFormSetting(SearchHistory& history)
    : Form(history.KeptBesideProgram() ? kLayout : kLayoutWithPlace), history_(history) {}

void TFormSetting::ControlsCreated() {
    if (const HWND place = Control(kEditHistoryPlace)) SetWindowTextW(place, history_.File().Path().c_str());
}

void TFormSetting::BitBtnClearAutocompleteClick() {
    ShowPlainBox(history_.Clear() ? texts::kAutoCompleteCleared : texts::kAutoCompleteNotCleared);
}

void TFormSetting::Command(int id, int notification) {
    if (id == kBitBtnClearAutocomplete && notification == BN_CLICKED) BitBtnClearAutocompleteClick();
}
