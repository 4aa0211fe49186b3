// The settings window: one button that clears the search history.
#pragma once

#include "forms/search_history.h"
#include "win/form.h"

class TFormSetting : public Form {
public:
    enum ControlId { kBitBtnClearAutocomplete = 101 };

    explicit TFormSetting(SearchHistory& history);
    HWND BitBtnClearAutocomplete() const { return Control(kBitBtnClearAutocomplete); }
    void BitBtnClearAutocompleteClick();

protected:
    void Command(int id, int notification) override;

private:
    SearchHistory& history_;
};

extern TFormSetting* FormSetting;
