// TPngPicture: a PNG image decoded chunk by chunk, in file order, into
// device-independent-bitmap storage (png_storage.h). Drawing lives in the
// Win32 layer (picture_draw.h) over the portable blend in png_blend.h.
#pragma once

#include "image/picture_classes.h"
#include "image/png_image_data.h"
#include "image/png_storage.h"

#include <array>
#include <cstdint>
#include <vector>

enum class PngTransparencyMode { None, Bit, Partial };

class TPngPicture : public TGraphic {
public:
    // Replaces the content with the PNG read from the stream's position through
    // its IEND chunk. Throws the EPng failure kinds; the picture is then empty.
    void LoadFromStream(MemoryReadStream& stream) override;

    bool Empty() const { return !loaded_; }
    uint32_t Width() const { return Empty() ? 0 : header_.width; }
    uint32_t Height() const { return Empty() ? 0 : header_.height; }
    // The decoded image; EPngHeaderNotPresent when the picture is empty.
    const PngStorage& Image() const;

    PngTransparencyMode TransparencyMode() const;
    // The colour that bit mode shows as transparent.
    PngColor TransparentColor() const;
    // Alpha of a palette index: the first tRNS chunk's value, 255 beyond its
    // values and without one.
    uint8_t PaletteAlpha(uint32_t index) const { return index < transparency_.size() ? transparency_[index] : 255; }

private:
    void Read(MemoryReadStream& stream);
    void Header(std::span<const uint8_t> data);
    void Palette(uint32_t length, std::span<const uint8_t> data);
    void Transparency(uint32_t length, std::span<const uint8_t> data);
    void ImageData(const PngImageData& data);

    bool loaded_ = false;
    bool headerRead_ = false, paletteRead_ = false;
    TPngChunkIHDR header_;
    std::array<uint8_t, 256> gamma_ = IdentityGamma();
    // The first tRNS chunk's data, and whether it names one transparent colour.
    std::vector<uint8_t> transparency_;
    bool hasTransparency_ = false, bitTransparency_ = false;
    PngStorage image_;
};

// Registers TPngPicture under its class name.
void RegisterPngPicture(PictureClassRegistry& registry);
