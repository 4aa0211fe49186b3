// The settings window: one button that clears the search history, the global
// hotkey that shows the search box and what became of it, and where the
// history is kept when that is not beside the program.
#pragma once

#include <cstdint>

#include "forms/form_requests.h"
#include "forms/search_history.h"
#include "win/form.h"

class TFormSetting : public Form, public RaisesRequests {
public:
    enum ControlId {
        kBitBtnClearAutocomplete = 101,
        kLabelHistoryPlace = 102,
        kEditHistoryPlace = 103,
        kHotKeyShow = 104,
        kLabelHotKeyStatus = 105,
    };

    explicit TFormSetting(SearchHistory& history);
    HWND BitBtnClearAutocomplete() const { return Control(kBitBtnClearAutocomplete); }
    HWND HotKeyShow() const { return Control(kHotKeyShow); }
    void BitBtnClearAutocompleteClick();
    // At start-up: the stored hotkey into the field, registered, and what
    // became of it in the status label.
    void ApplyStoredHotkey();
    // The field changed: the key it holds replaces the registered one and is
    // stored, unless refused.
    void HotKeyShowChange();

protected:
    void ControlsCreated() override;
    void Command(int id, int notification) override;

private:
    // Registers the key through the owner and says what became of it; the
    // word to store: the key when it may be used, else 0.
    std::uint32_t ApplyHotkey(std::uint32_t word);

    SearchHistory& history_;
};

extern TFormSetting* FormSetting;
