#include "image/png_blend.h"

#include "image/png_failures.h"

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

namespace {

// Blends one destination row from source row `sy`, by storage kind.
void BlendRgbRow(const PngStorage& image, uint32_t sy, const std::vector<uint32_t>& columns, uint8_t* out) {
    const uint8_t* src = image.Row(sy);
    const uint8_t* alpha = image.AlphaRow(sy);
    for (uint32_t sx : columns) {
        const uint8_t a = alpha[sx];
        const uint8_t* s = src + size_t{sx} * 3;
        if (a == 255) {
            out[0] = s[0], out[1] = s[1], out[2] = s[2];
        } else if (a != 0) {
            for (int ch = 0; ch < 3; ++ch) out[ch] = BlendChannel(s[ch], out[ch], a);
        }
        out += 4;
    }
}

void BlendGreyRow(const PngStorage& image, uint32_t sy, const std::vector<uint32_t>& columns, uint8_t* out) {
    const uint8_t* src = image.Row(sy);
    const uint8_t* alpha = image.AlphaRow(sy);
    for (uint32_t sx : columns) {
        const uint8_t grey = src[sx], a = alpha[sx];  // the stored byte, not through the ramp
        for (int ch = 0; ch < 3; ++ch) out[ch] = BlendChannel(grey, out[ch], a);
        out += 4;
    }
}

void BlendIndexedRow(const PngStorage& image, const std::array<uint8_t, 256>& palAlpha, uint32_t sy,
                     const std::vector<uint32_t>& columns, uint8_t* out) {
    const uint8_t* src = image.Row(sy);
    const int bits = image.BitsPerPixel();
    const uint8_t* table = image.BitmapInfo() + PngStorage::kInfoHeaderSize;
    for (uint32_t sx : columns) {
        const uint32_t index = PackedField(src, sx, bits);
        const uint8_t a = palAlpha[index];
        const uint8_t* entry = table + 4 * index;  // blue, green, red, 0
        for (int ch = 0; ch < 3; ++ch) out[ch] = BlendChannel(entry[ch], out[ch], a);
        out += 4;
    }
}

bool Drawable(const TPngPicture& picture, uint32_t width, uint32_t height) {
    return !picture.Empty() && picture.Width() > 0 && picture.Height() > 0 && width > 0 && height > 0;
}

}  // namespace

void BlendPicture(const TPngPicture& picture, uint8_t* pixels, uint32_t width, uint32_t height) {
    if (!Drawable(picture, width, height)) return;
    const PngStorage& image = picture.Image();
    const std::vector<uint32_t> columns = BlendSourceIndexes(width, image.Width());
    const std::vector<uint32_t> rows = BlendSourceIndexes(height, image.Height());
    const std::array<uint8_t, 256>& palAlpha = picture.PaletteAlpha();
    for (uint32_t r = 0; r < height; ++r) {
        uint8_t* out = pixels + size_t{r} * width * 4;
        if (image.BitsPerPixel() == 24) {
            if (image.HasAlpha()) BlendRgbRow(image, rows[r], columns, out);
        } else if (image.HasAlpha()) {
            BlendGreyRow(image, rows[r], columns, out);
        } else {
            BlendIndexedRow(image, palAlpha, rows[r], columns, out);
        }
    }
}

void StretchPicture(const TPngPicture& picture, uint8_t* pixels, uint32_t width, uint32_t height) {
    if (!Drawable(picture, width, height)) return;
    const PngStorage& image = picture.Image();
    const bool bitMode = picture.TransparencyMode() == PngTransparencyMode::Bit;
    const PngColor transparent = picture.TransparentColor();
    for (uint32_t r = 0; r < height; ++r) {
        const uint32_t sy = static_cast<uint32_t>(uint64_t{r} * image.Height() / height);
        uint8_t* out = pixels + size_t{r} * width * 4;
        for (uint32_t c = 0; c < width; ++c, out += 4) {
            const uint32_t sx = static_cast<uint32_t>(uint64_t{c} * image.Width() / width);
            const PngColor colour = image.ColorAt(sx, sy);
            if (bitMode && colour == transparent) continue;
            out[0] = colour.blue, out[1] = colour.green, out[2] = colour.red;
        }
    }
}

void DrawPictureToBuffer(const TPngPicture& picture, uint8_t* pixels, uint32_t width, uint32_t height) {
    if (picture.TransparencyMode() == PngTransparencyMode::Partial) {
        BlendPicture(picture, pixels, width, height);
    } else {
        StretchPicture(picture, pixels, width, height);
    }
}

std::vector<uint8_t> PictureToRgba(const TPngPicture& picture) {
    if (picture.Empty()) return {};
    const PngStorage& image = picture.Image();
    const PngTransparencyMode mode = picture.TransparencyMode();
    const PngColor transparent = picture.TransparentColor();
    const std::array<uint8_t, 256>& palAlpha = picture.PaletteAlpha();
    // Four bytes a pixel can be far more than the storage holds (one bit a
    // pixel at most): the same limit, checked in 64 bits before allocating.
    const uint64_t bytes = uint64_t{image.Width()} * image.Height() * 4;
    if (bytes > PngStorage::kMaxBytes) throw EPngOutMemory();
    std::vector<uint8_t> rgba(static_cast<size_t>(bytes));
    uint8_t* out = rgba.data();
    for (uint32_t y = 0; y < image.Height(); ++y) {
        for (uint32_t x = 0; x < image.Width(); ++x, out += 4) {
            const PngColor colour = image.ColorAt(x, y);
            uint8_t a = 255;
            if (image.HasAlpha()) {
                a = image.AlphaRow(y)[x];
            } else if (mode == PngTransparencyMode::Partial) {
                a = palAlpha[image.StoredValue(x, y)];
            } else if (mode == PngTransparencyMode::Bit && colour == transparent) {
                a = 0;
            }
            out[0] = colour.red, out[1] = colour.green, out[2] = colour.blue, out[3] = a;
        }
    }
    return rgba;
}
