// Pictures on push buttons: one bitmap resource with the normal image in its
// left half and the greyed twin in its right half, transparent where it has
// the colour of its bottom-left pixel.
#pragma once

#include <windows.h>
#include <commctrl.h>

#include "win/handles.h"

inline void DestroyImageList(HIMAGELIST list) { ImageList_Destroy(list); }
using UniqueImageList = UniqueHandle<HIMAGELIST, DestroyImageList>;

// Shows the picture left of the button's caption, the twin when the button is
// disabled, scaled to the DPI. The button uses the returned list for as long
// as it shows it.
UniqueImageList SetButtonGlyph(HWND button, const char* resource, UINT dpi);
