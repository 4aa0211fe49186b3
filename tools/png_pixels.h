// The picture's pixels read back without the platform, for pngdump, the tests
// and the fuzz target: each pixel's stored value and colour, the picture as
// RGBA, and the drawing of the modes the platform stretches (none and bit),
// so that a whole Draw can be reproduced in a buffer.
#pragma once

#include "image/png_picture.h"

#include <cstdint>
#include <vector>

// The stored value of pixel (x, y): its index for indexed storage, else
// blue | green << 8 | red << 16.
uint32_t StoredValue(const PngStorage& image, uint32_t x, uint32_t y);
// The colour pixel (x, y) shows: through the colour table when indexed.
PngColor ColorAt(const PngStorage& image, uint32_t x, uint32_t y);

// The other modes' drawing into 32-bit pixels (blue, green, red, unused), top
// row first: a nearest-neighbour stretch that drops surplus rows and columns
// (source = k x size / destSize); in bit mode the pixels of the transparent
// colour leave the buffer as it was.
void StretchPicture(const TPngPicture& picture, uint8_t* pixels, uint32_t width, uint32_t height);

// Draws by the picture's transparency mode: BlendPicture for partial, else
// StretchPicture.
void DrawPictureToBuffer(const TPngPicture& picture, uint8_t* pixels, uint32_t width, uint32_t height);

// The picture at its own size as red, green, blue, alpha, top row first: the
// colours the stored pixels show, and alpha from the alpha plane, the tRNS
// alpha of a palette index in partial mode, 0 for the transparent colour in
// bit mode, else 255.
// EPngOutMemory when four bytes a pixel would pass the storage limit.
std::vector<uint8_t> PictureToRgba(const TPngPicture& picture);
