// A window's layout as fixed data: caption, frame, client size, font and
// controls (kind, designer name, place, size, tab order, caption), in pixels
// at 96 DPI; and the few steps that make controls and fonts from it.
#pragma once

#include <windows.h>

#include <span>

#include "win/accessibility.h"
#include "win/handles.h"

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

