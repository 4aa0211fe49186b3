// Drawing a PNG picture with the platform's graphics functions.
#pragma once

#include "image/png_picture.h"

#include <windows.h>

// Draws the picture into `rect` of the device context, scaled to it, by its
// transparency mode: none stretches the image (COLORONCOLOR, surplus rows and
// columns dropped); bit shows the background where a pixel has the
// transparent colour, through a monochrome mask; partial blends the image
// over what the rect shows. A reversed rect is normalised; an empty picture
// or a rect of zero width or height draws nothing. EPngOutMemory when no
// device context or buffer can be had.
void Draw(const TPngPicture& picture, HDC canvas, const RECT& rect);
