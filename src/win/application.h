// The application object: holds the application title, owns the hidden
// top-level window that carries the program's taskbar entry (every form is
// owned by it, so minimizing it hides them all) and runs the message loop.
// It hosts the forms; their owner hears of the program's events through
// ProgramEvents.
#pragma once

#include <windows.h>

#include <string>
#include <vector>

#include "win/form.h"
#include "win/window.h"

// What the application object tells the owner of the program's windows.
class ProgramEvents {
public:
    // The taskbar entry was closed (or the application window asked to close).
    virtual void CloseRequested() = 0;
    // The program was minimized: every form is hidden.
    virtual void Minimized() = 0;
    // The session ends: whatever must outlive the process is saved now, and
    // what it shows on the desktop removed; the process may end any moment.
    virtual void SessionEnding() = 0;

protected:
    ~ProgramEvents() = default;
};

class TApplication : public Window, public FormHost {
public:
    // The application window's class, unique to this program: installers find
    // a running copy by it and end it as a logoff would.
    static constexpr char kApplicationWindowClass[] = "QuorvaneApplication";

    // Creates the application window; call once, before any form exists.
    void Initialize(HINSTANCE instance);
    const std::string& Title() const { return title_; }
    void SetTitle(std::string title);
    // Whose events these are; null: nobody's.
    void SetEvents(ProgramEvents* events) { events_ = events; }

    // Shows the main form (or, for a minimized show command, minimizes the
    // program) and runs the message loop until a terminate request. After a
    // terminate request made before it, nothing shows and the loop does not
    // run. The forms' owner destroys them afterwards.
    void Run(Form& main, int showCommand = SW_SHOWNORMAL);
    // Handles every message waiting for this thread as the loop would, then
    // returns.
    void ProcessMessages();
    void Terminate();
    bool Terminated() const override { return terminated_; }
    // The application window goes; the forms must be gone already.
    void Shutdown();

    // Minimizing the application window hides every form it owns; restoring
    // shows again what the minimize hid.
    void Minimize() override;
    void Restore() override;
    void BringToFront() override;
    bool Minimized() const { return Handle() && IsIconic(Handle()); }
    // The taskbar entry is the application window: shown while a form is,
    // hidden when the last visible form hides, and hidden on request.
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
    void Dispatch(MSG& msg);

    std::string title_;
    ProgramEvents* events_ = nullptr;
    std::vector<HWND> hiddenByMinimize_;  // front to back
    bool terminated_ = false;
    bool sessionEnded_ = false;  // its event has been told
};

extern TApplication Application;
