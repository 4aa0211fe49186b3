// The application object: owns every form, holds the application title, owns
// the hidden top-level window that carries the program's taskbar entry (every
// form is owned by it) and runs the message loop.
#pragma once

#include <windows.h>

#include <memory>
#include <string>
#include <vector>

class Form;

class TApplication {
public:
    TApplication() = default;
    TApplication(const TApplication&) = delete;
    TApplication& operator=(const TApplication&) = delete;
    ~TApplication();

    // Creates the application window; call once, before any form exists.
    void Initialize(HINSTANCE instance);
    HWND Handle() const { return handle_; }
    const std::string& Title() const { return title_; }
    void SetTitle(std::string title);

    // Creates a form hidden and keeps it until shutdown; the first one created
    // is the main form. The global reference is set before the creation step
    // runs, so the step can reach its own form through it.
    template <class TFormClass>
    void CreateForm(TFormClass*& reference) {
        auto form = std::make_unique<TFormClass>();
        reference = form.get();
        forms_.push_back(std::move(form));
        reference->Create();
    }
    Form* MainForm() const { return forms_.empty() ? nullptr : forms_.front().get(); }
    bool IsOwnForm(HWND window) const;

    // Shows the main form, runs the message loop until Terminate, then shuts
    // down: every window hidden, the forms destroyed in reverse creation order.
    void Run();
    void Terminate();
    void Shutdown();

private:
    static LRESULT CALLBACK WindowProc(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam);

    HWND handle_ = nullptr;
    std::string title_;
    std::vector<std::unique_ptr<Form>> forms_;
};

extern TApplication Application;
