// What a window asks of the owner of the program's windows: a form knows no
// other form, so whatever concerns another window goes through here.
#pragma once

#include <windows.h>

class FormRequests {
public:
    // The notification-area menu's entries and the settings command.
    virtual void ShowBulkWindow() = 0;
    virtual void ShowAbout() = 0;
    virtual void ShowSettings() = 0;
    // The main window came back through the menu: the other windows go.
    virtual void MainWindowRestored() = 0;
    // The bulk window is about to show: answers whether the show goes on.
    virtual bool BulkWindowShowing() = 0;
    // The About window is about to show.
    virtual void AboutShowing() = 0;
    // About's "Close Window" takes the bulk window with it.
    virtual void HideBulkWindow() = 0;
    // About's "Exit": the history is saved, then the program ends.
    virtual void EndProgram() = 0;
    // The main window's search box is made: its history can fill it, and
    // the program's icon can be prepared for the window.
    virtual void MainWindowCreated() = 0;
    // The main window was activated: the program lives in the icon from now.
    virtual void MainWindowActivated() = 0;
    // The icon asked for its menu, to open at `at` (screen coordinates).
    virtual void OpenTrayMenu(POINT at) = 0;
    // The shell's taskbar was made again, without the program's icon.
    virtual void TaskbarCreated() = 0;
    // The main window is going: nothing may refer to it any more.
    virtual void MainWindowDestroyed() = 0;
    // The main window moved to another DPI; so did the icon it shows in the
    // notification area.
    virtual void MainWindowScaled() = 0;

protected:
    ~FormRequests() = default;
};

// A form made alone (a test's) asks nobody: there is no other window.
class NoFormRequests final : public FormRequests {
public:
    void ShowBulkWindow() override {}
    void ShowAbout() override {}
    void ShowSettings() override {}
    void MainWindowRestored() override {}
    bool BulkWindowShowing() override { return true; }
    void AboutShowing() override {}
    void HideBulkWindow() override {}
    void EndProgram() override {}
    void MainWindowCreated() override {}
    void MainWindowActivated() override {}
    void OpenTrayMenu(POINT) override {}
    void TaskbarCreated() override {}
    void MainWindowDestroyed() override {}
    void MainWindowScaled() override {}
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
