#include "png_pixels.h"

#include "image/png_blend.h"
#include "image/png_failures.h"

uint32_t StoredValue(const PngStorage& image, uint32_t x, uint32_t y) {
    const uint8_t* row = image.Row(y);
    if (image.BitsPerPixel() == 24) {
        const uint8_t* p = row + size_t{x} * 3;
        return p[0] | p[1] << 8 | p[2] << 16;
    }
    return PackedField(row, x, image.BitsPerPixel());
}

PngColor ColorAt(const PngStorage& image, uint32_t x, uint32_t y) {
    const uint32_t v = StoredValue(image, x, y);
    if (image.BitsPerPixel() == 24) {
        return {static_cast<uint8_t>(v >> 16), static_cast<uint8_t>(v >> 8), static_cast<uint8_t>(v)};
    }
    return image.ColorTableEntry(static_cast<int>(v));
}

void StretchPicture(const TPngPicture& picture, uint8_t* pixels, uint32_t width, uint32_t height) {
    if (picture.Empty() || picture.Width() == 0 || picture.Height() == 0 || width == 0 || height == 0) return;
    const PngStorage& image = picture.Image();
    const bool bitMode = picture.TransparencyMode() == PngTransparencyMode::Bit;
    const PngColor transparent = picture.TransparentColor();
    for (uint32_t r = 0; r < height; ++r) {
        const uint32_t sy = static_cast<uint32_t>(uint64_t{r} * image.Height() / height);
        uint8_t* out = pixels + size_t{r} * width * 4;
        for (uint32_t c = 0; c < width; ++c, out += 4) {
            const uint32_t sx = static_cast<uint32_t>(uint64_t{c} * image.Width() / width);
            const PngColor colour = ColorAt(image, sx, sy);
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
    // Four bytes a pixel can be far more than the storage holds (one bit a
    // pixel at most): the same limit, checked in 64 bits before allocating.
    const uint64_t bytes = uint64_t{image.Width()} * image.Height() * 4;
    if (bytes > PngStorage::kMaxBytes) throw EPngOutMemory();
    std::vector<uint8_t> rgba(static_cast<size_t>(bytes));
    uint8_t* out = rgba.data();
    for (uint32_t y = 0; y < image.Height(); ++y) {
        for (uint32_t x = 0; x < image.Width(); ++x, out += 4) {
            const PngColor colour = ColorAt(image, x, y);
            uint8_t a = 255;
            if (image.HasAlpha()) {
                a = image.AlphaRow(y)[x];
            } else if (mode == PngTransparencyMode::Partial) {
                a = picture.PaletteAlpha(StoredValue(image, x, y));
            } else if (mode == PngTransparencyMode::Bit && colour == transparent) {
                a = 0;
            }
            out[0] = colour.red, out[1] = colour.green, out[2] = colour.blue, out[3] = a;
        }
    }
    return rgba;
}
