// The main lookup window: a one-line, always-on-top tool window with the
// search box and the Lookup button. Its creation step also guards against a
// second copy of the program.
#pragma once

#include <string>

#include "shell/button_glyph.h"
#include "shell/form.h"
#include "shell/single_instance.h"

inline constexpr char kAlreadyRunningText[] = "Program is already Running! Please check in Systray";

class TForm1 : public Form {
public:
    enum ControlId { kComboBoxSearch = 101, kBitBtnGo = 102 };
    // The window-menu entry that shows the settings window.
    static constexpr UINT kSettingsCommand = 0x0010;

    TForm1();

    HWND ComboBoxSearch() const { return Control(kComboBoxSearch); }
    HWND SearchEdit() const;
    HWND BitBtnGo() const { return Control(kBitBtnGo); }
    std::string SearchText() const;
    ATOM RunningAtom() const { return guard_.RunningAtom(); }

    void BitBtnGoClick();
    void ComboBoxSearchKeyPress(char key);
    void ComboBoxSearchExit();
    void ClearHistory1Click();

protected:
    void ControlsCreated() override;
    void FormCreate() override;
    void FormDestroy() override;
    void FormClose();
    LRESULT HandleMessage(UINT message, WPARAM wParam, LPARAM lParam) override;

private:
    static LRESULT CALLBACK SearchEditProc(HWND edit, UINT message, WPARAM wParam, LPARAM lParam);
    LRESULT SearchEditMessage(HWND edit, UINT message, WPARAM wParam, LPARAM lParam);
    void LoadButtonGlyph();

    SingleInstanceGuard guard_;
    UniqueImageList glyph_;
    WNDPROC searchEditProc_ = nullptr;  // the edit field's own procedure
};

extern TForm1* Form1;
