// TPngPicture: a PNG image decoded into device-independent-bitmap storage
// (see png_storage.h), with its chunks kept in file order. Loading has two
// stages: the file is read into plain data (png_file.h), then the chunks are
// decoded into the storage in file order, the image data through zlib, filters
// 0-4 and Adam7 (png_image_data.h). Drawing lives in the Win32 layer
// (picture_draw.h) over the portable blend in png_blend.h.
#pragma once

#include "image/picture_classes.h"
#include "image/png_chunks.h"
#include "image/png_storage.h"

#include <array>
#include <memory>
#include <vector>

struct PngImageData;

enum class PngTransparencyMode { None, Bit, Partial };

class TPngPicture : public TGraphic {
public:
    // Replaces the content with the PNG read from the stream's position through
    // its IEND chunk. Throws the EPng failure kinds; the picture is then empty.
    void LoadFromStream(ByteStream& stream) override;

    bool Empty() const { return chunks_.empty(); }
    uint32_t Width() const { return Empty() ? 0 : Header().width; }
    uint32_t Height() const { return Empty() ? 0 : Header().height; }
    // The first chunk, and the decoded image; EPngHeaderNotPresent when the
    // picture is empty.
    const TPngChunkIHDR& Header() const;
    const PngStorage& Image() const;

    PngTransparencyMode TransparencyMode() const;
    // The colour that bit mode shows as transparent.
    PngColor TransparentColor() const;
    // Colour-table entry of indexed storage; EPngError at or beyond the count.
    PngColor PaletteEntry(int index) const;
    // Alpha of each palette index (255 without a tRNS chunk).
    const std::array<uint8_t, 256>& PaletteAlpha() const;

    const std::vector<std::unique_ptr<TPngChunk>>& Chunks() const { return chunks_; }
    template <class Chunk>
    const Chunk* FindChunk() const {
        for (const auto& chunk : chunks_) {
            if (const auto* found = dynamic_cast<const Chunk*>(chunk.get())) return found;
        }
        return nullptr;
    }

    // 256 entries; the identity unless a gAMA chunk set it.
    const std::array<uint8_t, 256>& Gamma() const { return gamma_.Table(); }
    bool GammaIsIdentity() const { return gamma_.IsIdentity(); }

private:
    void Clear();
    void Decode(const PngImageData& imageData);
    void BuildImage(const TPngChunkIHDR& header);

    std::vector<std::unique_ptr<TPngChunk>> chunks_;
    PngGamma gamma_;
    PngStorage image_;
};

// Registers TPngPicture under its class name.
void RegisterPngPicture(PictureClassRegistry& registry);

