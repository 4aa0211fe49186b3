#include "forms/settings_window.h"

#include <array>

#include "core/texts.h"
#include "win/message_boxes.h"

TFormSetting* FormSetting = nullptr;

namespace {

constexpr std::array<ControlLayout, 1> kControls{{
    {.windowClass = "BUTTON", .name = "BitBtnClearAutocomplete", .id = TFormSetting::kBitBtnClearAutocomplete,
     .caption = texts::kClearAutoCompleteButton, .left = 16, .top = 16, .width = 113, .height = 25,
     .style = BS_PUSHBUTTON},
}};

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

}  // namespace

TFormSetting::TFormSetting(SearchHistory& history) : Form(kLayout), history_(history) {}

void TFormSetting::BitBtnClearAutocompleteClick() {
    ShowPlainBox(history_.Clear() ? texts::kAutoCompleteCleared : texts::kAutoCompleteNotCleared);
}

void TFormSetting::Command(int id, int notification) {
    if (id == kBitBtnClearAutocomplete && notification == BN_CLICKED) BitBtnClearAutocompleteClick();
}
