#include "forms/settings_window.h"

#include <commctrl.h>

#include <array>

#include "core/hotkey_rules.h"
#include "core/texts.h"
#include "forms/hotkey_store.h"
#include "win/message_boxes.h"

TFormSetting* FormSetting = nullptr;

namespace {

constexpr ControlLayout kClearButton{
    .windowClass = "BUTTON", .name = "BitBtnClearAutocomplete", .id = TFormSetting::kBitBtnClearAutocomplete,
    .caption = texts::kClearAutoCompleteButton, .left = 16, .top = 16, .width = 113, .height = 25,
    .style = BS_PUSHBUTTON};
// The hotkey field (the platform's, which shows the key as it is pressed)
// and below it, in up to two lines, what became of the key chosen.
constexpr ControlLayout kHotkeyField{
    .windowClass = HOTKEY_CLASSA, .name = "HotKeyShow", .id = TFormSetting::kHotKeyShow, .left = 16, .top = 49,
    .width = 113, .height = 21, .exStyle = WS_EX_CLIENTEDGE,
    .accessible = {.name = texts::kHotkeyName, .role = ROLE_SYSTEM_HOTKEYFIELD}};
constexpr ControlLayout kHotkeyStatus{
    .windowClass = "STATIC", .name = "LabelHotKeyStatus", .id = TFormSetting::kLabelHotKeyStatus, .left = 8,
    .top = 74, .width = 130, .height = 26, .style = SS_LEFT | SS_NOPREFIX, .tabStop = false};
constexpr std::array<ControlLayout, 3> kControls{kClearButton, kHotkeyField, kHotkeyStatus};
// With the history kept away from the program, where it is: a read-only
// field, so the whole path can be scrolled, selected and copied.
constexpr std::array<ControlLayout, 5> kControlsWithPlace{
    kClearButton,
    kHotkeyField,
    kHotkeyStatus,
    {.windowClass = "STATIC", .name = "LabelHistoryPlace", .id = TFormSetting::kLabelHistoryPlace,
     .caption = texts::kHistoryKeptIn, .left = 8, .top = 104, .width = 130, .height = 13,
     .style = SS_LEFTNOWORDWRAP | SS_NOPREFIX, .tabStop = false},
    {.windowClass = "EDIT", .name = "EditHistoryPlace", .id = TFormSetting::kEditHistoryPlace, .left = 8,
     .top = 119, .width = 130, .height = 21, .style = ES_READONLY | ES_AUTOHSCROLL, .exStyle = WS_EX_CLIENTEDGE,
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
    .clientHeight = 104,
    .controls = kControls,
};

constexpr FormLayout kLayoutWithPlace = [] {
    FormLayout layout = kLayout;
    layout.clientHeight = 148;
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

std::uint32_t TFormSetting::ApplyHotkey(std::uint32_t word) {
    const hotkey::Verdict verdict = hotkey::Judge(hotkey::Decode(word));
    const std::uint32_t usable = hotkey::Registers(verdict) ? word : 0;
    // A refused key leaves none registered, as the field no longer shows the old one.
    const bool registered = Requests().SetHotkey(usable);
    SetWindowTextA(Control(kLabelHotKeyStatus), hotkey::StatusText(verdict, registered));
    return usable;
}

void TFormSetting::ApplyStoredHotkey() {
    const std::uint32_t word = StoredHotkey();
    SendMessageA(HotKeyShow(), HKM_SETHOTKEY, word & 0xFFFF, 0);
    if (word) ApplyHotkey(word);
}

// Kept even when another program holds the key now: the next start tries
// again. A refused key, or modifiers still waiting for their key, leave none
// stored.
void TFormSetting::HotKeyShowChange() {
    StoreHotkey(ApplyHotkey(static_cast<std::uint32_t>(SendMessageA(HotKeyShow(), HKM_GETHOTKEY, 0, 0) & 0xFFFF)));
}

void TFormSetting::Command(int id, int notification) {
    if (id == kBitBtnClearAutocomplete && notification == BN_CLICKED) BitBtnClearAutocompleteClick();
    if (id == kHotKeyShow && notification == EN_CHANGE) HotKeyShowChange();
}
