// The application object: the hidden top-level window that carries the
// program's taskbar entry and owns every form (minimizing it hides them all),
// the application title, and the message loop.
#pragma once

#include <windows.h>

#include <string>
#include <vector>

#include "win/form.h"
#include "win/window.h"

// What the application object tells the owner of the program's windows.
class ProgramEvents {
public:
    virtual void CloseRequested() = 0;  // the taskbar entry's close
    virtual void Minimized() = 0;       // every form is hidden now
    // Save now and remove what the desktop shows: the process may end any moment.
    virtual void SessionEnding() = 0;

protected:
    ~ProgramEvents() = default;
};

class TApplication : public Window, public FormHost {
public:
    // The application window's class, unique to this program: installers find
    // a running copy by it and end it as a logoff would.
    static constexpr char kApplicationWindowClass[] = "QuorvaneApplication";

    // Before any form exists.
    void Initialize(HINSTANCE instance);
    const std::string& Title() const { return title_; }
    void SetTitle(std::string title);
    // Whose events these are; null: nobody's.
    void SetEvents(ProgramEvents* events) { events_ = events; }

    // Shows the main form (or minimizes, as the show command says) and runs
    // the loop until a terminate request, if none came before.
    void Run(Form& main, int showCommand = SW_SHOWNORMAL);
    // Handles the messages waiting for this thread as the loop would.
    void ProcessMessages();
    void Terminate() { terminated_ = true; PostQuitMessage(0); }
    bool Terminated() const override { return terminated_; }
    // The application window goes; the forms must be gone already.
    void Shutdown();

    // A restore shows again what the minimize hid.
    void Minimize() override;
    void Restore() override { Restore(SW_RESTORE); }
    void RestoreUnactivated() override { Restore(SW_SHOWNOACTIVATE); }
    void BringToFront() override;
    bool Minimized() const { return Handle() && IsIconic(Handle()); }
    // The taskbar entry shows while a form does, and hides on request.
    void ShowTaskbarEntry();
    void HideTaskbarEntry() override;
    HWND OwnerWindow() const override { return Handle(); }
    void FormShowing() override { ShowTaskbarEntry(); }
    void FormHidden(HWND form) override;

protected:
    LRESULT HandleMessage(UINT message, WPARAM wParam, LPARAM lParam) override;

private:
    // The visible forms, front to back, and the first of them that is enabled.
    std::vector<HWND> VisibleForms() const;
    HWND FrontWindow() const;
    void Restore(int showCommand);
    void Dispatch(MSG& msg);

    std::string title_;
    ProgramEvents* events_ = nullptr;
    std::vector<HWND> hiddenByMinimize_;  // front to back
    bool terminated_ = false;
    bool sessionEnded_ = false;  // its event has been told
};

extern TApplication Application;
