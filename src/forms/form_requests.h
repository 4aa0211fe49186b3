// What a window asks of the owner of the program's windows: a form knows no
// other form, so whatever concerns another window goes through here.
#pragma once

#include <cstdint>

class FormRequests {
public:
    // The notification-area menu's entries and the settings command.
    virtual void ShowBulkWindow() = 0;
    virtual void ShowAboutWindow() = 0;
    virtual void ShowSettingsWindow() = 0;
    // The main window came back through the menu: the bulk and About windows go.
    virtual void HideBulkAndAbout() = 0;
    // The bulk window is about to show: the main window closes (saving the
    // history) and About hides. False when the close failed: it stays hidden.
    virtual bool MakeRoomForBulkWindow() = 0;
    // The About window is about to show: the main and bulk windows hide.
    virtual void MakeRoomForAbout() = 0;
    // About's "Close Window" takes the bulk window with it.
    virtual void HideBulkWindow() = 0;
    // About's "Exit": the history is saved, then the program ends.
    virtual void EndProgram() = 0;
    // The settings window's hotkey (the hotkey field's word, 0 for none)
    // replaces the main window's. False when another program holds the key.
    virtual bool SetHotkey(std::uint32_t word) = 0;

protected:
    ~FormRequests() = default;
};

// A form made alone (a test's) asks nobody: there is no other window.
class NoFormRequests final : public FormRequests {
public:
    void ShowBulkWindow() override {}
    void ShowAboutWindow() override {}
    void ShowSettingsWindow() override {}
    void HideBulkAndAbout() override {}
    bool MakeRoomForBulkWindow() override { return true; }
    void MakeRoomForAbout() override {}
    void HideBulkWindow() override {}
    void EndProgram() override {}
    bool SetHotkey(std::uint32_t) override { return true; }
};

// The requests a form raises, nobody's until the owner sets itself.
class RaisesRequests {
public:
    void SetRequests(FormRequests* requests) { requests_ = requests; }

protected:
    FormRequests& Requests() { return requests_ ? *requests_ : none_; }

private:
    FormRequests* requests_ = nullptr;
    NoFormRequests none_;
};
