// The settings window: one button that clears the search history, and where
// the history is kept when that is not beside the program.
#pragma once

#include "forms/search_history.h"
#include "win/form.h"

class TFormSetting : public Form {
public:
    enum ControlId { kBitBtnClearAutocomplete = 101, kLabelHistoryPlace = 102, kEditHistoryPlace = 103 };

    explicit TFormSetting(SearchHistory& history);
    HWND BitBtnClearAutocomplete() const { return Control(kBitBtnClearAutocomplete); }
    void BitBtnClearAutocompleteClick();

protected:
    void ControlsCreated() override;
    void Command(int id, int notification) override;

private:
    SearchHistory& history_;
};

extern TFormSetting* FormSetting;
