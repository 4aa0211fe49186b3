// What assistive technology (screen readers, through MSAA and the UI
// Automation proxies over it) learns of a control whose own text or class does
// not say it: a combo box or edit field named for what it holds rather than
// for its text, a picture that is a graphic, a line of text that is a link.
#pragma once

#include <windows.h>
#include <oleacc.h>  // the ROLE_SYSTEM_ values

struct AccessibleAnnotation {
    const char* name = nullptr;  // none: the platform's (the control's text)
    LONG role = 0;               // a ROLE_SYSTEM_ value; 0: the platform's
};

// Makes `control` answer for itself when its accessible object is asked for:
// the platform's own object for it, with the annotation's name and role. The
// annotation must outlive the control. Nothing is loaded or joined until a
// client asks.
void Annotate(HWND control, const AccessibleAnnotation& annotation);
