// The settings window: one button that clears the search history.
#pragma once

#include "shell/form.h"

inline constexpr char kClearedText[] = "Auto complete cleared";
inline constexpr char kFailedToClearText[] = "Auto complete fail to clear";

class TFormSetting : public Form {
public:
    enum ControlId { kBitBtnClearAutocomplete = 101 };

    TFormSetting();
    HWND BitBtnClearAutocomplete() const { return Control(kBitBtnClearAutocomplete); }
    void BitBtnClearAutocompleteClick();

protected:
    LRESULT HandleMessage(UINT message, WPARAM wParam, LPARAM lParam) override;
};

extern TFormSetting* FormSetting;
