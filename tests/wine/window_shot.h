// A window's client area as it shows on the screen, for tests that check
// pixels: the About logo, the colours under a high-contrast theme, the
// pictures at every display scale.
#pragma once

#include <windows.h>

#include <cstdint>
#include <map>
#include <string>
#include <vector>

#include "forms/about_window.h"

struct WindowShot {
    int width = 0, height = 0;
    std::vector<uint8_t> bgra;  // top row first

    COLORREF At(int x, int y) const;
    // How many pixels of `area` show each colour.
    std::map<COLORREF, int> Colours(const RECT& area) const;
    // A 32-bit bitmap file, to look at.
    void Save(const std::wstring& path) const;
};

// Paints the window through, then copies its client area from the screen.
WindowShot ShootClient(HWND window);

// The controls' rectangle in its parent's client area.
RECT ChildRect(HWND parent, HWND child);

// Pixels of the logo's box that differ from the decoder's own blend of the
// logo over the current button face at the box's size.
int LogoMismatches(const TFormAbout& form, const WindowShot& shot);
