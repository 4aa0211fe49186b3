// Base of the program's windows. A form is described by a constant table
// (caption, frame, client size, font, controls in tab order); the base builds
// the window and its controls from it and dispatches messages to the derived
// class. Layout numbers are pixels at 96 DPI, scaled by the window's DPI.
// No exception leaves the window procedure: whatever a handler throws is
// reported in the failure box and the message gets its neutral result.
#pragma once

#include <windows.h>

#include <span>
#include <vector>

#include "shell/win_handle.h"

struct ControlSpec {
    const char* windowClass;  // system class: "COMBOBOX", "BUTTON", ...
    const char* name;         // designer name, kept for tests and diagnostics
    int id;
    const char* caption;
    int left, top, width, height;
    DWORD style;  // besides WS_CHILD | WS_VISIBLE | WS_TABSTOP
};

struct FormSpec {
    const char* windowClass;  // registered once per form class, e.g. "TForm1"
    const char* caption;
    DWORD style;
    DWORD exStyle;
    int left, top;  // design position
    int clientWidth, clientHeight;
    const char* fontFace;
    int fontPoints;
    std::span<const ControlSpec> controls;
};

class Form {
public:
    explicit Form(const FormSpec& spec) : spec_(spec) {}
    virtual ~Form();
    Form(const Form&) = delete;
    Form& operator=(const Form&) = delete;

    // Creates the window hidden, owned by the application window, with its
    // controls, then runs the creation step.
    void Create();
    void Destroy();

    HWND Handle() const { return hwnd_; }
    HWND Control(int id) const { return GetDlgItem(hwnd_, id); }
    const FormSpec& Spec() const { return spec_; }
    void Show();
    void Hide();
    bool Visible() const { return hwnd_ && IsWindowVisible(hwnd_); }
    UINT Dpi() const;
    int Scale(int pixelsAt96) const { return MulDiv(pixelsAt96, static_cast<int>(Dpi()), 96); }

protected:
    // Runs once the controls exist, before the creation step: settings of the
    // controls that the layout table does not carry.
    virtual void ControlsCreated() {}
    // The window's creation step; a failure in it is reported and the rest of
    // the step is skipped.
    virtual void FormCreate() {}
    virtual void FormDestroy() {}
    // Derived forms handle what they need and pass the rest to the base.
    virtual LRESULT HandleMessage(UINT message, WPARAM wParam, LPARAM lParam);

private:
    static LRESULT CALLBACK WindowProc(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam);
    void RegisterWindowClass() const;
    void ApplyLayout(const RECT* suggested);

    void RememberFocus();
    void RestoreFocus();

    const FormSpec& spec_;
    HWND hwnd_ = nullptr;
    HWND focus_ = nullptr;  // the control that had the focus when the form was last deactivated
    UniqueFont font_;
};
