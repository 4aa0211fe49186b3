#include "lookup/form1.h"

#include <array>

#include "shell/application.h"
#include "shell/message_boxes.h"

TForm1* Form1 = nullptr;

namespace {

constexpr std::array<ControlSpec, 2> kControls{{
    {"COMBOBOX", "ComboBoxSearch", TForm1::kComboBoxSearch, "", 8, 8, 201, 21,
     CBS_DROPDOWN | CBS_AUTOHSCROLL | WS_VSCROLL},
    {"BUTTON", "BitBtnGo", TForm1::kBitBtnGo, "Lookup", 216, 5, 73, 25, BS_PUSHBUTTON},
}};

constexpr FormSpec kSpec{
    "TForm1",
    "WHOIS Lookup",
    WS_CAPTION | WS_SYSMENU | WS_CLIPSIBLINGS,
    WS_EX_TOOLWINDOW | WS_EX_TOPMOST,
    573,
    143,
    296,
    35,
    "MS Sans Serif",
    8,
    kControls,
};

}  // namespace

TForm1::TForm1() : Form(kSpec) {}

void TForm1::FormCreate() {
    if (!guard_.Acquire()) {
        // A copy already runs: say so and end before anything else happens.
        ShowWarningBox(kAlreadyRunningText);
        Application.Terminate();
        return;
    }
}

void TForm1::FormDestroy() {
    guard_.Release();
}
