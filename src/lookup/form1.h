// The main lookup window: a one-line, always-on-top tool window with the
// search box and the Lookup button. Its creation step also guards against a
// second copy of the program.
#pragma once

#include "shell/form.h"
#include "shell/single_instance.h"

inline constexpr char kAlreadyRunningText[] = "Program is already Running! Please check in Systray";

class TForm1 : public Form {
public:
    enum ControlId { kComboBoxSearch = 101, kBitBtnGo = 102 };

    TForm1();

    HWND ComboBoxSearch() const { return Control(kComboBoxSearch); }
    HWND BitBtnGo() const { return Control(kBitBtnGo); }
    ATOM RunningAtom() const { return guard_.RunningAtom(); }

protected:
    void FormCreate() override;
    void FormDestroy() override;

private:
    SingleInstanceGuard guard_;
};

extern TForm1* Form1;
