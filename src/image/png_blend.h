// The partial-transparency blend that Draw uses, without the platform: the
// picture drawn into a buffer of 32-bit pixels (blue, green, red, unused),
// top row first.
#pragma once

#include "image/png_picture.h"

#include <cstdint>
#include <vector>

// One channel of the blend, in integers: a = 0 keeps dst, a = 255 gives src
// (and 1 less than src at most for the values in between).
inline uint8_t BlendChannel(uint8_t src, uint8_t dst, uint8_t a) {
    return static_cast<uint8_t>((src * a + 255 + dst * (255 - a)) >> 8);
}

// Destination index k of `destSize` takes source index trunc(k / f), with
// f = destSize / sourceSize as a double and the division carried with a
// 64-bit significand: 400 drawn into 65 takes 79 at k = 13, not 80.
std::vector<uint32_t> BlendSourceIndexes(uint32_t destSize, uint32_t sourceSize);

// Blends the picture, scaled to width x height, over the buffer's pixels by
// its alpha: the alpha plane for 24-bit storage (0 leaves the pixel, 255
// copies it) and grey + alpha, the tRNS alpha of each pixel's own index for
// palette storage. Nothing happens for an empty or zero-sized picture.
void BlendPicture(const TPngPicture& picture, uint8_t* pixels, uint32_t width, uint32_t height);
