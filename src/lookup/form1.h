// The main lookup window: a one-line, always-on-top tool window with the
// search box and the Lookup button.
#pragma once

#include "shell/form.h"

class TForm1 : public Form {
public:
    enum ControlId { kComboBoxSearch = 101, kBitBtnGo = 102 };

    TForm1();

    HWND ComboBoxSearch() const { return Control(kComboBoxSearch); }
    HWND BitBtnGo() const { return Control(kBitBtnGo); }
};

extern TForm1* Form1;
