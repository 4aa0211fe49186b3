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

// What a form needs of the program that hosts it (the application object).
class FormHost {
public:
    virtual HWND OwnerWindow() const = 0;  // owns the form, carries the taskbar entry
    virtual void FormShowing() = 0;        // a hidden form is about to show
    virtual void FormHidden(HWND form) = 0;
    virtual void Minimize() = 0;
    virtual void Restore() = 0;
    virtual void RestoreUnactivated() = 0;  // the caller activates a form next
    virtual void BringToFront() = 0;  // the front form becomes the foreground window
    virtual void HideTaskbarEntry() = 0;
    virtual bool Terminated() const = 0;  // the program is ending: a long run stops early

protected:
    ~FormHost() = default;
};

class Form : public Window {
public:
    explicit Form(const FormLayout& layout) : layout_(layout) {}
    ~Form() override;

    // Creates the window hidden, owned by the host's window, with its
    // controls, then runs the creation step; whoever made the form destroys
    // it. The controls get their scaled places, fonts and pictures at the
    // first show (or at a DPI change before it).
    void Create(FormHost& host);
    void Destroy();

    HWND Control(int id) const { return GetDlgItem(Handle(), id); }
    const FormLayout& Layout() const { return layout_; }
    void Show();
    void Hide();
    // A close request, as the close button makes it. False when a step of it
    // failed (and was reported) or a close is already being handled: whoever
    // asked goes no further.
    bool Close();
    bool Visible() const { return Handle() && IsWindowVisible(Handle()); }
    // The DPI the form is laid out for: its window's.
    UINT Dpi() const { return dpi_; }
    int Scale(int pixelsAt96) const { return ScaleForDpi(pixelsAt96, Dpi()); }

protected:
    FormHost& Host() const { return *host_; }
    // The hooks. A failure in one is reported and the rest of it skipped.
    virtual void ControlsCreated() {}  // settings the layout does not carry
    virtual void FormCreate() {}
    virtual void FormDestroy() {}
    // A show request for the hidden form (not the program's restore), before
    // it appears; false stops it.
    virtual bool FormShow() { return true; }
    virtual void FormActivate() {}
    // A close request; true hides the form (forms are never destroyed by one).
    virtual bool FormClose() { return true; }
    // A control's notification or a menu command.
    virtual void Command(int /*id*/, int /*notification*/) {}
    virtual void FormPaint(HDC /*dc*/) {}
    // After the layout was scaled to a new DPI and repainted.
    virtual void DpiChanged() {}
    LRESULT HandleMessage(UINT message, WPARAM wParam, LPARAM lParam) override;

private:
    void ApplyLayout(const RECT* suggested);
    void LayOutControls();
    void RestoreFocus();

    const FormLayout& layout_;
    FormHost* host_ = nullptr;  // set at creation
    UINT dpi_ = 96;
    HWND focus_ = nullptr;  // the control that had the focus when the form was last deactivated
    bool closing_ = false;
    bool controlsLaidOut_ = false;  // from the first show on
    std::vector<UniqueFont> fonts_;
    std::vector<UniqueImageList> pictures_;
};
