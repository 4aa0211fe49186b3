// Base of the program's windows: builds a form's window and controls from its
// layout, keeps them scaled to the window's DPI, and turns messages into the
// hooks a form fills with its handlers: creation, show, activation, close,
// commands, paint and DPI change.
#pragma once

#include <windows.h>

#include <span>
#include <vector>

#include "win/button_glyph.h"
#include "win/handles.h"
#include "win/layout.h"
#include "win/window.h"

// What a form needs of the program that hosts it (the application object):
// the window that owns it and carries the taskbar entry, which shows while a
// form does, and the program's minimize and restore.
class FormHost {
public:
    virtual HWND OwnerWindow() const = 0;
    // A hidden form is about to show.
    virtual void FormShowing() = 0;
    virtual void FormHidden(HWND form) = 0;
    virtual void Minimize() = 0;
    virtual void Restore() = 0;
    // Makes the front form the foreground window.
    virtual void BringToFront() = 0;
    virtual void HideTaskbarEntry() = 0;
    // The program is ending: a long run stops early.
    virtual bool Terminated() const = 0;

protected:
    ~FormHost() = default;
};

class Form : public Window {
public:
    explicit Form(const FormLayout& layout) : layout_(layout) {}
    ~Form() override;

    // Creates the window hidden, owned by the host's window, with its
    // controls, then runs the creation step. The host outlives the window;
    // whoever made the form destroys it.
    // The controls get their scaled places, fonts and pictures at the first
    // show (or at a DPI change before it).
    void Create(FormHost& host);
    void Destroy();

    HWND Control(int id) const { return GetDlgItem(Handle(), id); }
    const FormLayout& Layout() const { return layout_; }
    void Show();
    void Hide();
    // A close request, as the close button would make it. Returns whether it
    // was handled to its end: false when a step of it failed (and was
    // reported) or a close is already being handled, so that whoever asked
    // goes no further.
    bool Close();
    bool Visible() const { return Handle() && IsWindowVisible(Handle()); }
    // The DPI the form is laid out for: its window's (its monitor's) at
    // creation or at the last DPI change, within 96 to 480.
    UINT Dpi() const { return dpi_; }
    int Scale(int pixelsAt96) const { return ScaleForDpi(pixelsAt96, Dpi()); }

protected:
    FormHost& Host() const { return *host_; }
    // Runs once the controls exist, before the creation step: settings of the
    // controls that the layout does not carry.
    virtual void ControlsCreated() {}
    // The window's creation step; a failure in it is reported and the rest of
    // the step is skipped.
    virtual void FormCreate() {}
    virtual void FormDestroy() {}
    // A show request (Show) for the hidden form, before it appears; not the
    // program's restore, which shows again what its minimize hid. Returns
    // whether the show goes on.
    virtual bool FormShow() { return true; }
    // The form became the active window.
    virtual void FormActivate() {}
    // A close request (close button, Alt+F4, the window menu, WM_CLOSE).
    // Returns whether the form hides; forms are never destroyed by a close.
    virtual bool FormClose() { return true; }
    // A control's notification or a menu command.
    virtual void Command(int id, int notification) {
        (void)id;
        (void)notification;
    }
    virtual void FormPaint(HDC dc) { (void)dc; }
    // The layout has been scaled to a new DPI (Dpi() tells it) and repainted.
    virtual void DpiChanged() {}
    // Derived forms handle the messages without a hook and pass the rest on.
    LRESULT HandleMessage(UINT message, WPARAM wParam, LPARAM lParam) override;

private:
    void FollowDpiChange(const RECT* suggested);
    void ApplyLayout(const RECT* suggested);
    void LayOutControls();
    HFONT FontFor(const ControlLayout& control) const;
    // The frame's size around the layout's client area at `dpi`.
    SIZE FrameSize(DWORD style, DWORD exStyle, UINT dpi) const;
    void RememberFocus();
    void RestoreFocus();
    void MoveFocus(WPARAM target, bool isControl);
    void ClickFocusedButton();

    const FormLayout& layout_;
    FormHost* host_ = nullptr;  // set at creation
    UINT dpi_ = 96;
    HWND focus_ = nullptr;  // the control that had the focus when the form was last deactivated
    bool closing_ = false;  // a close request is being handled
    bool controlsLaidOut_ = false;  // scaled, with fonts and pictures: from the first show on
    std::vector<UniqueFont> fonts_;  // the form's, then one per control with a font of its own
    std::vector<UniqueImageList> pictures_;
};
