#include "image/png_blend.h"

#include <algorithm>
#include <limits>

std::vector<uint32_t> BlendSourceIndexes(uint32_t destSize, uint32_t sourceSize) {
    std::vector<uint32_t> indexes(destSize);
    if (sourceSize == 0) return indexes;
    const double factor = static_cast<double>(destSize) / sourceSize;
    for (uint32_t k = 0; k < destSize; ++k) {
        uint32_t index;
        if constexpr (std::numeric_limits<long double>::digits >= 64) {
            index = static_cast<uint32_t>(static_cast<long double>(k) / static_cast<long double>(factor));
        } else {
            index = static_cast<uint32_t>(k / factor);  // compilers without an extended type
        }
        indexes[k] = std::min(index, sourceSize - 1);
    }
    return indexes;
}

// Each destination pixel blends its source pixel's colour (the stored bytes
// of 24-bit storage, the stored grey byte with an alpha plane, not through
// the ramp, else the colour-table entry) by its alpha (the alpha plane, else
// the tRNS alpha of its index). 24-bit storage without alpha draws nothing.
void BlendPicture(const TPngPicture& picture, uint8_t* pixels, uint32_t width, uint32_t height) {
    if (picture.Empty() || picture.Width() == 0 || picture.Height() == 0 || width == 0 || height == 0) return;
    const PngStorage& image = picture.Image();
    const int bits = image.BitsPerPixel();
    if (bits == 24 && !image.HasAlpha()) return;
    const std::vector<uint32_t> columns = BlendSourceIndexes(width, image.Width());
    const std::vector<uint32_t> rows = BlendSourceIndexes(height, image.Height());
    const uint8_t* table = image.BitmapInfo() + PngStorage::kInfoHeaderSize;  // blue, green, red, 0
    uint8_t* out = pixels;
    for (uint32_t sy : rows) {
        const uint8_t* src = image.Row(sy);
        for (uint32_t sx : columns) {
            const uint32_t index = bits == 24 ? 0 : PackedField(src, sx, bits);
            const uint8_t grey[3] = {static_cast<uint8_t>(index), static_cast<uint8_t>(index), static_cast<uint8_t>(index)};
            const uint8_t* colour = bits == 24 ? src + size_t{sx} * 3 : image.HasAlpha() ? grey : table + 4 * index;
            const uint8_t a = image.HasAlpha() ? image.AlphaRow(sy)[sx] : picture.PaletteAlpha(index);
            for (int ch = 0; ch < 3; ++ch) out[ch] = BlendChannel(colour[ch], out[ch], a);
            out += 4;
        }
    }
}
