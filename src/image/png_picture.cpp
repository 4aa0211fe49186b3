#include "image/png_picture.h"

#include "image/png_failures.h"
#include "image/png_file.h"
#include "image/png_image_data.h"

#include <algorithm>

namespace {

constexpr std::array<uint8_t, 256> kOpaque = [] {
    std::array<uint8_t, 256> a{};
    a.fill(255);
    return a;
}();

}  // namespace

void TPngPicture::Clear() {
    chunks_.clear();
    gamma_ = PngGamma();
    image_ = PngStorage();
}

void TPngPicture::LoadFromStream(ByteStream& stream) {
    Clear();
    PngFile file = ReadPngFile(stream);
    chunks_ = std::move(file.chunks);
    try {
        Decode(file.imageData);
        if (file.failure) std::rethrow_exception(file.failure);
        if (!FindChunk<TPngChunkIDAT>()) throw EPngNoImageData();
    } catch (...) {
        Clear();
        throw;
    }
}

// The second stage: each chunk acts on the storage where it stands in the
// file, so a gAMA chunk changes only what is decoded after it. Only the first
// header builds the image: a later IHDR chunk is held, so repeated headers
// cannot multiply the memory taken.
void TPngPicture::Decode(const PngImageData& imageData) {
    bool palette = false;
    for (const auto& chunk : chunks_) {
        if (chunk == chunks_.front()) {
            BuildImage(Header());
        } else if (const auto* gama = dynamic_cast<const TPngChunkgAMA*>(chunk.get())) {
            gamma_.Set(gama->gamma);
        } else if (const auto* plte = dynamic_cast<const TPngChunkPLTE*>(chunk.get())) {
            // Entries through the gamma table; storage of 24 bits has no table.
            palette = true;
            const auto& gamma = gamma_.Table();
            for (int i = 0; i < std::min(plte->count, image_.ColorCount()); ++i) {
                const uint8_t* e = plte->Data().data() + 3 * i;
                image_.SetColorTableEntry(i, {gamma[e[0]], gamma[e[1]], gamma[e[2]]});
            }
        } else if (dynamic_cast<const TPngChunkIDAT*>(chunk.get())) {
            const TPngChunkIHDR& header = Header();
            if (header.colourType == 0 || header.colourType == 4) image_.SetGreyRamp(gamma_.Table());
            // Without PLTE a palette image has no colours to show.
            if (header.colourType == 3 && !palette) throw EPngInvalidPalette();
            DecodeImageData(header, gamma_, imageData, image_);
        }
    }
}

// An empty image of the header's size, its colour table the halftone palette
// for palette images, else a grey ramp for indexed storage.
void TPngPicture::BuildImage(const TPngChunkIHDR& header) {
    const int bits = header.StoredBitsPerPixel();
    if (bits == 0) throw EPngInvalidIHDR();  // no row converter for this pair
    image_.Build(header.width, header.height, bits, header.colourType == 4 || header.colourType == 6);
    if (header.colourType == 3) {
        for (int i = 0; i < image_.ColorCount(); ++i) image_.SetColorTableEntry(i, kHalftonePalette[i]);
    } else if (bits <= 8) {
        image_.SetGreyRamp(gamma_.Table());
    }
}

const TPngChunkIHDR& TPngPicture::Header() const {
    if (chunks_.empty()) throw EPngHeaderNotPresent();
    return static_cast<const TPngChunkIHDR&>(*chunks_.front());  // reading admits only IHDR first
}

const PngStorage& TPngPicture::Image() const {
    if (chunks_.empty()) throw EPngHeaderNotPresent();
    return image_;
}

PngTransparencyMode TPngPicture::TransparencyMode() const {
    if (Empty()) return PngTransparencyMode::None;
    const TPngChunktRNS* trns = FindChunk<TPngChunktRNS>();
    switch (Header().colourType) {
        case 4: case 6: return PngTransparencyMode::Partial;
        case 0: case 2: return trns ? PngTransparencyMode::Bit : PngTransparencyMode::None;
        case 3:
            if (!trns) return PngTransparencyMode::None;
            return trns->bitTransparency ? PngTransparencyMode::Bit : PngTransparencyMode::Partial;
    }
    return PngTransparencyMode::None;
}

// The tRNS sample is taken the way the image's own samples are stored (high
// byte at 16 bits, 5 x sample at 2 bits), so it matches the pixels it names.
PngColor TPngPicture::TransparentColor() const {
    const TPngChunktRNS* trns = Empty() ? nullptr : FindChunk<TPngChunktRNS>();
    if (!trns) return {};
    const TPngChunkIHDR& header = Header();
    const std::vector<uint8_t>& d = trns->Data();
    auto stored = [&](size_t sample) -> uint8_t {
        if (d.size() < 2 * sample + 2) return 0;
        return header.bitDepth == 16 ? d[2 * sample] : d[2 * sample + 1];
    };
    auto entry = [&](int index) { return index < image_.ColorCount() ? image_.ColorTableEntry(index) : PngColor{}; };
    const auto& gamma = gamma_.Table();
    switch (header.colourType) {
        case 0: return entry(header.bitDepth == 2 ? 5 * stored(0) : stored(0));
        case 2: return {gamma[stored(0)], gamma[stored(1)], gamma[stored(2)]};
        case 3: {
            const auto transparent = std::find(d.begin(), d.end(), 0);
            return transparent == d.end() ? PngColor{} : entry(static_cast<int>(transparent - d.begin()));
        }
    }
    return {};
}

PngColor TPngPicture::PaletteEntry(int index) const {
    const PngStorage& image = Image();
    if (index < 0 || index >= image.ColorCount()) throw EPngError();
    return image.ColorTableEntry(index);
}

const std::array<uint8_t, 256>& TPngPicture::PaletteAlpha() const {
    const TPngChunktRNS* trns = Empty() ? nullptr : FindChunk<TPngChunktRNS>();
    return trns ? trns->alpha : kOpaque;
}

void RegisterPngPicture(PictureClassRegistry& registry) {
    registry.Register({"TPngPicture", [] { return std::make_unique<TPngPicture>(); }});
}
