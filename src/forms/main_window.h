// The main lookup window: a one-line, always-on-top tool window with the
// search box and the Lookup button. Its creation step also guards against a
// second copy of the program and loads the search history.
#pragma once

#include <string>

#include "forms/search_history.h"
#include "win/form.h"
#include "win/single_instance.h"

class TForm1 : public Form {
public:
    enum ControlId { kComboBoxSearch = 101, kBitBtnGo = 102 };
    // The window-menu entry that shows the settings window.
    static constexpr UINT kSettingsCommand = 0x0010;

    explicit TForm1(SearchHistory& history);

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
    bool FormClose() override;
    void Command(int id, int notification) override;
    LRESULT HandleMessage(UINT message, WPARAM wParam, LPARAM lParam) override;

private:
    static LRESULT CALLBACK SearchEditProc(HWND edit, UINT message, WPARAM wParam, LPARAM lParam);
    LRESULT SearchEditMessage(HWND edit, UINT message, WPARAM wParam, LPARAM lParam);
    void SaveAtEnd(bool sessionEnding);

    SearchHistory& history_;
    SingleInstanceGuard guard_;
    WNDPROC searchEditProc_ = nullptr;  // the edit field's own procedure
};

extern TForm1* Form1;
