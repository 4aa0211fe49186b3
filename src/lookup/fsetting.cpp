#include "lookup/fsetting.h"

#include <array>
#include <string>

#include "lookup/form1.h"
#include "lookup/history_store.h"
#include "shell/message_boxes.h"

TFormSetting* FormSetting = nullptr;

namespace {

constexpr std::array<ControlSpec, 1> kControls{{
    {"BUTTON", "BitBtnClearAutocomplete", TFormSetting::kBitBtnClearAutocomplete, "Clear Auto Complete", 16,
     16, 113, 25, BS_PUSHBUTTON},
}};

constexpr FormSpec kSpec{
    "TFormSetting", "FormSetting", WS_CAPTION | WS_SYSMENU | WS_CLIPSIBLINGS, WS_EX_DLGMODALFRAME, 192, 124,
    146,           61,            "MS Sans Serif",                           8,                   kControls,
};

}  // namespace

TFormSetting::TFormSetting() : Form(kSpec) {}

// Empties the search box and its list whether or not History.txt exists (the
// list would otherwise be saved again at the next close), and deletes the
// file when there is one. Only a failed deletion changes nothing.
void TFormSetting::BitBtnClearAutocompleteClick() {
    const std::string path = HistoryFilePath();
    if (IsFile(path) && !DeleteFileA(path.c_str())) {
        ShowPlainBox(kFailedToClearText);
        return;
    }
    if (Form1) ClearSearchBox(Form1->ComboBoxSearch());
    ShowPlainBox(kClearedText);
}

LRESULT TFormSetting::HandleMessage(UINT message, WPARAM wParam, LPARAM lParam) {
    if (message == WM_COMMAND && LOWORD(wParam) == kBitBtnClearAutocomplete && HIWORD(wParam) == BN_CLICKED) {
        BitBtnClearAutocompleteClick();
        return 0;
    }
    return Form::HandleMessage(message, wParam, lParam);
}
