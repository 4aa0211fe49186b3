// Base of the program's windows. A form is described by a constant layout
// (caption, frame, client size, font, controls in tab order); the base builds
// the window and its controls from it, keeps them scaled to the window's DPI,
// and turns messages into the hooks a form fills with its handlers: creation,
// show, activation, close, commands, paint and DPI change. Layout numbers are
// pixels at 96 DPI.
#pragma once

#include <windows.h>

#include <span>
#include <vector>

#include "win/accessibility.h"
#include "win/button_glyph.h"
#include "win/handles.h"
#include "win/window.h"

struct FontLayout {
    const char* face = "MS Sans Serif";
    int points = 8;
    bool bold = false;
    bool underline = false;
};

struct ControlLayout {
    const char* windowClass = nullptr;  // system class: "COMBOBOX", "BUTTON", "STATIC", ...
    const char* name = nullptr;  // designer name, kept for tests and diagnostics
    int id = 0;
    const char* caption = "";
    int left = 0, top = 0, width = 0, height = 0;
    DWORD style = 0;  // besides WS_CHILD | WS_VISIBLE, and WS_TABSTOP for a tab stop
    DWORD exStyle = 0;
    bool tabStop = true;
    const FontLayout* font = nullptr;  // none: the form's font
    const char* picture = nullptr;     // a button picture resource, shown left of the caption
    // A label that sizes itself to its text in its font: width and height are
    // then what the designer saw, and the measured size replaces them.
    bool autoSize = false;
    // What assistive technology is told where the text and class do not say it.
    AccessibleAnnotation accessible{};
};

struct FormLayout {
    const char* windowClass;  // registered once per form class, e.g. "TForm1"
    const char* caption;
    // The program's icon in the title bar; a dialog frame carries none.
    bool captionIcon = true;
    DWORD style = 0;
    DWORD exStyle = 0;
    int left = 0, top = 0;  // design position
    int clientWidth = 0, clientHeight = 0;
    FontLayout font{};
    std::span<const ControlLayout> controls{};
    int initialFocus = 0;  // a control's id; 0: the first in tab order
};

// The font at `dpi`, its characters as high as its points ask.
UniqueFont MakeFont(const FontLayout& font, UINT dpi);

// Creates the controls of a layout as children of `parent`, in tab order, at
// the layout's own positions, annotated as their rows say. The rows outlive
// the controls.
void CreateControls(HWND parent, std::span<const ControlLayout> controls);

// Sizes a static control to its text in its own font, line breaks kept: the
// widest line by as many lines as there are (one line for no text).
void SizeLabelToText(HWND label);

class Form;

// What a form needs of whoever keeps it (the application object): the window
// that owns it and carries the taskbar entry, which shows while a form does,
// and word of its hiding and its end.
class FormHost {
public:
    virtual HWND OwnerWindow() const = 0;
    // A hidden form is about to show.
    virtual void FormShowing() = 0;
    virtual void FormHidden(HWND form) = 0;
    // The form's window is about to go; nothing may keep a reference to it.
    virtual void FormDestroying(const Form* form) = 0;

protected:
    ~FormHost() = default;
};

class Form : public Window {
public:
    explicit Form(const FormLayout& layout) : layout_(layout) {}
    ~Form() override;

    // Creates the window hidden, owned by the host's window, with its
    // controls, then runs the creation step. The host outlives the window.
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
    // reported), so that whoever asked goes no further.
    bool Close();
    bool Visible() const { return Handle() && IsWindowVisible(Handle()); }
    // The DPI the form is laid out for: its window's (its monitor's) at
    // creation or at the last DPI change, within 96 to 480.
    UINT Dpi() const { return dpi_; }
    int Scale(int pixelsAt96) const { return ScaleForDpi(pixelsAt96, Dpi()); }

protected:
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
    bool closed_ = false;   // the last close request was handled to its end
    bool controlsLaidOut_ = false;  // scaled, with fonts and pictures: from the first show on
    std::vector<UniqueFont> fonts_;  // the form's, then one per control with a font of its own
    std::vector<UniqueImageList> pictures_;
};
