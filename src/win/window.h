// The one window procedure of the program. Every window (the forms, the
// application window and the message boxes) is a Window: the procedure takes
// `this` from the creation parameters, keeps it in GWLP_USERDATA and forwards
// every message to HandleMessage. It is also the program's exception
// boundary: whatever a handler throws goes to the failure reporter (the
// failure box, which the entry point installs) and the message gets the
// neutral result 0, so nothing unwinds into a system frame.
#pragma once

#include <windows.h>

// A length given in pixels at 96 DPI, at `dpi`.
inline int ScaleForDpi(int pixelsAt96, UINT dpi) { return MulDiv(pixelsAt96, static_cast<int>(dpi), 96); }

// The window's own DPI, within what a display is set to (100 % to 500 %).
UINT WindowDpi(HWND hwnd);
// The top-left corner for a frame of `size` where a DPI change suggests
// `suggested` (any process can send one): the suggestion's corner, moved onto
// the work area of the monitor nearest to it; a frame larger than the area
// starts at the area's corner, its title bar within reach.
POINT PlaceOnWorkArea(const RECT& suggested, SIZE size);

// Whether the user runs a high-contrast theme: every colour then comes from
// the system, none from the program.
bool HighContrastOn();

struct WindowClass {
    const char* name;
    bool programIcon = false;  // "MAINICON" on the frame
    int backgroundColor = -1;  // a system colour index (COLOR_BTNFACE, ...); -1: none
};

struct WindowPlacement {
    int left = 0, top = 0, width = 0, height = 0;
};

class Window {
public:
    Window() = default;
    virtual ~Window();
    Window(const Window&) = delete;
    Window& operator=(const Window&) = delete;

    HWND Handle() const { return hwnd_; }

protected:
    // Registers the class on first use and creates the window for this object.
    // Returns false when the window could not be created.
    bool CreateHandle(const WindowClass& windowClass, DWORD exStyle, const char* caption, DWORD style,
                      const WindowPlacement& placement, HWND owner);
    // Destroys the window; its messages no longer reach this object.
    void DestroyHandle();
    // The default handling of every message this object does not handle.
    virtual LRESULT HandleMessage(UINT message, WPARAM wParam, LPARAM lParam);

private:
    static LRESULT CALLBACK WindowProc(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam);

    HWND hwnd_ = nullptr;
};
