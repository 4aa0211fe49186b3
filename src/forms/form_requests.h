// What a window asks of the owner of the program's windows: a form knows no
// other form, so whatever concerns another window goes through here.
#pragma once

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
    // The main window's search box is made: its history can fill it.
    virtual void MainWindowCreated() = 0;

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
    void MainWindowCreated() override {}
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
