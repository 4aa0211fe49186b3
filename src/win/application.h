// The application object: hosts every form, holds the application title, owns
// the hidden top-level window that carries the program's taskbar entry (every
// form is owned by it, so minimizing it hides them all) and runs the message
// loop.
#pragma once

#include <windows.h>

#include <functional>
#include <string>
#include <utility>
#include <vector>

#include "win/form.h"
#include "win/window.h"

class TApplication : public Window, public FormHost {
public:
    // The application window's class, unique to this program: installers find
    // a running copy by it and end it as a logoff would.
    static constexpr char kApplicationWindowClass[] = "QuorvaneApplication";

    TApplication() = default;
    ~TApplication() override;

    // Creates the application window; call once, before any form exists.
    void Initialize(HINSTANCE instance);
    const std::string& Title() const { return title_; }
    void SetTitle(std::string title);

    // Creates a form hidden and hosts it until shutdown, or until the form is
    // destroyed or forgotten; the first one created is the main form. After a
    // terminate request no further form is created.
    void CreateForm(Form& form);
    void ForgetForm(const Form* form);
    Form* MainForm() const { return forms_.empty() ? nullptr : forms_.front(); }

    // Shows the main form (or, for a minimized show command, minimizes the
    // program) and runs the message loop until a terminate request, then shuts
    // down. After a terminate request made during start-up nothing is shown
    // and the loop does not run.
    void Run(int showCommand = SW_SHOWNORMAL);
    // Handles every message waiting for this thread as the loop would, then
    // returns.
    void ProcessMessages();
    void Terminate();
    bool Terminated() const { return terminated_; }
    // Every window hidden, the forms destroyed in reverse creation order (their
    // FormDestroy runs, no close handler does), the application window last.
    void Shutdown();

    // Minimizing the application window hides every form it owns; restoring
    // shows again what the minimize hid. OnMinimize runs after each minimize.
    void Minimize();
    void Restore();
    // Makes the application window the foreground window, which passes the
    // activation on to the frontmost visible, enabled form.
    void BringToFront();
    // The taskbar entry is the application window: shown while a form is,
    // hidden when the last visible form hides, and hidden on request.
    void ShowTaskbarEntry();
    void HideTaskbarEntry();
    // The host of every form: a form hidden on purpose is not shown again by
    // a restore; a form's listeners are forgotten when it goes.
    HWND OwnerWindow() const override { return Handle(); }
    void FormShowing() override { ShowTaskbarEntry(); }
    void FormHidden(HWND form) override;
    void FormDestroying(const Form* form) override {
        ForgetListeners(form);
        ForgetForm(form);
    }
    bool Minimized() const { return Handle() && IsIconic(Handle()); }
    std::function<void()> OnMinimize;

    // Listeners that run when the program is about to end, before any window
    // goes: after a terminate request (false) or when the session ends (true).
    // A form's listeners are forgotten when it is destroyed.
    using EndingListener = std::function<void(bool sessionEnding)>;
    void WhenEnding(const void* owner, EndingListener listener);
    void ForgetListeners(const void* owner);
    bool ListensForEnding(const void* owner) const;
    // Runs the listeners, as the end of the loop or of the session does.
    void NotifyEnding(bool sessionEnding);

protected:
    LRESULT HandleMessage(UINT message, WPARAM wParam, LPARAM lParam) override;

private:
    // The frontmost visible, enabled form; null when none shows.
    HWND FrontWindow() const;
    void Dispatch(MSG& msg);

    std::string title_;
    std::vector<HWND> hiddenByMinimize_;  // front to back
    std::vector<std::pair<const void*, EndingListener>> endingListeners_;
    std::vector<Form*> forms_;  // in creation order
    bool terminated_ = false;
    bool sessionEnded_ = false;  // its listeners have run
};

extern TApplication Application;
