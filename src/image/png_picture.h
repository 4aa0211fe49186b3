// TPngPicture: a PNG image decoded into device-independent-bitmap storage
// (see png_storage.h) with its chunks kept in file order. Loading follows the
// PNG format for the signature, chunk layout, the zlib stream across IDAT
// chunks, filters 0-4 and Adam7; zlib inflates. Drawing lives in the Win32
// layer (png_draw.h) over the portable blend in png_blend.h.
#pragma once

#include "image/picture_classes.h"
#include "image/png_chunks.h"

#include <array>
#include <memory>
#include <vector>

enum class PngTransparencyMode { None, Bit, Partial };

class TPngPicture : public TGraphic {
public:
    TPngPicture();
    ~TPngPicture() override;

    // Replaces the content with the PNG read from the stream's position through
    // its IEND chunk. Throws the EPng failure kinds; the picture is then empty.
    void LoadFromStream(ByteStream& stream) override;
    void Clear();

    bool Empty() const { return chunks_.empty(); }
    uint32_t Width() const { return Empty() ? 0 : Header().width; }
    uint32_t Height() const { return Empty() ? 0 : Header().height; }
    // The first chunk; EPngHeaderNotPresent when the picture is empty.
    const TPngChunkIHDR& Header() const;
    TPngChunkIHDR& Header();
    const PngStorage& Image() const { return Header().image; }

    PngTransparencyMode TransparencyMode() const;
    // The colour that bit mode shows as transparent.
    PngColor TransparentColor() const;
    // Colour-table entry of indexed storage; EPngError at or beyond the count.
    PngColor PaletteEntry(int index) const;
    // Alpha of each palette index (255 without a tRNS chunk).
    const std::array<uint8_t, 256>& PaletteAlpha() const;

    const std::vector<std::unique_ptr<TPngChunk>>& Chunks() const { return chunks_; }
    template <class Chunk>
    Chunk* FindChunk() const {
        for (const auto& chunk : chunks_) {
            if (auto* found = dynamic_cast<Chunk*>(chunk.get())) return found;
        }
        return nullptr;
    }

    // 256 entries; the identity unless a gAMA chunk set it.
    const std::array<uint8_t, 256>& Gamma() const { return gamma_; }
    bool GammaIsIdentity() const { return gammaIsIdentity_; }
    // Applies a gAMA value (gamma x 100000); 0 leaves the table alone.
    void SetGamma(uint32_t gamma);
    uint8_t InterlaceMethod() const { return interlaceMethod_; }
    void SetInterlaceMethod(uint8_t method) { interlaceMethod_ = method; }
    // Text inflated from the picture's compressed text chunks so far.
    size_t InflatedTextBytes() const { return inflatedTextBytes_; }
    void AddInflatedText(size_t bytes) { inflatedTextBytes_ += bytes; }
    bool ImageDataLoaded() const { return imageDataLoaded_; }
    void SetImageDataLoaded() { imageDataLoaded_ = true; }

private:
    void LoadChunks(ByteStream& stream);

    std::vector<std::unique_ptr<TPngChunk>> chunks_;
    std::array<uint8_t, 256> gamma_{};
    size_t inflatedTextBytes_ = 0;
    bool gammaIsIdentity_ = true;
    uint8_t interlaceMethod_ = 0;
    bool imageDataLoaded_ = false;
};

// The platform's halftone palette: the initial colour table of a palette
// image until its PLTE chunk replaces it.
extern const std::array<PngColor, 256> kHalftonePalette;

// Decodes the image data starting in the first IDAT chunk, whose `length`
// data bytes follow in the stream.
void LoadPngImageData(TPngPicture& picture, ByteStream& stream, uint32_t length);
